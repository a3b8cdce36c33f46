#include "core/imaging/RenderGeometry.h"

#include "core/imaging/CatmullRom.h"
#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Catmull-Rom weights at 1/256 pixel steps, each weight repeated over four lanes so that a tap
// multiplies a whole pixel with one load. A 1/256 pixel error in the phase moves no 8-bit level.
struct CubicTable {
    static constexpr int kPhases = 256;
    alignas(16) float w[kPhases + 1][4][4];
    CubicTable() {
        for (int k = 0; k <= kPhases; ++k) {
            float t[4];
            catmullRomWeights(float(k) / kPhases, t);
            for (int i = 0; i < 4; ++i)
                for (int c = 0; c < 4; ++c)
                    w[k][i][c] = t[i];
        }
    }
};
const CubicTable& cubicTable() {
    static const CubicTable table;
    return table;
}

// Premultiplied: colour may not exceed alpha after the filter's overshoot.
inline void storeClamped(const float* acc, uchar* dst) {
    const float alpha = std::clamp(acc[3], 0.0f, 255.0f);
    dst[3] = uchar(alpha + 0.5f);
    for (int c = 0; c < 3; ++c)
        dst[c] = uchar(std::clamp(acc[c], 0.0f, alpha) + 0.5f);
}

inline void bicubicInsideScalar(const uchar* p, qsizetype stride, const float (*wx)[4], const float (*wy)[4],
                                uchar* dst) {
    float acc[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j, p += stride)
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 4; ++c)
                acc[c] += wy[j][0] * wx[i][0] * p[i * 4 + c];
    storeClamped(acc, dst);
}

// The 4 x 4 taps starting at `p` (all inside the bitmap), one pixel of output. Each tap row is
// one 16-byte load of four pixels widened to four float vectors, so a pixel costs 16 vector
// multiply-adds and no clamping.
inline void bicubicInside(const uchar* p, qsizetype stride, const float (*wx)[4], const float (*wy)[4],
                          uchar* dst) {
#if defined(__SSE2__)
    if (!narrowKernelsAvailable()) {
        bicubicInsideScalar(p, stride, wx, wy, dst);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128 w0 = _mm_load_ps(wx[0]), w1 = _mm_load_ps(wx[1]), w2 = _mm_load_ps(wx[2]),
                 w3 = _mm_load_ps(wx[3]);
    __m128 acc = _mm_setzero_ps();
    for (int j = 0; j < 4; ++j, p += stride) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i lo = _mm_unpacklo_epi8(four, zero), hi = _mm_unpackhi_epi8(four, zero);
        __m128 row = _mm_mul_ps(w0, _mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero)));
        row = _mm_add_ps(row, _mm_mul_ps(w1, _mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero))));
        row = _mm_add_ps(row, _mm_mul_ps(w2, _mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero))));
        row = _mm_add_ps(row, _mm_mul_ps(w3, _mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero))));
        acc = _mm_add_ps(acc, _mm_mul_ps(_mm_load_ps(wy[j]), row));
    }
    const __m128 alpha =
        _mm_min_ps(_mm_max_ps(_mm_shuffle_ps(acc, acc, 0xff), _mm_setzero_ps()), _mm_set1_ps(255.0f));
    // Colour into 0 ... alpha; alpha's own lane is min(alpha, alpha).
    const __m128 clamped = _mm_min_ps(_mm_max_ps(acc, _mm_setzero_ps()), alpha);
    const __m128i ints = _mm_cvttps_epi32(_mm_add_ps(clamped, _mm_set1_ps(0.5f)));
    const __m128i words = _mm_packs_epi32(ints, ints);
    const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(dst, &packed, 4);
#else
    bicubicInsideScalar(p, stride, wx, wy, dst);
#endif
}

// A pixel whose taps reach past the bitmap: the taps are clamped to the edge.
void bicubicEdge(const uchar* base, qsizetype stride, int cw, int ch, int ix, int iy, const float (*wx)[4],
                 const float (*wy)[4], uchar* dst) {
    float acc[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j) {
        const uchar* row = base + std::clamp(iy - 1 + j, 0, ch - 1) * stride;
        float racc[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
            const uchar* px = row + size_t(std::clamp(ix - 1 + i, 0, cw - 1)) * 4;
            for (int c = 0; c < 4; ++c)
                racc[c] += wx[i][0] * px[c];
        }
        for (int c = 0; c < 4; ++c)
            acc[c] += wy[j][0] * racc[c];
    }
    storeClamped(acc, dst);
}

// One output row of the straightened picture: pixel u reads around (fx + u·dx, fy + u·dy).
struct ResampleRow {
    const uchar* base;
    qsizetype stride;
    int cw, ch;
    const CubicTable* table;

    struct Tap {
        int ix, iy;
        const float (*wx)[4];
        const float (*wy)[4];
        bool inside;
    };
    // Positions step along a row in 32.32 fixed point: the integer part is the tap's pixel and
    // the top 8 bits of the fraction its phase, with no float conversions per pixel. Rounding
    // to the nearest phase may carry into the pixel (phase 0 of the next one: the same sample).
    // The error after a few thousand steps stays below 2^-20 of a pixel.
    static std::int64_t fixed(double v) { return std::int64_t(std::llround(v * 4294967296.0)); }
    Tap tap(std::int64_t fx, std::int64_t fy) const {
        constexpr std::int64_t half = std::int64_t(1) << 23;
        const std::int64_t rx = fx + half, ry = fy + half;
        const int ix = int(rx >> 32), iy = int(ry >> 32);
        return {ix, iy, table->w[int((rx >> 24) & 255)], table->w[int((ry >> 24) & 255)],
                ix >= 1 && iy >= 1 && ix + 2 < cw && iy + 2 < ch};
    }
    const uchar* corner(const Tap& t) const { return base + (t.iy - 1) * stride + size_t(t.ix - 1) * 4; }
    void single(const Tap& t, uchar* dst) const {
        if (t.inside)
            bicubicInside(corner(t), stride, t.wx, t.wy, dst);
        else
            bicubicEdge(base, stride, cw, ch, t.ix, t.iy, t.wx, t.wy, dst);
    }

    void run(double x, double y, double stepX, double stepY, int width, uchar* dst) const {
        std::int64_t fx = fixed(x), fy = fixed(y);
        const std::int64_t dx = fixed(stepX), dy = fixed(stepY);
        for (int u = 0; u < width; ++u, dst += 4, fx += dx, fy += dy)
            single(tap(fx, fy), dst);
    }

#if defined(TAVI_WIDE_KERNELS)
    // Two output pixels per step, one in each half of a 256-bit register, with fused
    // multiply-adds: twice the pixels for the same instructions as the 128-bit path.
    __attribute__((target("avx2,fma"))) static __m256 pair(const float* a, const float* b) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(a)), _mm_load_ps(b), 1);
    }
    __attribute__((target("avx2,fma"))) void runWide(double x, double y, double stepX, double stepY,
                                                     int width, uchar* dst) const {
        std::int64_t fx = fixed(x), fy = fixed(y);
        const std::int64_t dx = fixed(stepX), dy = fixed(stepY);
        const __m256i zero = _mm256_setzero_si256();
        int u = 0;
        for (; u + 1 < width; u += 2, dst += 8, fx += 2 * dx, fy += 2 * dy) {
            const Tap a = tap(fx, fy), b = tap(fx + dx, fy + dy);
            if (!a.inside || !b.inside) {
                single(a, dst);
                single(b, dst + 4);
                continue;
            }
            const uchar* pa = corner(a);
            const uchar* pb = corner(b);
            const __m256 w0 = pair(a.wx[0], b.wx[0]), w1 = pair(a.wx[1], b.wx[1]);
            const __m256 w2 = pair(a.wx[2], b.wx[2]), w3 = pair(a.wx[3], b.wx[3]);
            __m256 acc = _mm256_setzero_ps();
            for (int j = 0; j < 4; ++j, pa += stride, pb += stride) {
                const __m256i four = _mm256_inserti128_si256(
                    _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pa))),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb)), 1);
                const __m256i lo = _mm256_unpacklo_epi8(four, zero), hi = _mm256_unpackhi_epi8(four, zero);
                __m256 row = _mm256_mul_ps(w0, _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(lo, zero)));
                row = _mm256_fmadd_ps(w1, _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(lo, zero)), row);
                row = _mm256_fmadd_ps(w2, _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(hi, zero)), row);
                row = _mm256_fmadd_ps(w3, _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(hi, zero)), row);
                acc = _mm256_fmadd_ps(pair(a.wy[j], b.wy[j]), row, acc);
            }
            const __m256 alpha = _mm256_min_ps(
                _mm256_max_ps(_mm256_permute_ps(acc, 0xff), _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
            const __m256 clamped = _mm256_min_ps(_mm256_max_ps(acc, _mm256_setzero_ps()), alpha);
            const __m256i ints = _mm256_cvttps_epi32(_mm256_add_ps(clamped, _mm256_set1_ps(0.5f)));
            const __m256i words = _mm256_packs_epi32(ints, ints);
            const __m256i bytes = _mm256_packus_epi16(words, words);
            const int first = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
            const int second = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
            std::memcpy(dst, &first, 4);
            std::memcpy(dst + 4, &second, 4);
        }
        if (u < width) single(tap(fx, fy), dst);
    }
#endif
};

// Outward rounding that ignores floating-point dust: 0.1 × 300 is 30, not a pixel more.
int floorTolerant(double v) {
    return int(std::floor(v + 1e-7));
}
int ceilTolerant(double v) {
    return int(std::ceil(v - 1e-7));
}

} // namespace

RenderGeometry::RenderGeometry(QSize sourceSize, const EditAdjustments& a, bool includeCrop)
    : source_(sourceSize) {
    int w = source_.width(), h = source_.height();
    auto& m = map_;
    // Each step rewrites the map from the new frame's pixel to the previous frame's pixel.
    if (a.flipHorizontal) { // previous (w − 1 − u, v)
        m = {-m[0], m[1], m[0] * (w - 1) + m[2], -m[3], m[4], m[3] * (w - 1) + m[5]};
        identity_ = false;
    }
    if (a.flipVertical) { // previous (u, h − 1 − v)
        m = {m[0], -m[1], m[1] * (h - 1) + m[2], m[3], -m[4], m[4] * (h - 1) + m[5]};
        identity_ = false;
    }
    const int turns = int(a.quarterTurns & 3);
    for (int t = 0; t < turns; ++t) { // clockwise: new (u, v) in h × w is previous (v, h − 1 − u)
        m = {-m[1], m[0], m[1] * (h - 1) + m[2], -m[4], m[3], m[4] * (h - 1) + m[5]};
        std::swap(w, h);
        identity_ = false;
    }
    turned_ = QSize(w, h);

    if (std::abs(a.straightenDegrees) > 0.01 && std::isfinite(a.straightenDegrees)) {
        straighten_ = true;
        identity_ = false;
        const double angle = a.straightenDegrees * M_PI / 180.0;
        cosA_ = std::cos(angle);
        sinA_ = std::sin(angle);
        const double c = std::abs(cosA_), s = std::abs(sinA_);
        const double byWidth = (c * w + s * h) / std::max(double(w), 1.0);
        const double byHeight = h >= 1 ? (s * w + c * h) / h : (s * w + c * h);
        scale_ = std::max(byWidth, byHeight);
    }

    crop_ = QRect(0, 0, w, h);
    if (includeCrop && !a.cropRect.isFull()) {
        const NormalizedCropRect r = a.cropRect.clamped();
        const double x0 = r.x * w, y0 = r.y * h;
        const double cw = std::max(r.width * w, 1.0), ch = std::max(r.height * h, 1.0);
        const int left = floorTolerant(x0), top = floorTolerant(y0);
        const QRect pixels =
            QRect(QPoint(left, top), QPoint(ceilTolerant(x0 + cw) - 1, ceilTolerant(y0 + ch) - 1))
                .intersected(QRect(0, 0, w, h));
        if (pixels.width() >= 2 && pixels.height() >= 2) {
            crop_ = pixels;
            if (crop_ != QRect(0, 0, w, h)) identity_ = false;
        }
    }
    output_ = crop_.size();

    region_ = sourceRegionFor(QRect(QPoint(0, 0), output_));
}

QRect RenderGeometry::sourceRegionFor(const QRect& outputRegion) const {
    if (outputRegion.isEmpty()) return {};
    // The source pixels that the region's corners (and, when resampling, their 4 x 4 taps) reach.
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (double u : {double(outputRegion.left()), double(outputRegion.right())})
        for (double v : {double(outputRegion.top()), double(outputRegion.bottom())}) {
            const QPointF p = sourcePoint(u, v);
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
        }
    const int pad = straighten_ ? 2 : 0;
    return QRect(QPoint(int(std::floor(minX)) - pad, int(std::floor(minY)) - pad),
                 QPoint(int(std::ceil(maxX)) + pad, int(std::ceil(maxY)) + pad))
        .intersected(QRect(QPoint(0, 0), source_));
}

QPointF RenderGeometry::sourcePoint(double u, double v) const {
    double tu = u + crop_.x(), tv = v + crop_.y();
    if (straighten_) {
        // Pixel centres about the frame's centre, turned back by the angle and shrunk by the
        // fill scale: the inverse of rotating the picture clockwise and enlarging it.
        const double cx = 0.5 * turned_.width(), cy = 0.5 * turned_.height();
        const double px = (tu + 0.5 - cx) / scale_, py = (tv + 0.5 - cy) / scale_;
        tu = cx + cosA_ * px + sinA_ * py - 0.5;
        tv = cy - sinA_ * px + cosA_ * py - 0.5;
    }
    const auto& m = map_;
    return {m[0] * tu + m[1] * tv + m[2], m[3] * tu + m[4] * tv + m[5]};
}

QImage RenderGeometry::apply(const QImage& colored, QPoint origin) const {
    return apply(colored, origin, QRect(QPoint(0, 0), output_));
}

QImage RenderGeometry::apply(const QImage& colored, QPoint origin, const QRect& outputRegion) const {
    const QRect area = outputRegion.intersected(QRect(QPoint(0, 0), output_));
    if (area.isEmpty()) return {};
    QImage out(area.size(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull() || colored.isNull()) return {};
    const int ox = origin.x(), oy = origin.y();
    const int cw = colored.width(), ch = colored.height();
    if (!straighten_) {
        const auto& m = map_;
        parallelBands(area.height(), 16, [&](int begin, int end) {
            for (int v = begin; v < end; ++v) {
                auto* dst = reinterpret_cast<quint32*>(out.scanLine(v));
                const int tv = v + area.y() + crop_.y();
                const int tu = area.x() + crop_.x();
                int sx = m[0] * tu + m[1] * tv + m[2] - ox;
                int sy = m[3] * tu + m[4] * tv + m[5] - oy;
                if (m[3] == 0 && m[0] == 1) { // rows stay rows, left to right: one copy
                    std::memcpy(dst, colored.constScanLine(sy) + size_t(sx) * 4, size_t(area.width()) * 4);
                    continue;
                }
                for (int u = 0; u < area.width(); ++u, sx += m[0], sy += m[3])
                    dst[u] = reinterpret_cast<const quint32*>(colored.constScanLine(sy))[sx];
            }
        });
        return out;
    }
    // The map is affine, so each row walks it by a constant step; pixels whose 4 x 4 taps lie
    // inside the bitmap (all but a rim) skip the edge clamping and take the vector path.
    const QPointF corner0 = sourcePoint(0, 0);
    const QPointF stepU = sourcePoint(1, 0) - corner0, stepV = sourcePoint(0, 1) - corner0;
    const QPointF origin0 = corner0 + area.x() * stepU + area.y() * stepV;
    const uchar* const base = colored.constBits();
    const qsizetype stride = colored.bytesPerLine();
    const CubicTable& table = cubicTable();
    const ResampleRow resample{base, stride, cw, ch, &table};
#if defined(TAVI_WIDE_KERNELS)
    const bool wide = wideKernelsAvailable();
#else
    const bool wide = false;
#endif
    uchar* const outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    parallelBands(area.height(), 8, [&](int begin, int end) {
        for (int v = begin; v < end; ++v) {
            uchar* dst = outBits + v * outStride;
            const double fx = origin0.x() + v * stepV.x() - ox, fy = origin0.y() + v * stepV.y() - oy;
#if defined(TAVI_WIDE_KERNELS)
            if (wide) {
                resample.runWide(fx, fy, stepU.x(), stepU.y(), area.width(), dst);
                continue;
            }
#endif
            resample.run(fx, fy, stepU.x(), stepU.y(), area.width(), dst);
        }
    });
    return out;
}

separableStraighten::Map RenderGeometry::affineMap(QPoint origin) const {
    const QPointF origin0 = sourcePoint(0, 0);
    const QPointF stepU = sourcePoint(1, 0) - origin0, stepV = sourcePoint(0, 1) - origin0;
    return {stepU.x(), stepV.x(), origin0.x() - origin.x(), stepU.y(), stepV.y(), origin0.y() - origin.y()};
}
