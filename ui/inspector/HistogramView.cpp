#include "ui/inspector/HistogramView.h"

#include "ui/theme/Theme.h"

#include <QPainter>
#include <algorithm>

namespace inspector {

namespace {

constexpr int kPadding = 6;

} // namespace

HistogramView::HistogramView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setLayoutDirection(Qt::LeftToRight); // dark to light, in every language
    setFixedHeight(sizeHint().height());
    // It repaints with every preview refresh: painting every pixel itself spares the panel
    // behind it a repaint each time.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistogramView::setHistogram(const ImageHistogram& histogram) {
    if (histogram_ == histogram) return;
    histogram_ = histogram;
    update();
}

QPainterPath HistogramView::areaPath(const QList<double>& values, QSizeF size) {
    QPainterPath path;
    const qsizetype n = values.size();
    if (n < 2) return path;
    const double w = size.width();
    const double h = size.height();
    path.moveTo(0, h);
    for (qsizetype i = 0; i < n; ++i) {
        const double v = std::clamp(values[i], 0.0, 1.0);
        path.lineTo(w / static_cast<double>(n - 1) * static_cast<double>(i), h - (h - 4) * v);
    }
    path.lineTo(w, h);
    path.closeSubpath();
    return path;
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), theme::panel);
    p.setPen(Qt::NoPen);
    p.setBrush(theme::window);
    p.drawRoundedRect(QRectF(rect()), theme::controlRadius, theme::controlRadius);

    const QRectF canvas = QRectF(rect()).adjusted(kPadding, kPadding, -kPadding, -kPadding);
    p.translate(canvas.topLeft());
    const struct {
        const QList<double>& values;
        QColor color;
        double opacity;
    } areas[] = {
        {histogram_.red, QColor(255, 59, 48), 0.45},
        {histogram_.green, QColor(52, 199, 89), 0.45},
        {histogram_.blue, QColor(10, 132, 255), 0.5},
        {histogram_.luma, QColor(255, 255, 255), 0.28},
    };
    for (const auto& area : areas) {
        QColor fill = area.color;
        fill.setAlphaF(static_cast<float>(area.opacity));
        p.setBrush(fill);
        p.drawPath(areaPath(area.values, canvas.size()));
    }
}

} // namespace inspector
