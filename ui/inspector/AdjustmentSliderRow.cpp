#include "ui/inspector/AdjustmentSliderRow.h"

#include "ui/theme/Theme.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace inspector {

namespace {

// Positions of the slider: fine enough that the value moves with every pixel of the pointer.
constexpr int kSteps = 10000;

} // namespace

ContinuousSlider::ContinuousSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setLayoutDirection(Qt::LeftToRight); // more to the right, in every language
    setRange(0, kSteps);
    setSingleStep(kSteps / 100);
    setPageStep(kSteps / 10);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ContinuousSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QSlider::mousePressEvent(event);
    pressed_ = true;
    Q_EMIT pressBegan();
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const QPoint at = event->position().toPoint();
    if (!handle.contains(at)) {
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const int span = groove.width() - handle.width();
        const int offset = at.x() - groove.x() - handle.width() / 2;
        setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), offset, std::max(1, span),
                                                 option.upsideDown));
    }
    // The handle is under the pointer now: the default handling starts the drag from here.
    QSlider::mousePressEvent(event);
}

void ContinuousSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) pressed_ = false;
}

void ContinuousSlider::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

AdjustmentSliderRow::AdjustmentSliderRow(double minimum, double maximum, double defaultValue, QString unit,
                                         QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), valueButton_(new QPushButton(this)),
      slider_(new ContinuousSlider(this)), minimum_(minimum), maximum_(maximum), default_(defaultValue),
      value_(defaultValue), unit_(std::move(unit)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* top = new QHBoxLayout;
    top->setSpacing(theme::spacing);
    label_->setWordWrap(true);
    top->addWidget(label_, 1);

    valueButton_->setProperty("role", QStringLiteral("sliderValue"));
    valueButton_->setFlat(true);
    valueButton_->setCursor(Qt::PointingHandCursor);
    valueButton_->setFocusPolicy(Qt::NoFocus);
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPixelSize(theme::captionPixelSize + 1);
    valueButton_->setFont(digits);
    top->addWidget(valueButton_, 0, Qt::AlignRight | Qt::AlignVCenter);
    column->addLayout(top);
    column->addWidget(slider_);

    connect(valueButton_, &QPushButton::clicked, this, &AdjustmentSliderRow::resetRequested);
    connect(slider_, &ContinuousSlider::pressBegan, this, &AdjustmentSliderRow::editBegan);
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        // A key press moves the value once without a press of the pointer: it is an edit of its own.
        if (!slider_->isPressed() && !slider_->isSliderDown()) Q_EMIT editBegan();
        value_ = minimum_ + (maximum_ - minimum_) * position / kSteps;
        showValue();
        Q_EMIT valueEdited(value_);
    });
    setValue(defaultValue);
}

void AdjustmentSliderRow::setLabel(const QString& label) {
    label_->setText(label);
}

int AdjustmentSliderRow::position(double value) const {
    if (maximum_ <= minimum_) return 0;
    const double t = std::clamp((value - minimum_) / (maximum_ - minimum_), 0.0, 1.0);
    return static_cast<int>(std::lround(t * kSteps));
}

void AdjustmentSliderRow::setValue(double value) {
    value_ = value;
    {
        const QSignalBlocker blocker(slider_);
        slider_->setValue(position(value));
    }
    showValue();
}

QString AdjustmentSliderRow::format(double value, const QString& unit) {
    // "-0.00" for a tiny negative value reads like a change where there is none.
    const double shown = std::abs(value) < 0.005 ? 0.0 : value;
    return QString::number(shown, 'f', 2) + unit;
}

QString AdjustmentSliderRow::valueText() const {
    return format(value_, unit_);
}

void AdjustmentSliderRow::showValue() {
    valueButton_->setText(valueText());
    // A new palette polishes the button again: only when the colour really changes, since a drag
    // comes through here for every pointer move.
    const QColor color = std::abs(value_ - default_) > 0.01 ? theme::accent : theme::secondaryText;
    if (valueButton_->palette().color(QPalette::ButtonText) == color &&
        valueButton_->property("colored").toBool())
        return;
    QPalette palette = valueButton_->palette();
    palette.setColor(QPalette::ButtonText, color);
    valueButton_->setPalette(palette);
    valueButton_->setProperty("colored", true);
}

} // namespace inspector
