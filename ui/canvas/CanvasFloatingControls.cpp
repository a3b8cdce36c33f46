#include "ui/canvas/CanvasFloatingControls.h"

#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace canvascontrols {
namespace {

// One style for every control on the capsules: white on the dark glass, a light wash on hover,
// a stronger one when pressed; checked buttons take the accent colour.
const char* kCapsuleStyle = R"(
QToolButton {
    color: white; background: transparent; border: none; border-radius: 6px;
    padding: 3px 7px; font-size: 12px; font-weight: 600;
}
QToolButton:hover { background: rgba(255, 255, 255, 0.14); }
QToolButton:pressed { background: rgba(255, 255, 255, 0.26); }
QToolButton:checked { color: #3d8bfd; background: rgba(61, 139, 253, 0.18); }
QToolButton:disabled { color: rgba(255, 255, 255, 0.35); }
QLabel { color: white; background: transparent; }
)";

} // namespace

Capsule::Capsule(double opacity, QWidget* parent) : QWidget(parent), opacity_(opacity) {
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(QString::fromLatin1(kCapsuleStyle));
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(8, 5, 8, 5);
    row_->setSpacing(4);
}

void Capsule::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = r.height() / 2;
    p.setPen(QPen(QColor(255, 255, 255, 28), 1));
    p.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(opacity_)));
    p.drawRoundedRect(r, radius, radius);
}

QToolButton* capsuleButton(QWidget* parent, const QString& symbol, const QString& text) {
    auto* button = new QToolButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoRaise(true);
    if (!symbol.isEmpty()) {
        button->setIcon(symbols::icon(symbol, Qt::white));
        button->setIconSize(QSize(16, 16));
    }
    if (!text.isEmpty()) button->setText(text);
    button->setToolButtonStyle(symbol.isEmpty() ? Qt::ToolButtonTextOnly
                               : text.isEmpty() ? Qt::ToolButtonIconOnly
                                                : Qt::ToolButtonTextBesideIcon);
    return button;
}

QWidget* capsuleDivider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedSize(1, 12);
    line->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 0.25);"));
    return line;
}

QLabel* symbolLabel(QWidget* parent, const QString& symbol, const QColor& color, int pixelSize) {
    auto* label = new QLabel(parent);
    label->setPixmap(
        symbols::icon(symbol, color).pixmap(QSize(pixelSize, pixelSize), parent->devicePixelRatioF()));
    label->setFixedSize(pixelSize + 2, pixelSize + 2);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

CircleSymbolButton::CircleSymbolButton(const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), glyph_(symbols::glyph(symbol)) {
    setFixedSize(36, 36);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void CircleSymbolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double alpha = isDown() ? 0.72 : hovered_ ? 0.6 : 0.45;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(alpha)));
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    // The icon font has a single weight; a touch larger than 16 points reads as the bold symbol.
    p.setFont(symbols::font(20));
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, glyph_);
}

void CircleSymbolButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CircleSymbolButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

BusyOverlay::BusyOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    spin_.setInterval(30);
    connect(&spin_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + 12) % 360;
        update();
    });
}

void BusyOverlay::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

QSize BusyOverlay::sizeHint() const {
    QFont f = font();
    f.setPixelSize(theme::bodyPixelSize);
    f.setWeight(QFont::DemiBold);
    const QFontMetrics m(f);
    // 22 points each side, 16 above and below; the spinner sits above the text.
    return {std::max(m.horizontalAdvance(text_), 28) + 44, 28 + 10 + m.height() + 32};
}

void BusyOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, 0.6f));
    p.drawRoundedRect(QRectF(rect()), 14, 14);

    const QRectF spinner(width() / 2.0 - 14, 16, 28, 28);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 50), 3));
    p.drawEllipse(spinner.adjusted(1.5, 1.5, -1.5, -1.5));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(spinner.adjusted(1.5, 1.5, -1.5, -1.5), -angle_ * 16, 100 * 16);

    QFont f = font();
    f.setPixelSize(theme::bodyPixelSize);
    f.setWeight(QFont::DemiBold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(22, spinner.bottom() + 10, width() - 44, height() - spinner.bottom() - 26),
               Qt::AlignHCenter | Qt::AlignTop, text_);
}

void BusyOverlay::showEvent(QShowEvent* event) {
    spin_.start();
    QWidget::showEvent(event);
}

void BusyOverlay::hideEvent(QHideEvent* event) {
    spin_.stop();
    QWidget::hideEvent(event);
}

} // namespace canvascontrols
