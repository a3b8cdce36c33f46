#include <QDir>
#include <QFile>
#include <QGuiApplication>
#ifdef TAVI_TEST_WIDGETS
#include "ui/map/WebEngineSetup.h"
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QGuiApplication;
#endif
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every test binary runs headless with its own home, so no test touches the user's files or settings.
int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    QDir(home.path()).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(home.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (home.path() + "/runtime").toUtf8());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TAVI_TEST_WIDGETS
    prepareWebEngineBeforeApplication();
#endif
    TestApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Quellora"));
    QGuiApplication::setApplicationName(QStringLiteral("TaviView"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
