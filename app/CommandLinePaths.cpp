#include "app/CommandLinePaths.h"

#include <QDir>
#include <QFileInfo>

QStringList commandLinePaths(const QStringList& arguments, const QString& workingDirectory) {
    QStringList paths;
    const QDir base(workingDirectory);
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || argument.startsWith(u'-')) continue;
        const QString path = QDir::cleanPath(base.absoluteFilePath(argument));
        if (QFileInfo::exists(path)) paths << path;
    }
    return paths;
}
