#include "core/localization/AppResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <mutex>

namespace {

std::mutex overrideMutex;
QString overridePath; // guarded by overrideMutex

bool isDirectory(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// A build tree is recognised by the CMakeCache.txt of one of the executable's parent folders
// (executables sit in <build>/cli, <build>/tests, ...).
bool runsFromBuildTree(const QString& appDir) {
    QDir dir(appDir);
    for (int level = 0; level < 4; ++level) {
        if (dir.exists(QStringLiteral("CMakeCache.txt"))) return true;
        if (!dir.cdUp()) break;
    }
    return false;
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
    if (runsFromBuildTree(appDir)) {
        // This file lives in <source>/core/localization.
        const QString source = QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                                               QStringLiteral("/../../resources"));
        if (isDirectory(source)) return source;
    }
    return {};
}

void setResourceDirectory(const QString& path) {
    std::lock_guard lock(overrideMutex);
    overridePath = path;
}

} // namespace AppResources
