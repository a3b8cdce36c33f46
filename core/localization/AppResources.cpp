#include "core/localization/AppResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

namespace {

std::mutex overrideMutex;
QString overridePath; // guarded by overrideMutex

bool isDirectory(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// A build tree is recognised by the CMakeCache.txt of one of the executable's parent folders
// (executables sit in <build>/cli, <build>/tests, ...); its top folder, or empty.
QString buildTreeOf(const QString& appDir) {
    QDir dir(appDir);
    for (int level = 0; level < 4; ++level) {
        if (dir.exists(QStringLiteral("CMakeCache.txt"))) return dir.absolutePath();
        if (!dir.cdUp()) break;
    }
    return {};
}

// The source tree a build tree was configured from, as its cache records it.
QString sourceTreeOf(const QString& buildTree) {
    QFile cache(buildTree + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    const QByteArray key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    while (!cache.atEnd()) {
        const QByteArray line = cache.readLine().trimmed();
        if (line.startsWith(key)) return QString::fromUtf8(line.mid(key.size()));
    }
    return {};
}

} // namespace

namespace AppResources {

QString resourceDirectory() {
    {
        std::lock_guard lock(overrideMutex);
        if (!overridePath.isEmpty()) return isDirectory(overridePath) ? QDir::cleanPath(overridePath) : QString();
    }
    const QString fromEnvironment = qEnvironmentVariable("TAVIVIEW_RESOURCES_DIR");
    if (!fromEnvironment.isEmpty()) return isDirectory(fromEnvironment) ? QDir::cleanPath(fromEnvironment) : QString();

    if (!QCoreApplication::instance()) return {};
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(appDir + QStringLiteral("/../share/taviview"));
    if (isDirectory(installed)) return installed;
    const QString buildTree = buildTreeOf(appDir);
    if (!buildTree.isEmpty()) {
        // The cache names the source tree. Failing that, this file lives in
        // <source>/core/localization; its compiled-in name may be relative to the build tree (the
        // compiler cache shortens paths), never to the folder the program happens to run in.
        QString source = sourceTreeOf(buildTree);
        if (source.isEmpty())
            source = QFileInfo(QDir(buildTree).absoluteFilePath(QStringLiteral(__FILE__))).absolutePath() +
                     QStringLiteral("/../..");
        const QString resources = QDir::cleanPath(source + QStringLiteral("/resources"));
        if (isDirectory(resources)) return resources;
    }
    return {};
}

void setResourceDirectory(const QString& path) {
    std::lock_guard lock(overrideMutex);
    overridePath = path;
}

} // namespace AppResources
