#include "ui/workspace/InterfaceDirection.h"

#include <QApplication>

namespace workspace {

Qt::LayoutDirection interfaceDirection(AppLanguage language) {
    return language.locale().textDirection();
}

void applyInterfaceDirection(AppLanguage language) {
    // Set on the application, so menus, sheets and tooltips follow as well as the window; Qt
    // passes the change to every widget that has not fixed its own.
    const Qt::LayoutDirection direction = interfaceDirection(language);
    if (QApplication::layoutDirection() != direction) QApplication::setLayoutDirection(direction);
}

} // namespace workspace
