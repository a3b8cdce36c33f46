#include "core/common/Paths.h"

#include <QDir>
#include <QFileInfo>

QString standardizedPath(const QString& path) {
    if (path.isEmpty()) return {};
    QString absolute = QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
    QString clean = QDir::cleanPath(absolute);
    // ".." at the root is the root itself, but cleanPath keeps it ("/../a"): without this, two
    // spellings of one file would be two different identities.
    while (clean == QLatin1String("/..") || clean.startsWith(QLatin1String("/../")))
        clean = clean.size() == 3 ? QStringLiteral("/") : clean.mid(3);
    return clean;
}

QString pathExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0 || dot == name.size() - 1) return {};
    return name.mid(dot + 1);
}
