#include "core/common/Paths.h"

#include <QDir>
#include <QFileInfo>

QString standardizedPath(const QString& path) {
    if (path.isEmpty()) return {};
    QString absolute = QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
    return QDir::cleanPath(absolute);
}

QString pathExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot names a hidden file, not an extension.
    if (dot <= 0 || dot == name.size() - 1) return {};
    return name.mid(dot + 1);
}
