#include "app/TaviViewAppDelegate.h"
#include "ui/map/WebEngineSetup.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    prepareWebEngineBeforeApplication();
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
