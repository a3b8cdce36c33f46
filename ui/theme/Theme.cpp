#include "ui/theme/Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QStyleFactory>

namespace theme {

void apply(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, panel);
    p.setColor(QPalette::AlternateBase, raised);
    p.setColor(QPalette::ToolTipBase, raised);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, secondaryText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, raised);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, destructive);
    p.setColor(QPalette::Light, hairline.lighter(130));
    p.setColor(QPalette::Midlight, hairline);
    p.setColor(QPalette::Mid, hairline);
    p.setColor(QPalette::Dark, window.darker(130));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::LinkVisited, accent);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, secondaryText.darker(140));
    p.setColor(QPalette::Disabled, QPalette::Button, panel);
    app.setPalette(p);

    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(bodyPixelSize);
    app.setFont(font);

    app.setStyleSheet(QStringLiteral(
        "QToolTip { color: #e8e8ea; background: #2e3036; border: 1px solid #3a3c42; padding: 4px; }"
        "QMenu { background: #24262b; border: 1px solid #3a3c42; padding: 4px; }"
        "QMenu::item { padding: 5px 20px 5px 20px; border-radius: 4px; }"
        "QMenu::item:selected { background: #3d8bfd; color: white; }"
        "QMenu::item:disabled { color: #5d5f66; }"
        "QMenu::separator { height: 1px; background: #3a3c42; margin: 4px 8px; }"));
}

} // namespace theme
