#include "core/imaging/filters/DropShadow.h"

#include "core/common/ImageLimits.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"

#include <cmath>

void drawDropShadow(QPainter& painter, const QPainterPath& path, QPointF offset, double blur,
                    const QColor& color) {
    if (path.isEmpty() || color.alpha() == 0 || !std::isfinite(blur) || !std::isfinite(offset.x()) ||
        !std::isfinite(offset.y()))
        return;
    const QPainterPath devicePath = painter.worldTransform().map(path);
    // A shadow wider than the decode limits is refused below anyway; capping the blur first keeps
    // the margin a valid int for hostile values.
    const double sigma = std::min(std::max(blur, 0.0) / 2, static_cast<double>(kMaxDecodeSide));
    const int margin = static_cast<int>(std::ceil(3 * sigma)) + 2;
    // In floating point until the area is known to be small: a hostile shape may sit at the far
    // ends of int, where whole-pixel margins would overflow.
    QRectF bounds = devicePath.boundingRect().adjusted(-margin, -margin, margin, margin);
    // Only the part that can land on the target matters (a badge half off the edge).
    if (const QPaintDevice* device = painter.device())
        bounds = bounds.intersected(
            QRectF(-margin, -margin, device->width() + 2.0 * margin, device->height() + 2.0 * margin)
                .translated(-offset));
    if (bounds.isEmpty() || bounds.width() > kMaxDecodeSide || bounds.height() > kMaxDecodeSide) return;
    const QRect area = bounds.toAlignedRect();
    if (area.isEmpty() || !isDecodableSize(area.width(), area.height())) return;

    // A soft shadow has no detail finer than its blur, so wide ones are drawn at a fraction of
    // the size and scaled up: the cost stays that of a small shape whatever the blur.
    const int shrink = std::max(1, static_cast<int>(sigma / 3));
    const QSize layerSize((area.width() + shrink - 1) / shrink, (area.height() + shrink - 1) / shrink);
    QImage coverage(layerSize, QImage::Format_Alpha8);
    if (coverage.isNull()) return;
    coverage.fill(0);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(1.0 / shrink, 1.0 / shrink);
        p.translate(-area.topLeft());
        p.fillPath(devicePath, Qt::black);
    }
    // The layer's border is empty margin, so clamping its edges adds nothing.
    if (sigma > 0) {
        const auto soft = clampedGaussianBlurRegion(coverage, sigma / shrink, coverage.rect());
        if (!soft) return;
        coverage = *soft;
    }
    QImage shadow(layerSize, QImage::Format_RGBA8888_Premultiplied);
    if (shadow.isNull()) return;
    const float r = color.redF(), g = color.greenF(), b = color.blueF(), a = color.alphaF();
    for (int y = 0; y < layerSize.height(); ++y) {
        const uchar* m = coverage.constScanLine(y);
        uchar* d = shadow.scanLine(y);
        for (int x = 0; x < layerSize.width(); ++x) {
            const float alpha = m[x] * a;
            d[x * 4] = static_cast<uchar>(r * alpha + 0.5f);
            d[x * 4 + 1] = static_cast<uchar>(g * alpha + 0.5f);
            d[x * 4 + 2] = static_cast<uchar>(b * alpha + 0.5f);
            d[x * 4 + 3] = static_cast<uchar>(alpha + 0.5f);
        }
    }
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(area.topLeft()) + offset, QSizeF(layerSize) * shrink), shadow);
    painter.restore();
}
