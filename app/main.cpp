#include "app/CommandLinePaths.h"
#include "app/SingleInstance.h"
#include "app/StartupNotification.h"
#include "app/TaviViewAppDelegate.h"
#include "ui/map/WebEngineSetup.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    const QByteArray launchId = startupnotification::launchId();
    prepareWebEngineBeforeApplication();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellora"));
    QApplication::setApplicationName(QStringLiteral("TaviView"));
    // The desktop entry's name: the desktop matches the window to its entry and icon by it.
    QApplication::setDesktopFileName(QStringLiteral("com.quellora.TaviView"));
    QApplication::setQuitOnLastWindowClosed(true);

    // With TaviView already running, this launch's documents go to its window and this process
    // ends before making one of its own.
    const QStringList arguments = QApplication::arguments().mid(1);
    SingleInstance instance;
    if (instance.claim(commandLinePaths(arguments, QDir::currentPath())) ==
        SingleInstance::Role::handedOver) {
        startupnotification::complete(launchId);
        return 0;
    }

    QObject::connect(&app, &QCoreApplication::aboutToQuit, &instance, &SingleInstance::stopListening);
    theme::apply(app);
    TaviViewAppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::openRequested, &delegate,
                     &TaviViewAppDelegate::openFromLaterLaunch);
    delegate.launch(arguments, QDir::currentPath());
    return QApplication::exec();
}
