#include "ui/sheets/BusySpinner.h"

#include "ui/theme/Theme.h"

#include <QPainter>

namespace {

constexpr int kSpokes = 12;
constexpr int kStepMs = 80;

} // namespace

BusySpinner::BusySpinner(int diameter, QWidget* parent) : QWidget(parent), diameter_(diameter) {
    setFixedSize(diameter, diameter);
    timer_.setInterval(kStepMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
}

QSize BusySpinner::sizeHint() const {
    return {diameter_, diameter_};
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const double radius = diameter_ / 2.0;
    QPen pen;
    pen.setWidthF(std::max(1.5, diameter_ / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    // Spokes fade behind the leading one, which walks round clockwise.
    for (int i = 0; i < kSpokes; ++i) {
        QColor colour = theme::text;
        colour.setAlphaF(0.15 + 0.85 * ((i - step_ + kSpokes) % kSpokes) / (kSpokes - 1.0));
        pen.setColor(colour);
        p.setPen(pen);
        p.save();
        p.rotate(360.0 * i / kSpokes);
        p.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius + pen.widthF() / 2));
        p.restore();
    }
}

void BusySpinner::showEvent(QShowEvent*) {
    timer_.start();
}

void BusySpinner::hideEvent(QHideEvent*) {
    timer_.stop();
}
