#include "ui/theme/Theme.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    // The map's web engine shares GL contexts with the window; this must precede the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellora"));
    QApplication::setApplicationName(QStringLiteral("TaviView"));
    theme::apply(app);
    QWidget window;
    window.show();
    return QApplication::exec();
}
