#include "core/imaging/StudioEffectsService.h"

#include "core/imaging/filters/CastShadow.h"
#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"
#include "imagecodec/TaviImageCodecEngine.h"

#include <QColorSpace>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

// Placements below are worked out on a plane whose origin is the bitmap's bottom-left corner and
// whose y axis points up; each is turned into QPainter's top-down rows exactly once, where the
// rectangle is made (a box whose bottom edge lies `y` above the bottom has its top row at
// height - y - boxHeight).

namespace {

// Neither effect makes a canvas with a side beyond this or more pixels than this many.
constexpr double kMaxCanvasSide = 65535;
constexpr double kMaxCanvasPixels = 400.0 * 1000 * 1000;

QImage premultipliedRgba(const QImage& image) {
    return image.format() == QImage::Format_RGBA8888_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

QColor opaque(double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b)); }

// The markup scale unit: a thousandth of the longer side, never below one half.
double scaleUnit(double longerSide) {
    const double t = longerSide / 1000;
    return t >= 0.5 ? t : 0.5;
}

// The system's user-interface face in bold at `pixels` pixels on `device`.
QFont watermarkFont(double pixels, const QPaintDevice& device) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setBold(true);
    // Unhinted outlines scale smoothly, so measured and drawn widths agree at any size and angle.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPointSizeF(pixels * 72.0 / std::max(1, device.logicalDpiY()));
    return font;
}

#if defined(TAVI_WIDE_KERNELS)
// fillDiagonalGradient's loop four pixels at a time: the same double arithmetic (a product, then
// a sum; compiled without fused multiply-adds, which would round once where the loop rounds
// twice), truncated, clamped, and the colours fetched with one gather. Returns where it stopped.
__attribute__((target("avx2"))) int gradientWide(uchar* row, int from, int to, double start, double step,
                                                 const uchar* table, int steps) {
    const __m256d origin = _mm256_set1_pd(start), slope = _mm256_set1_pd(step), four = _mm256_set1_pd(4.0);
    const __m128i last = _mm_set1_epi32(steps), zero = _mm_setzero_si128();
    __m256d xs = _mm256_setr_pd(from, from + 1.0, from + 2.0, from + 3.0);
    int x = from;
    for (; x + 4 <= to; x += 4, xs = _mm256_add_pd(xs, four)) {
        const __m256d t = _mm256_add_pd(origin, _mm256_mul_pd(xs, slope));
        const __m128i index = _mm_min_epi32(_mm_max_epi32(_mm256_cvttpd_epi32(t), zero), last);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 4 * size_t(x)),
                         _mm_i32gather_epi32(reinterpret_cast<const int*>(table), index, 4));
    }
    return x;
}
#endif

// The wallpaper: three stops along the diagonal from the top-left to the bottom-right corner,
// interpolated in 8-bit sRGB as a drawing context's linear gradient is. Pixels inside `skip` are
// left alone (they are about to be covered).
void fillDiagonalGradient(QImage& canvas, const std::array<RGBAColor, 3>& stops, const QRect& skip) {
    constexpr int steps = 1024;
    std::array<std::array<uchar, 4>, steps + 1> table;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const int segment = t <= beautifyWallpaperStopLocations[1] ? 0 : 1;
        const double a = beautifyWallpaperStopLocations[segment], b = beautifyWallpaperStopLocations[segment + 1];
        const double f = (t - a) / (b - a);
        const RGBAColor& c0 = stops[segment];
        const RGBAColor& c1 = stops[segment + 1];
        const auto mix = [f](double x, double y) {
            return uchar(std::lround(std::clamp(x + (y - x) * f, 0.0, 1.0) * 255));
        };
        table[i] = {mix(c0.r, c1.r), mix(c0.g, c1.g), mix(c0.b, c1.b), 255};
    }
    const int width = canvas.width(), height = canvas.height();
    const double norm = double(width) * width + double(height) * height;
    const double step = width / norm * steps; // t grows linearly along a row
    uchar* const pixels = canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    // Each row depends on its index alone, so bands of rows fill on both cores.
    parallelBands(height, 32, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            uchar* row = pixels + y * stride;
            const double start = (0.5 * width + (y + 0.5) * height) / norm * steps + 0.5;
            const auto fill = [&](int from, int to) {
                int x = from;
#if defined(TAVI_WIDE_KERNELS)
                if (wideKernelsAvailable()) x = gradientWide(row, from, to, start, step, table[0].data(), steps);
#endif
                for (; x < to; ++x)
                    std::memcpy(row + 4 * x, table[std::clamp(int(start + x * step), 0, steps)].data(), 4);
            };
            if (y >= skip.top() && y <= skip.bottom()) {
                fill(0, skip.left());
                fill(skip.right() + 1, width);
            } else {
                fill(0, width);
            }
        }
    });
}

// The photo laid into the backdrop (below, with the frame's other half).
std::optional<QImage> composeFrame(const BeautifyFrameBackdrop& backdrop, const QImage& image, QImage* reuse);

} // namespace

QImage StudioEffectsService::applyWatermark(const WatermarkSettings& settings, const QImage& image) const {
    return tryApplyWatermark(settings, image).value_or(image);
}

QImage StudioEffectsService::applyBeautifyFrame(const BeautifySettings& settings, const QImage& image) const {
    return tryApplyBeautifyFrame(settings, image).value_or(image);
}

namespace {

// Where and how a watermark goes on a picture of a given size.
struct WatermarkPlan {
    QString text;
    QFont font;
    QTransform placement; // shared by every box
    std::vector<QRectF> boxes; // in the painter's coordinates
    QRectF shapeBounds;
    ShadowStyle shadow;
    QColor textColor;
    double textAlpha = 1;
    bool tiled = false;

    // Every pixel the watermark may change: its text is clipped to it, so a caller that keeps
    // these pixels can take the watermark off again exactly.
    QRect area(QSize size) const {
        return (shapeBounds.toAlignedRect() | dropShadowArea(shapeBounds, shadow)) & QRect(QPoint(0, 0), size);
    }

    void drawText(QPainter& painter, const QColor& color) const {
        painter.setFont(font);
        painter.setPen(color);
        painter.setTransform(placement, true);
        for (const QRectF& box : boxes) painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    }

    // Onto `canvas` (RGBA8 premultiplied), in place.
    bool draw(QImage& canvas) const {
        // The shadow follows the text's own coverage (a fainter text casts a fainter shadow) and,
        // like a drawing context's shadow, is offset straight down whatever the text's rotation.
        castDropShadow(canvas, shapeBounds, shadow, [&](QPainter& painter) {
            drawText(painter, QColor::fromRgbF(0, 0, 0, float(textAlpha)));
        });
        QPainter painter(&canvas);
        if (!painter.isActive()) return false;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setClipRect(area(canvas.size()));
        drawText(painter, textColor);
        painter.end();
        return true;
    }
};

// The plan for `settings` on a picture of `size` measured as `device` (whose resolution sets the
// face's size); nothing when the face would be too large to draw.
std::optional<WatermarkPlan> planWatermark(const WatermarkSettings& settings, const QString& text, QSize size,
                                           const QPaintDevice& device) {
    const double width = size.width(), height = size.height();
    const double u = scaleUnit(std::max(width, height));
    const double fontPixels = std::max(u * settings.fontSize, 12.0);
    // A face larger than the whole image only paints a clipped blob; beyond this nothing draws.
    if (!std::isfinite(fontPixels) || fontPixels > 4 * std::max(width, height) + 1000) return std::nullopt;

    WatermarkPlan plan;
    plan.text = text;
    plan.font = watermarkFont(fontPixels, device);
    const QFontMetricsF metrics(plan.font, &device);
    const QSizeF measured = metrics.size(0, text);
    const double w = measured.width(), h = measured.height();

    plan.textAlpha = settings.opacity < 1 ? std::max(settings.opacity, 0.05) : 1.0;
    plan.textColor = QColor::fromRgbF(float(std::clamp(settings.color.r, 0.0, 1.0)),
                                      float(std::clamp(settings.color.g, 0.0, 1.0)),
                                      float(std::clamp(settings.color.b, 0.0, 1.0)), float(plan.textAlpha));
    plan.shadow = ShadowStyle{QPointF(0, 1.5 * u), 4 * u / 2, settings.opacity * 0.65, Qt::black};
    const double margin = std::max(28 * u, 18.0);

    if (settings.position == WatermarkPosition::tiledDiagonal) {
        // Rows of the y-up plane rotated by +30° about the centre rise to the right; on rows that
        // run downwards that is a rotation by -30°, and a box at y (up) has its top at -y - h.
        plan.tiled = true;
        plan.placement.translate(width / 2, height / 2);
        plan.placement.rotate(-30);
        const double d = std::hypot(width, height);
        const double sx = std::max(width / 3.2, 80 * u + w);
        const double sy = std::max(height / 3.2, 90 * u + h);
        for (double y = -d / 2; y < d / 2; y += sy) {
            double x = -d / 2;
            do {
                plan.boxes.emplace_back(x, -y - h, w, h);
                x += sx;
            } while (x < d / 2);
        }
        plan.shapeBounds = QRectF(0, 0, width, height);
    } else {
        double x = 0, y = 0;
        switch (settings.position) {
        case WatermarkPosition::bottomRight: x = width - w - margin, y = margin; break;
        case WatermarkPosition::bottomLeft: x = margin, y = margin; break;
        case WatermarkPosition::topRight: x = width - w - margin, y = height - h - margin; break;
        case WatermarkPosition::topLeft: x = margin, y = height - h - margin; break;
        case WatermarkPosition::center: x = (width - w) / 2, y = (height - h) / 2; break;
        case WatermarkPosition::tiledDiagonal: break;
        }
        const QRectF box(x, height - y - h, w, h);
        plan.boxes.push_back(box);
        // Glyphs may reach a little past their advance box (bearings, the © ring).
        plan.shapeBounds = box.adjusted(-h / 2, -h / 2, h / 2, h / 2);
    }
    return plan;
}

} // namespace

std::optional<QImage> StudioEffectsService::tryApplyWatermark(const WatermarkSettings& settings,
                                                              const QImage& image) const {
    const QString text = settings.text.trimmed();
    if (!settings.enabled || text.isEmpty() || image.isNull()) return image;
    const QImage converted = premultipliedRgba(image);
    if (converted.isNull()) return std::nullopt;
    const std::optional<WatermarkPlan> plan = planWatermark(settings, text, image.size(), converted);
    if (!plan) return std::nullopt;
    QImage canvas = converted.copy();
    if (canvas.isNull() || !plan->draw(canvas)) return std::nullopt;
    return canvas;
}

bool StudioEffectsService::drawWatermarkInPlace(const WatermarkSettings& settings, QImage& canvas, QImage& under,
                                                QPoint& underAt) const {
    const QString text = settings.text.trimmed();
    if (!settings.enabled || text.isEmpty() || canvas.isNull() ||
        canvas.format() != QImage::Format_RGBA8888_Premultiplied)
        return false;
    const std::optional<WatermarkPlan> plan = planWatermark(settings, text, canvas.size(), canvas);
    if (!plan || plan->tiled) return false;
    const QRect area = plan->area(canvas.size());
    QImage kept = canvas.copy(area);
    if (kept.isNull() && !area.isEmpty()) return false;
    bool drawn = false;
    try {
        drawn = plan->draw(canvas);
    } catch (const std::bad_alloc&) {
        // A shadow band may have been blended already: the canvas goes back as it was.
    }
    if (!drawn) {
        restorePixels(canvas, kept, area.topLeft());
        return false;
    }
    under = std::move(kept);
    underAt = area.topLeft();
    return true;
}

void StudioEffectsService::restorePixels(QImage& canvas, const QImage& under, QPoint at) {
    const QRect area = QRect(at, under.size()) & canvas.rect();
    if (area.isEmpty() || under.format() != canvas.format()) return;
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(canvas.scanLine(y) + 4 * size_t(area.left()),
                    under.constScanLine(y - at.y()) + 4 * size_t(area.left() - at.x()), size_t(4) * area.width());
}

std::optional<QImage> StudioEffectsService::tryApplyBeautifyFrame(const BeautifySettings& settings,
                                                                  const QImage& image) const {
    if (!settings.enabled || image.isNull()) return image;
    const QImage photo = premultipliedRgba(image);
    if (photo.isNull()) return std::nullopt;
    std::optional<BeautifyFrameBackdrop> backdrop = makeBeautifyFrameBackdrop(settings, photo.size());
    if (!backdrop) return std::nullopt;
    // The backdrop serves this photo only: the photo is laid straight into its canvas, so a
    // full-resolution frame holds one canvas, not two.
    return composeFrame(*backdrop, photo, &backdrop->canvas);
}

std::optional<BeautifyFrameBackdrop>
StudioEffectsService::makeBeautifyFrameBackdrop(const BeautifySettings& settings, QSize photoSize,
                                                const BeautifyFrameBackdrop* previous) const {
    if (photoSize.isEmpty()) return std::nullopt;
    const double photoWidth = photoSize.width(), photoHeight = photoSize.height();
    const double longer = std::max(photoWidth, photoHeight);
    const double padding = std::max(std::round(settings.padding * longer), 24.0);
    const double bar = settings.showWindowBar ? std::max(std::round(0.032 * longer), 28.0) : 0.0;
    double radius = longer / 1000 * settings.cornerRadius;
    if (!(radius >= 0)) radius = 0;
    const double cardHeight = photoHeight + bar;

    double canvasWidth = photoWidth + 2 * padding;
    double canvasHeight = cardHeight + 2 * padding;
    if (const auto q = numericRatio(settings.aspectRatio)) {
        const bool tooNarrow = canvasHeight < 1 ? canvasWidth < *q : canvasWidth / canvasHeight < *q;
        if (tooNarrow)
            canvasWidth = std::round(canvasHeight * *q);
        else
            canvasHeight = std::round(canvasWidth / *q);
    }
    canvasWidth = std::round(canvasWidth);
    canvasHeight = std::round(canvasHeight);
    if (!(canvasWidth <= kMaxCanvasSide && canvasHeight <= kMaxCanvasSide &&
          canvasWidth * canvasHeight <= kMaxCanvasPixels))
        return std::nullopt;

    BeautifyFrameBackdrop backdrop;
    backdrop.settings = settings;
    backdrop.photoSize = photoSize;
    QImage& canvas = backdrop.canvas;
    canvas = QImage(int(canvasWidth), int(canvasHeight), QImage::Format_RGBA8888_Premultiplied);
    if (canvas.isNull()) return std::nullopt;
    canvas.setColorSpace(QColorSpace::SRgb);

    // The card: bar on top, photo below it, centred (the y-up offset rounded, then turned over).
    const double cardX = std::round((canvasWidth - photoWidth) / 2);
    const double cardYUp = std::round((canvasHeight - cardHeight) / 2);
    const double cardTop = canvasHeight - cardYUp - cardHeight;
    const QRectF card(cardX, cardTop, photoWidth, cardHeight);
    // A corner can't be rounder than half the card; beyond that the outline would fold over.
    const double cornerRadius = std::min({radius, photoWidth / 2, cardHeight / 2});
    // The card's outline and the part of it the photo shows through are made in the photo's own
    // coordinates and moved onto the canvas by whole pixels, so the same photo and corner give
    // the same edge on any canvas (a padding drag keeps it, see below).
    const QPointF photoOrigin(cardX, cardTop + bar);
    QPainterPath outlineAtPhoto, photoAreaAtPhoto;
    outlineAtPhoto.addRoundedRect(card.translated(-photoOrigin), cornerRadius, cornerRadius);
    photoAreaAtPhoto = outlineAtPhoto;
    if (bar > 0) {
        QPainterPath below;
        below.addRect(QRectF(0, 0, photoWidth, photoHeight));
        photoAreaAtPhoto = outlineAtPhoto.intersected(below);
    }
    const QPainterPath outline = outlineAtPhoto.translated(photoOrigin);

    // Everything inside `interior` is covered by the photo alone (far enough from the rounded
    // corners and the hairline), so those pixels are copied rather than filled, shadowed and
    // painted over; only the ring around them is drawn.
    const double inset = std::ceil(cornerRadius) + 2;
    QRect interior(int(cardX + inset), int(cardTop + bar + inset), int(photoWidth - 2 * inset),
                   int(photoHeight - 2 * inset));
    if (interior.isEmpty()) interior = QRect();

    fillDiagonalGradient(canvas, gradientStops(settings.wallpaper), interior);

    if (settings.shadowIntensity > 0.01) {
        const double blur = std::max(longer * 0.045 * settings.shadowIntensity, 16.0);
        const ShadowStyle shadow{QPointF(0, 0.32 * blur), blur / 2, settings.shadowIntensity * 0.65, Qt::black};
        // The card is opaque: the shadow under it would be painted over straight away.
        const QRect underCard(int(cardX + inset), int(cardTop + inset), int(photoWidth - 2 * inset),
                              int(cardHeight - 2 * inset));
        castDropShadow(canvas, card, shadow, [&](QPainter& painter) { painter.fillPath(outline, Qt::black); }, underCard);
    }

    // The outline with the copied interior cut out (an even-odd hole).
    QPainterPath ring = outline;
    if (!interior.isEmpty()) {
        ring.setFillRule(Qt::OddEvenFill);
        ring.addRect(interior);
    }

    const QColor cardColor = opaque(0.1, 0.1, 0.12);
    const QRgb card8 = qPremultiply(cardColor.rgba());
    backdrop.cardColor[0] = uchar(qRed(card8));
    backdrop.cardColor[1] = uchar(qGreen(card8));
    backdrop.cardColor[2] = uchar(qBlue(card8));
    backdrop.cardColor[3] = uchar(qAlpha(card8));
    QPainter painter(&canvas);
    if (!painter.isActive()) return std::nullopt;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ring, cardColor);

    // Filling the clipped parts of the outline (rather than clipping, which QPainter does without
    // antialiasing) keeps the rounded corners smooth.
    if (bar > 0) {
        QPainterPath barRect;
        barRect.addRect(QRectF(cardX, cardTop, photoWidth, bar));
        painter.fillPath(outline.intersected(barRect), opaque(0.13, 0.14, 0.16));
        const double diameter = std::max(0.36 * bar, 10.0);
        const QColor dots[3] = {opaque(1, 0.37, 0.34), opaque(1, 0.74, 0.18), opaque(0.15, 0.79, 0.25)};
        painter.save();
        painter.setClipPath(outline);
        for (int i = 0; i < 3; ++i) {
            const double left = cardX + 0.52 * bar + i * 1.65 * diameter;
            painter.setPen(Qt::NoPen);
            painter.setBrush(dots[i]);
            painter.drawEllipse(QRectF(left, cardTop + bar / 2 - diameter / 2, diameter, diameter));
        }
        painter.restore();
    }
    painter.end();
    backdrop.photoOrigin = photoOrigin.toPoint();
    backdrop.interior = interior;
    const double hairlineWidth = std::max(longer * 0.0014, 1.0);
    backdrop.edgeShape = {photoSize, cornerRadius, bar, hairlineWidth};
    if (previous && previous->edge && previous->edgeShape == backdrop.edgeShape) {
        backdrop.edge = previous->edge;
    } else {
        const int reach = int(std::ceil(hairlineWidth)) + 2;
        const QRect bounds = card.translated(-photoOrigin).toAlignedRect().adjusted(-reach, -reach, reach, reach);
        try {
            backdrop.edge = std::make_shared<const FrameEdgeCoverage>(
                photoAreaAtPhoto, outlineAtPhoto, QPen(QColor::fromRgbF(1, 1, 1, 0.22f), hairlineWidth), bounds,
                interior.translated(-backdrop.photoOrigin));
        } catch (const std::bad_alloc&) {
            return std::nullopt; // as for a canvas that can't be made
        }
    }
    return backdrop;
}

std::optional<QImage> StudioEffectsService::composeBeautifyFrame(const BeautifyFrameBackdrop& backdrop,
                                                                 const QImage& image) const {
    return composeFrame(backdrop, image, nullptr);
}

namespace {

// Premultiplied pixels laid over a solid colour, as a painter lays an image.
void overSolid(uchar* target, const uchar* source, int count, const uchar* solid) {
    for (int x = 0; x < count; ++x, target += 4, source += 4) {
        const float keep = 1.0f - source[3] / 255.0f;
        for (int k = 0; k < 4; ++k) target[k] = uchar(std::min(255, int(source[k] + solid[k] * keep + 0.5f)));
    }
}

// `reuse`, when given, is the backdrop's own canvas, given up by its caller: the photo is laid
// into it and it is moved out as the result.
std::optional<QImage> composeFrame(const BeautifyFrameBackdrop& backdrop, const QImage& image,
                                   QImage* reuse) {
    const QImage photo = premultipliedRgba(image);
    if (photo.isNull() || photo.size() != backdrop.photoSize || backdrop.canvas.isNull()) return std::nullopt;
    const QImage& canvasSource = backdrop.canvas;
    const bool inPlace = reuse && reuse->isDetached();
    QImage canvas =
        inPlace ? std::move(*reuse) : QImage(canvasSource.size(), QImage::Format_RGBA8888_Premultiplied);
    if (canvas.isNull()) return std::nullopt;
    canvas.setColorSpace(QColorSpace::SRgb);

    // Each row is the backdrop's, with the photo copied over the interior (laid over the card's
    // colour where it is translucent: the backdrop leaves the interior undefined), then the ring
    // around the interior blended.
    const QRect interior = backdrop.interior;
    const int width = canvas.width();
    const QPoint origin = backdrop.photoOrigin;
    const QRect photoRect(origin, photo.size());
    uchar* const target = canvas.bits(); // detached already: the bands share one buffer
    const qsizetype stride = canvas.bytesPerLine();
    parallelBands(canvas.height(), 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            uchar* row = target + y * stride;
            // The backdrop's row; in place (the canvas is the backdrop's own) the row holds it.
            const uchar* back = inPlace ? row : canvasSource.constScanLine(y);
            const bool photoRow = y >= photoRect.top() && y <= photoRect.bottom();
            const uchar* photoLine = photoRow ? photo.constScanLine(y - origin.y()) : nullptr;
            if (interior.isEmpty() || y < interior.top() || y > interior.bottom()) {
                if (!inPlace) std::memcpy(row, back, size_t(4) * width);
            } else {
                const int right = interior.right() + 1;
                if (!inPlace) {
                    std::memcpy(row, back, size_t(4) * interior.left());
                    std::memcpy(row + 4 * size_t(right), back + 4 * size_t(right), size_t(4) * (width - right));
                }
                uchar* into = row + 4 * size_t(interior.left());
                const uchar* from = photoLine + 4 * size_t(interior.left() - origin.x());
                // Laid over the card's colour, which overSolid reads instead of the copy.
                if (!FrameEdgeCoverage::copyOpaque(into, from, interior.width()))
                    overSolid(into, from, interior.width(), backdrop.cardColor);
            }
            if (backdrop.edge)
                backdrop.edge->blendRow(y - origin.y(), row, width, origin.x(), photoLine, photo.width());
        }
    });
    return canvas;
}

} // namespace

ImageHistogram StudioEffectsService::computeHistogram(const QImage& image, int bins) const {
    const TaviImageRGBHistogram histogram = TaviImageCodecEngine().computeHistogram(image, bins);
    return {histogram.red, histogram.green, histogram.blue, histogram.luma};
}
