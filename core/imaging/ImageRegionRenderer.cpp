#include "core/imaging/ImageRegionRenderer.h"

#include "core/common/ImageLimits.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/RenderGeometry.h"
#include "core/imaging/RenderPlan.h"
#include "core/imaging/SeparableStraighten.h"

#include <QColorSpace>
#include <new>

namespace {

// A read-only view of `rect` of `image` (RGBA8): no pixels are copied.
QImage windowOf(const QImage& image, const QRect& rect) {
    return QImage(image.constBits() + rect.y() * image.bytesPerLine() + qsizetype(rect.x()) * 4, rect.width(),
                  rect.height(), image.bytesPerLine(), image.format());
}

// `rect` grown by `margin` on every side, its corner moved down to a multiple of `alignment`,
// within `bounds` (whose corner is the origin, a multiple of everything).
QRect alignedWindow(const QRect& rect, int margin, int alignment, const QRect& bounds) {
    const int left = std::max(0, rect.left() - margin) / alignment * alignment;
    const int top = std::max(0, rect.top() - margin) / alignment * alignment;
    return QRect(QPoint(left, top), QPoint(rect.right() + margin, rect.bottom() + margin))
        .intersected(bounds);
}

} // namespace

QSize ImageRegionRenderer::outputSize(QSize sourceSize, const EditAdjustments& a, bool includeCrop) {
    if (a.isColorAndTransformIdentity()) return sourceSize;
    return RenderGeometry(sourceSize, a, includeCrop).outputSize();
}

std::optional<QImage> ImageRegionRenderer::render(const QImage& source, const EditAdjustments& a,
                                                  bool includeCrop, const QRect& requested) const {
    if (source.isNull() || !isDecodableSize(source.width(), source.height())) return std::nullopt;
    try {
        if (a.isColorAndTransformIdentity()) {
            const QRect area = requested.intersected(source.rect());
            if (area.isEmpty()) return std::nullopt;
            QImage copy = source.copy(area);
            if (copy.isNull()) return std::nullopt;
            return copy;
        }
        QImage converted;
        if (source.format() != QImage::Format_RGBA8888_Premultiplied) {
            // As the full render does: the automatic enhancement analyses the converted pixels.
            converted = source.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
            if (converted.isNull()) return std::nullopt;
        }
        const QImage& input = converted.isNull() ? source : converted;

        const RenderGeometry geometry(input.size(), a, includeCrop);
        const QRect region = requested.intersected(QRect(QPoint(0, 0), geometry.outputSize()));
        if (region.isEmpty()) return std::nullopt;
        const QRect needed = geometry.isIdentity() ? region : geometry.sourceRegionFor(region);
        if (needed.isEmpty()) return std::nullopt;

        RenderPlan plan;
        ImageRenderEngine::planRecipe(plan, input, a, 1.0);
        if (plan.isEmpty()) {
            // Only the geometry moves pixels: they are copied (or resampled) from the source.
            QImage output =
                geometry.isIdentity() ? input.copy(region) : geometry.apply(input, QPoint(0, 0), region);
            if (output.isNull()) return std::nullopt;
            output.setColorSpace(QColorSpace::SRgb);
            return output;
        }

        const QRect window = alignedWindow(needed, plan.margin(), plan.alignment(), input.rect());
        const QImage view = windowOf(input, window);
        plan.setFrame(window.topLeft(), input.size());
        const QRect inWindow = needed.translated(-window.topLeft());

        if (geometry.straightens()) {
            // The full render's own path for a plain straighten: two one-dimensional passes.
            separableStraighten::Map map = geometry.affineMap(needed.topLeft());
            if (separableStraighten::suits(map)) {
                map.c += map.a * region.x() + map.b * region.y();
                map.f += map.d * region.x() + map.e * region.y();
                const PlanarBytes colored = plan.renderPlanar(view, inWindow);
                if (colored.isNull()) return std::nullopt;
                QImage output = separableStraighten::apply(colored, map, region.size());
                if (output.isNull()) return std::nullopt;
                output.setColorSpace(QColorSpace::SRgb);
                return output;
            }
        }
        QImage colored = plan.render(view, inWindow);
        if (colored.isNull()) return std::nullopt;
        QImage output =
            geometry.isIdentity() ? std::move(colored) : geometry.apply(colored, needed.topLeft(), region);
        if (output.isNull()) return std::nullopt;
        output.setColorSpace(QColorSpace::SRgb);
        return output;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
