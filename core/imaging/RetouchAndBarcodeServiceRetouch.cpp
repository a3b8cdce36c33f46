// Spot healing and the magnifier loupe of RetouchAndBarcodeService.
#include "core/imaging/RetouchAndBarcodeService.h"

#include "core/imaging/filters/BlendWithMask.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"
#include "core/imaging/filters/DropShadow.h"
#include "core/imaging/filters/RadialGradient.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstring>

namespace {

// A rectangle of the y-up filter plane (origin bottom-left) as pixel rows top to bottom of an
// image `height` pixels high. Integral rectangles stay integral, so nothing moves by rounding.
QRect planeToTopLeft(const QRect& plane, int height) {
    return QRect(plane.x(), height - plane.y() - plane.height(), plane.width(), plane.height());
}

// The donor patch for one heal: the current image blurred, read `offset` pixels to the side
// (bilinear between the two nearest columns, as a translated image samples), over `region`.
// The patch is made in the blur's own buffer, one column wider than the region: a heal the size
// of a large photo must not hold several copies of it.
std::optional<QImage> shiftedBlur(const QImage& current, double sigma, double offset, const QRect& region) {
    const double whole = std::floor(offset);
    const double fraction = offset - whole;
    const QRect source = QRect(region.x() + static_cast<int>(whole), region.y(), region.width() + 1, region.height());
    auto blurred = clampedGaussianBlurRegion(current, sigma, source);
    if (!blurred) return std::nullopt;
    const auto weight = static_cast<unsigned>(std::lround(fraction * 256));
    for (int y = 0; y < region.height(); ++y) {
        uchar* d = blurred->scanLine(y);
        // Forward in place: each byte is read before it, or the one four ahead of it, is written.
        for (int i = 0; i < region.width() * 4; ++i)
            d[i] = static_cast<uchar>((d[i] * (256 - weight) + d[i + 4] * weight + 128) >> 8);
    }
    return blurred;
}

void copyInto(QImage& target, const QImage& patch, QPoint at) {
    // Plain row copies: both are RGBA8 premultiplied, and the patch lies inside the target.
    for (int y = 0; y < patch.height(); ++y)
        std::memcpy(target.scanLine(at.y() + y) + at.x() * 4, patch.constScanLine(y),
                    static_cast<std::size_t>(patch.width()) * 4);
}

} // namespace

QImage RetouchAndBarcodeService::applySpotHeals(const QList<AnnotationItem>& heals, const QImage& image) const {
    if (heals.isEmpty() || image.isNull()) return image;
    QImage current = image.format() == QImage::Format_RGBA8888_Premultiplied
                         ? image
                         : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QRectF extent(0, 0, current.width(), current.height());
    for (const auto& heal : heals) {
        const QRectF b = heal.normalizedBoundingBox();
        const double cx = b.center().x() * extent.width();
        const double cy = (1 - b.center().y()) * extent.height(); // on the y-up plane
        const double side = std::max(b.width() * extent.width(), b.height() * extent.height());
        const double r = std::max(0.55 * side, 10.0);
        if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r)) continue;
        const QRect planeRegion =
            QRectF(cx - 1.4 * r, cy - 1.4 * r, 2.8 * r, 2.8 * r).intersected(extent).toAlignedRect();
        if (planeRegion.width() < 4 || planeRegion.height() < 4) continue;
        const QRect region = planeToTopLeft(planeRegion, current.height());

        // The patch comes from the right of the spot when there is room for it, else the left.
        const double offset = cx + 2.1 * r < extent.right() ? 1.35 * r : -1.35 * r;
        const auto donor = shiftedBlur(current, std::max(0.22 * r, 2.0), offset, region);
        if (!donor) continue;
        // The first write detaches from the caller's image; without memory for that, the
        // photo stays as it was rather than half healed.
        if (!current.bits()) return image;
        const QPointF centre(cx, current.height() - cy);
        // Blended in bands of rows: the donor is complete before the first band is written, so
        // no band reads pixels another has already healed.
        constexpr int kBandRows = 256;
        for (int top = 0; top < region.height(); top += kBandRows) {
            const QRect band(region.left(), region.top() + top, region.width(),
                             std::min(kBandRows, region.height() - top));
            const QImage mask = radialRampMask(band, centre, 0.55 * r, 1.15 * r);
            const QImage healed =
                blendWithMask(donor->copy(0, top, band.width(), band.height()), current.copy(band), mask);
            if (healed.isNull()) break;
            copyInto(current, healed, band.topLeft());
        }
    }
    return current;
}

namespace {

struct LoupeGeometry {
    QPointF centre;
    double radius = 0;
    QRect sample; // empty: nothing to draw
};

LoupeGeometry loupeGeometry(const AnnotationItem& item, int width, int height, double scale) {
    LoupeGeometry loupe;
    if (width <= 0 || height <= 0) return loupe;
    loupe.centre = QPointF(item.start.x * width, item.start.y * height);
    const double r0 = std::hypot(item.end.x * width - loupe.centre.x(), item.end.y * height - loupe.centre.y());
    loupe.radius = std::min(0.35 * std::min(width, height), std::max(r0, 28 * scale));
    if (!std::isfinite(loupe.centre.x()) || !std::isfinite(loupe.centre.y()) || !std::isfinite(loupe.radius) ||
        loupe.radius <= 0)
        return loupe;
    // The sampled square slides to stay inside the image, so a loupe at the border still shows
    // 2.2× of real pixels rather than emptiness.
    const double k = loupe.radius / 2.2;
    const QRectF sample(std::max(std::min(loupe.centre.x() - k, width - 2 * k), 0.0),
                        std::max(std::min(loupe.centre.y() - k, height - 2 * k), 0.0), std::min(2 * k, double(width)),
                        std::min(2 * k, double(height)));
    const QRect aligned = sample.toAlignedRect();
    if (aligned.width() >= 4 && aligned.height() >= 4) loupe.sample = aligned.intersected(QRect(0, 0, width, height));
    return loupe;
}

} // namespace

QRect RetouchAndBarcodeService::magnifierSampleRect(const AnnotationItem& item, int width, int height, double scale) {
    return loupeGeometry(item, width, height, scale).sample;
}

void RetouchAndBarcodeService::drawMagnifierLoupe(const AnnotationItem& item, const QImage& sourceImage,
                                                  QPainter& context, int width, int height, double scale) const {
    if (sourceImage.isNull()) return;
    const QRect sample = magnifierSampleRect(item, width, height, scale);
    if (sample.isEmpty() || !sourceImage.rect().contains(sample)) {
        // A source smaller than the canvas: draw what it has of the square.
        const QRect cut = sample.intersected(sourceImage.rect());
        if (cut.isEmpty()) return;
        drawMagnifierLoupeFromSample(item, sourceImage.copy(cut), context, width, height, scale);
        return;
    }
    drawMagnifierLoupeFromSample(item, sourceImage.copy(sample), context, width, height, scale);
}

void RetouchAndBarcodeService::drawMagnifierLoupeFromSample(const AnnotationItem& item, const QImage& sample,
                                                            QPainter& context, int width, int height,
                                                            double scale) const {
    const LoupeGeometry loupe = loupeGeometry(item, width, height, scale);
    if (sample.isNull() || loupe.sample.isEmpty()) return;
    const QPointF c = loupe.centre;
    const double radius = loupe.radius;

    QPainterPath disc;
    disc.addEllipse(c, radius, radius);
    context.save();
    context.setRenderHint(QPainter::Antialiasing);
    context.setRenderHint(QPainter::SmoothPixmapTransform);
    drawDropShadow(context, disc, QPointF(0, 6 * scale), 16 * scale, QColor::fromRgbF(0, 0, 0, 0.55f));
    context.fillPath(disc, QColor::fromRgbF(0.1f, 0.1f, 0.1f));

    context.save();
    context.setClipPath(disc);
    context.drawImage(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), sample);
    context.restore();

    context.setBrush(Qt::NoBrush);
    context.setPen(QPen(item.color.cgColor(), std::max(4.2 * scale, 3.0)));
    context.drawEllipse(c, radius, radius);
    const double inner = radius - 2.2 * scale;
    if (inner > 0) {
        context.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.92f), std::max(1.6 * scale, 1.2)));
        context.drawEllipse(c, inner, inner);
    }
    context.restore();
}
