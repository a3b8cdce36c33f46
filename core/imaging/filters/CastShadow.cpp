#include "core/imaging/filters/CastShadow.h"

#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/PixelRow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// body(begin, end) over [0, count) in bands on the global pool, the caller working too. Each
// item is `itemSamples` samples of work; a band is never smaller than about 64k samples, since
// a watermark's shadow is a small plane and handing each sliver of it to another thread would
// cost more than blurring it.
void inBands(int count, int itemSamples, const std::function<void(int, int)>& body) {
    constexpr qint64 kSamplesPerBand = 64 * 1024;
    const qint64 grain = std::max<qint64>(1, kSamplesPerBand / std::max(1, itemSamples));
    parallelBands(count, int(std::min<qint64>(grain, count)), body);
}

// The widths of three box passes whose sum approximates the Gaussian (the sizes of Kovesi's
// "fast almost Gaussian filtering").
struct BoxWidths {
    int width[3];
};

BoxWidths boxWidths(double sigma) {
    const int passes = 3;
    int lower = int(std::floor(std::sqrt(12 * sigma * sigma / passes + 1)));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const int lowerCount = int(std::lround((12 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3 * passes) /
                                           (-4.0 * lower - 4)));
    BoxWidths w;
    for (int pass = 0; pass < passes; ++pass)
        w.width[pass] = pass < lowerCount ? lower : upper;
    return w;
}

// The running sums are doubles, so a long column's sum doesn't drift from its window.
TAVI_PIXEL_KERNEL void addRow(double* sum, const float* row, int count) {
    for (int i = 0; i < count; ++i)
        sum[i] += row[i];
}

// One step of a box down the columns: the output row is the window's mean, then the window
// moves on a row.
TAVI_PIXEL_KERNEL void slideRow(float* out, double* sum, const float* entering, const float* leaving, double scale,
                                int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = float(sum[i] * scale);
        sum[i] += entering[i];
        sum[i] -= leaving[i];
    }
}

// Baseline code only: a second build for newer processors would fuse the multiply and the add,
// and a shadow would then come out a level apart from one machine to another.
void addScaledRow(float* out, const float* row, float weight, int count) {
    for (int i = 0; i < count; ++i)
        out[i] += weight * row[i];
}

// The blur down each column of a plane `width` samples wide, samples outside it counting as
// zero: a column is a lane, so every step runs across a row's columns at once (along a line,
// each step would wait on the one before). Columns go in blocks, each block's rows copied
// together so the passes read them from cache.
void blurColumns(float* plane, int width, int height, double sigma) {
    // Narrow enough that a narrow plane still splits between the cores, wide enough for whole
    // vectors.
    const int kBlock = std::min(width, 64);
    const int blocks = (width + kBlock - 1) / kBlock;
    const bool boxes = sigma >= 3;
    const BoxWidths box = boxes ? boxWidths(sigma) : BoxWidths{};
    std::vector<float> kernel;
    if (!boxes) {
        const int radius = int(std::ceil(3 * sigma));
        kernel.resize(2 * size_t(radius) + 1);
        double total = 0;
        for (int i = -radius; i <= radius; ++i)
            total += kernel[i + radius] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
        for (float& v : kernel) v = float(v / total);
    }
    const int radius = boxes ? 0 : int(kernel.size() / 2);
    inBands(blocks, kBlock * height, [&](int begin, int end) {
        // The block's rows, with `radius` rows of zeros above and below for the direct kernel.
        std::vector<float> source(size_t(kBlock) * (height + 2 * radius), 0.0f);
        std::vector<double> sum(kBlock);
        const std::vector<float> zero(kBlock, 0.0f);
        for (int b = begin; b < end; ++b) {
            const int x0 = b * kBlock, n = std::min(kBlock, width - x0);
            auto load = [&] {
                for (int y = 0; y < height; ++y)
                    std::copy_n(plane + size_t(y) * width + x0, n, source.data() + size_t(y + radius) * n);
            };
            if (!boxes) {
                std::fill(source.begin(), source.end(), 0.0f); // the zero rows, at this block's width
                load();
                for (int y = 0; y < height; ++y) {
                    float* const out = plane + size_t(y) * width + x0;
                    std::fill_n(out, n, 0.0f);
                    for (size_t j = 0; j < kernel.size(); ++j)
                        addScaledRow(out, source.data() + (size_t(y) + j) * n, kernel[j], n);
                }
                continue;
            }
            for (const int window : box.width) {
                const int reach = window / 2;
                load();
                std::fill_n(sum.data(), n, 0.0);
                for (int y = 0; y <= std::min(reach, height - 1); ++y)
                    addRow(sum.data(), source.data() + size_t(y) * n, n);
                for (int y = 0; y < height; ++y) {
                    const float* entering = y + reach + 1 < height ? source.data() + size_t(y + reach + 1) * n : zero.data();
                    const float* leaving = y - reach >= 0 ? source.data() + size_t(y - reach) * n : zero.data();
                    slideRow(plane + size_t(y) * width + x0, sum.data(), entering, leaving, 1.0 / window, n);
                }
            }
        }
    });
}

// The bilinear taps of one output column (or row) on the mask.
struct Tap {
    int i0, i1;
    float w1;
};

TAVI_PIXEL_KERNEL void interpolateRows(const float* r0, const float* r1, float w, int count, float* out) {
    for (int i = 0; i < count; ++i)
        out[i] = r0[i] + (r1[i] - r0[i]) * w;
}

// The shadow's alpha (0...255) of each pixel of a span, from the mask row between rows.
TAVI_PIXEL_KERNEL void shadowAlphas(const float* row, const Tap* taps, int count, float alpha, uchar* out) {
    for (int i = 0; i < count; ++i) {
        const float v0 = row[taps[i].i0], v1 = row[taps[i].i1];
        const float coverage = std::min(std::max(v0 + (v1 - v0) * taps[i].w1, 0.0f), 1.0f);
        out[i] = uchar(int(alpha * coverage * 255.0f + 0.5f));
    }
}

// The tint laid over premultiplied pixels with those alphas, rounded to nearest: x / 255 for
// x up to 65152 is (x + 1 + (x >> 8)) >> 8, which the loop runs lane-parallel. An alpha of 0
// leaves the pixel exactly as it was.
TAVI_PIXEL_KERNEL void blendTint(uchar* pixels, const uchar* alphas, int count, const int* tint) {
    for (int i = 0; i < count; ++i) {
        const unsigned a = alphas[i], keep = 255 - a;
        for (int ch = 0; ch < 4; ++ch) {
            const unsigned x = pixels[4 * i + ch] * keep + unsigned(tint[ch]) * a + 127;
            pixels[4 * i + ch] = uchar((x + 1 + (x >> 8)) >> 8);
        }
    }
}

// A wide blur leaves no detail finer than its sigma, so the mask is drawn smaller, keeping the
// reduced sigma near 2 samples (bilinear reconstruction then stays within a level or two).
int reductionFactor(double sigma) {
    return sigma >= 3.6 ? int(sigma / 1.8) : 1;
}

// Where the blurred, moved shape can reach.
QRectF shadowRegion(const QRectF& shapeBounds, const ShadowStyle& shadow) {
    const double sigma = std::max(shadow.sigma, 0.0);
    const double reach = 3 * sigma + 2 * reductionFactor(sigma);
    return shapeBounds.translated(shadow.offset).adjusted(-reach, -reach, reach, reach);
}

} // namespace

QRect dropShadowArea(const QRectF& shapeBounds, const ShadowStyle& shadow) {
    if (!std::isfinite(shadow.sigma) || !std::isfinite(shadow.offset.x()) || !std::isfinite(shadow.offset.y()))
        return {};
    return shadowRegion(shapeBounds, shadow).toAlignedRect();
}

namespace {

// Blocked transpose, so the rows can be blurred as columns too.
void transpose(const float* source, float* target, int width, int height) {
    constexpr int block = 32;
    inBands((height + block - 1) / block, block * width, [&](int begin, int end) {
        for (int by = begin * block; by < std::min(height, end * block); by += block)
            for (int bx = 0; bx < width; bx += block)
                for (int y = by; y < std::min(height, by + block); ++y)
                    for (int x = bx; x < std::min(width, bx + block); ++x)
                        target[size_t(x) * height + y] = source[size_t(y) * width + x];
    });
}

} // namespace

void gaussianBlurZeroPadded(float* plane, int width, int height, double sigma) {
    if (!plane || width <= 0 || height <= 0 || !(sigma >= 0.2) || !std::isfinite(sigma)) return;
    blurColumns(plane, width, height, sigma);
    std::vector<float> transposed(size_t(width) * height);
    transpose(plane, transposed.data(), width, height);
    blurColumns(transposed.data(), height, width, sigma);
    transpose(transposed.data(), plane, height, width);
}

void castDropShadow(QImage& target, const QRectF& shapeBounds, const ShadowStyle& shadow,
                    const std::function<void(QPainter&)>& paintShape, const QRect& hiddenArea) {
    if (target.isNull() || target.format() != QImage::Format_RGBA8888_Premultiplied) return;
    if (!std::isfinite(shadow.sigma) || !std::isfinite(shadow.alpha) || !std::isfinite(shadow.offset.x()) ||
        !std::isfinite(shadow.offset.y()) || shapeBounds.isEmpty())
        return;
    const double alpha = std::clamp(shadow.alpha, 0.0, 1.0);
    if (alpha <= 0) return;
    const double sigma = std::max(shadow.sigma, 0.0);
    const int factor = reductionFactor(sigma);
    const QRectF region = shadowRegion(shapeBounds, shadow);
    const QRect visible = region.toAlignedRect() & target.rect();
    if (visible.isEmpty()) return;
    const double originX = std::floor(region.left()), originY = std::floor(region.top());
    const double maskWidth = std::ceil((region.right() - originX) / factor) + 1;
    const double maskHeight = std::ceil((region.bottom() - originY) / factor) + 1;
    if (!(maskWidth * maskHeight <= 64.0 * 1024 * 1024)) return;

    QImage mask(int(maskWidth), int(maskHeight), QImage::Format_Alpha8);
    if (mask.isNull()) return;
    mask.fill(0);
    {
        QPainter painter(&mask);
        if (!painter.isActive()) return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QTransform toMask;
        toMask.scale(1.0 / factor, 1.0 / factor);
        toMask.translate(shadow.offset.x() - originX, shadow.offset.y() - originY);
        painter.setTransform(toMask);
        paintShape(painter);
    }

    const int mw = mask.width(), mh = mask.height();
    std::vector<float> plane(size_t(mw) * mh);
    for (int y = 0; y < mh; ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < mw; ++x) plane[size_t(y) * mw + x] = row[x] * (1.0f / 255.0f);
    }
    gaussianBlurZeroPadded(plane.data(), mw, mh, sigma / factor);

    // Bilinear weights of each visible column, shared by every row.
    const auto tapAt = [factor](double pixel, double origin, int size) {
        const double m = (pixel + 0.5 - origin) / factor - 0.5;
        const double f = std::floor(m);
        const int i0 = std::clamp(int(f), 0, size - 1);
        const int i1 = std::clamp(int(f) + 1, 0, size - 1);
        return Tap{i0, i1, float(m - f)};
    };
    std::vector<Tap> columns(visible.width());
    for (int x = 0; x < visible.width(); ++x) columns[x] = tapAt(visible.left() + x, originX, mw);

    const QColor c = shadow.color.toRgb();
    const int tint[4] = {c.red(), c.green(), c.blue(), 255};
    const float shadowAlpha = float(alpha * c.alphaF());
    const QRect hidden = hiddenArea & visible;
    uchar* const pixels = target.bits(); // detaches once, before the bands share the buffer
    const qsizetype stride = target.bytesPerLine();
    inBands(visible.height(), visible.width() * 4, [&](int begin, int end) {
        std::vector<float> between(static_cast<size_t>(mw));
        std::vector<uchar> alphas(static_cast<size_t>(visible.width()));
        for (int y = visible.top() + begin; y < visible.top() + end; ++y) {
            // The mask between its two rows first, then across: the same bilinear value.
            const Tap row = tapAt(y, originY, mh);
            interpolateRows(plane.data() + size_t(row.i0) * mw, plane.data() + size_t(row.i1) * mw, row.w1, mw,
                            between.data());
            uchar* const out = pixels + y * stride;
            const auto span = [&](int from, int to) { // columns [from, to)
                if (from >= to) return;
                shadowAlphas(between.data(), columns.data() + (from - visible.left()), to - from, shadowAlpha,
                             alphas.data());
                blendTint(out + 4 * from, alphas.data(), to - from, tint);
            };
            if (!hidden.isEmpty() && y >= hidden.top() && y <= hidden.bottom()) {
                span(visible.left(), hidden.left());
                span(hidden.right() + 1, visible.right() + 1);
            } else {
                span(visible.left(), visible.right() + 1);
            }
        }
    });
}
