#include "app/TaviViewAppDelegate.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QDir>
#include <unistd.h>

int main(int argc, char** argv) {
    // The map's web engine shares GL contexts with the window; this must precede the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium's sandbox refuses to run as root (containers, CI); elsewhere it stays on.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellora"));
    QApplication::setApplicationName(QStringLiteral("TaviView"));
    QApplication::setDesktopFileName(QStringLiteral("taviview"));
    QApplication::setQuitOnLastWindowClosed(true);
    theme::apply(app);

    TaviViewAppDelegate delegate;
    delegate.launch(QApplication::arguments().mid(1), QDir::currentPath());
    return QApplication::exec();
}
