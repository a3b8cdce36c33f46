#include "ui/inspector/InspectorStyle.h"

#include "ui/theme/Theme.h"

namespace inspector {

namespace {

QString css(const QColor& color) {
    return color.name(QColor::HexRgb);
}

QString translucent(const QColor& color, double alpha) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(alpha);
}

} // namespace

QString inspectorStyleSheet() {
    QString sheet = QStringLiteral(R"(
#inspector { background: @panel; }
#inspector QScrollArea, #inspector QScrollArea > QWidget > QWidget { background: transparent; }
#inspector #divider { background: @hairline; }

#inspector QLabel[role="sectionTitle"] { font-weight: 600; font-size: 13px; color: @text; }
#inspector QLabel[role="caption"], #inspector QLabel[role="rowLabel"] { font-size: 11px; color: @secondary; }
#inspector QLabel[role="hint"] { font-size: 11px; color: @secondary; }
#inspector QLabel[role="well"], #inspector QWidget[role="well"] {
    background: @window; border: 1px solid @hairline; border-radius: 6px; padding: 6px; }

#inspector QToolButton[role="tab"] {
    border: none; border-radius: 6px; padding: 4px 0px 3px 0px; font-size: 11px; color: @secondary; }
#inspector QToolButton[role="tab"]:hover { background: @raised; color: @text; }
#inspector QToolButton[role="tab"]:checked { background: @accentSoft; color: @text; font-weight: 600; }
#inspector QToolButton[role="tab"]:focus { border: 1px solid @accent; }

#inspector QPushButton[role="chip"] {
    background: @raised; border: 1px solid @hairline; border-radius: 6px; padding: 4px 6px;
    font-size: 12px; color: @text; min-height: 18px; }
#inspector QPushButton[role="chip"]:hover { background: @raisedHover; }
#inspector QPushButton[role="chip"]:pressed { background: @hairline; }
#inspector QPushButton[role="chip"]:checked { background: @accent; border-color: @accent; color: white; }
#inspector QPushButton[role="chip"]:disabled { color: @disabled; background: @panel; }

#inspector QPushButton[role="pill"], #inspector QPushButton[role="listRow"] {
    background: @raised; border: 1px solid @hairline; border-radius: 6px; padding: 6px 10px; color: @text; }
#inspector QPushButton[role="pill"] { text-align: center; } /* keeps icon and text together in any direction */
#inspector QPushButton[role="listRow"] { text-align: left; padding: 5px 8px; }
#inspector QPushButton[role="pill"]:hover, #inspector QPushButton[role="listRow"]:hover { background: @raisedHover; }
#inspector QPushButton[role="pill"]:pressed, #inspector QPushButton[role="listRow"]:pressed { background: @hairline; }
#inspector QPushButton[role="pill"][accented="true"] { background: @accent; border-color: @accent; color: white; }
#inspector QPushButton[role="pill"][accented="true"]:hover { background: @accentHover; }
#inspector QPushButton[role="pill"]:disabled { color: @disabled; background: @panel; border-color: @hairline; }

#inspector QToolButton[role="compact"] {
    background: @raised; border: 1px solid @hairline; border-radius: 6px; padding: 5px 2px 4px 2px;
    font-size: 11px; color: @text; }
#inspector QToolButton[role="compact"]:hover { background: @raisedHover; }
#inspector QToolButton[role="compact"]:pressed { background: @hairline; }
#inspector QToolButton[role="compact"]:disabled { color: @disabled; background: @panel; }

#inspector QToolButton[role="icon"] { background: transparent; border: none; border-radius: 6px; }
#inspector QToolButton[role="icon"]:hover { background: @raised; }
#inspector QToolButton[role="icon"]:pressed { background: @hairline; }

#inspector QPushButton[role="link"] { background: transparent; border: none; color: @accent; padding: 2px 4px; font-size: 12px; }
#inspector QPushButton[role="link"]:hover { text-decoration: underline; }
#inspector QPushButton[role="link"]:disabled { color: @disabled; }

#inspector QPushButton[role="sliderValue"] { background: transparent; border: none; padding: 0px 2px; }
#inspector QPushButton[role="sliderValue"]:hover { background: @raised; border-radius: 4px; }

#inspector QSlider::groove:horizontal { height: 4px; background: @hairline; border-radius: 2px; }
#inspector QSlider::handle:horizontal {
    width: 14px; height: 14px; margin: -5px 0px; border-radius: 7px; background: @text; }
#inspector QSlider::handle:horizontal:hover { background: white; }
#inspector QSlider::handle:horizontal:disabled { background: @disabled; }
#inspector QSlider::handle:horizontal:focus { border: 2px solid @accent; }

#inspector QLineEdit, #inspector QSpinBox {
    background: @window; border: 1px solid @hairline; border-radius: 6px; padding: 4px 6px; color: @text;
    selection-background-color: @accent; }
#inspector QLineEdit:focus, #inspector QSpinBox:focus { border-color: @accent; }

#inspector QScrollBar:vertical { width: 8px; background: transparent; margin: 2px; }
#inspector QScrollBar::handle:vertical { background: @hairline; border-radius: 2px; min-height: 24px; }
#inspector QScrollBar::handle:vertical:hover { background: @secondary; }
#inspector QScrollBar::add-line:vertical, #inspector QScrollBar::sub-line:vertical { height: 0px; }
#inspector QScrollBar::add-page:vertical, #inspector QScrollBar::sub-page:vertical { background: transparent; }
)");
    const struct {
        const char* name;
        QString value;
    } colors[] = {
        // Longer names first: "@raisedHover" must not be read as "@raised" + "Hover".
        {"@raisedHover", css(theme::raised.lighter(118))},
        {"@accentHover", css(theme::accent.lighter(112))},
        {"@accentSoft", translucent(theme::accent, 0.22)},
        {"@secondary", css(theme::secondaryText)},
        {"@disabled", css(theme::secondaryText.darker(140))},
        {"@hairline", css(theme::hairline)},
        {"@raised", css(theme::raised)},
        {"@window", css(theme::window)},
        {"@accent", css(theme::accent)},
        {"@panel", css(theme::panel)},
        {"@text", css(theme::text)},
    };
    for (const auto& c : colors)
        sheet.replace(QLatin1String(c.name), c.value);
    return sheet;
}

} // namespace inspector
