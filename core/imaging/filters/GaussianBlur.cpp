#include "core/imaging/filters/GaussianBlur.h"

#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Recursive {
    float B, b1, b2, b3; // b1..b3 already divided by b0
};

Recursive coefficients(double sigma) {
    const double q =
        sigma >= 2.5 ? 0.98711 * sigma - 0.96330 : 3.97156 - 4.14554 * std::sqrt(1 - 0.26891 * sigma);
    const double q2 = q * q, q3 = q2 * q;
    const double b0 = 1.57825 + 2.44413 * q + 1.4281 * q2 + 0.422205 * q3;
    const double b1 = 2.44413 * q + 2.85619 * q2 + 1.26661 * q3;
    const double b2 = -(1.4281 * q2 + 1.26661 * q3);
    const double b3 = 0.422205 * q3;
    // B is 1 less the feedback as it is stored, not as computed: with the feedback near 1 any
    // difference between the two is the recursion's gain error, which a flat plane shows as drift.
    const float f1 = float(b1 / b0), f2 = float(b2 / b0), f3 = float(b3 / b0);
    return {float(1.0 - double(f1) - double(f2) - double(f3)), f1, f2, f3};
}

// One line (stride apart) forward then backward; the edges start in their steady state, which
// is what clamping the signal at its ends gives.
void recursiveLine(float* p, int n, std::ptrdiff_t stride, const Recursive& c) {
    float w1 = p[0], w2 = w1, w3 = w1;
    for (int i = 0; i < n; ++i) {
        const float w = c.B * p[i * stride] + c.b1 * w1 + c.b2 * w2 + c.b3 * w3;
        p[i * stride] = w;
        w3 = w2;
        w2 = w1;
        w1 = w;
    }
    float y1 = p[(n - 1) * stride], y2 = y1, y3 = y1;
    for (int i = n - 1; i >= 0; --i) {
        const float y = c.B * p[i * stride] + c.b1 * y1 + c.b2 * y2 + c.b3 * y3;
        p[i * stride] = y;
        y3 = y2;
        y2 = y1;
        y1 = y;
    }
}

#if defined(__SSE2__)
// Four rows at once, one per vector lane: a single row's recursion is one long dependency
// chain, four of them side by side keep the multiplier busy. Blocks of 4 x 4 are transposed in
// and out so that each step reads one column of the four rows.
void recursiveRows4(float* const rows[4], int n, const Recursive& c) {
    const __m128 B = _mm_set1_ps(c.B), b1 = _mm_set1_ps(c.b1), b2 = _mm_set1_ps(c.b2), b3 = _mm_set1_ps(c.b3);
    auto step = [&](__m128 x, __m128& s1, __m128& s2, __m128& s3) {
        const __m128 w =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(B, x), _mm_add_ps(_mm_mul_ps(b2, s2), _mm_mul_ps(b3, s3))),
                       _mm_mul_ps(b1, s1));
        s3 = s2;
        s2 = s1;
        s1 = w;
        return w;
    };
    auto column = [&](int i) { return _mm_set_ps(rows[3][i], rows[2][i], rows[1][i], rows[0][i]); };
    auto put = [&](int i, __m128 v) {
        alignas(16) float t[4];
        _mm_store_ps(t, v);
        for (int r = 0; r < 4; ++r)
            rows[r][i] = t[r];
    };
    // One 4 x 4 block in, its four steps in the pass's direction, the block back out.
    auto block = [&](int i, bool forward, __m128& s1, __m128& s2, __m128& s3) {
        __m128 v[4];
        for (int r = 0; r < 4; ++r)
            v[r] = _mm_loadu_ps(rows[r] + i);
        _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
        for (int k = 0; k < 4; ++k) {
            __m128& x = v[forward ? k : 3 - k];
            x = step(x, s1, s2, s3);
        }
        _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]);
        for (int r = 0; r < 4; ++r)
            _mm_storeu_ps(rows[r] + i, v[r]);
    };
    const int blocks = n / 4 * 4;
    __m128 s1 = column(0), s2 = s1, s3 = s1;
    for (int i = 0; i < blocks; i += 4)
        block(i, true, s1, s2, s3);
    for (int i = blocks; i < n; ++i)
        put(i, step(column(i), s1, s2, s3));
    s1 = column(n - 1);
    s2 = s3 = s1;
    for (int i = n - 1; i >= blocks; --i)
        put(i, step(column(i), s1, s2, s3));
    for (int i = blocks - 4; i >= 0; i -= 4)
        block(i, false, s1, s2, s3);
}
#endif

#if defined(TAVI_WIDE_KERNELS)

TAVI_WIDE inline void transpose8(__m256* r) {
    const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
    const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
    const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
    const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xee);
    const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xee);
    const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xee);
    const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xee);
    r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

TAVI_WIDE inline __m256 column8(float* const rows[8], int i) {
    return _mm256_setr_ps(rows[0][i], rows[1][i], rows[2][i], rows[3][i], rows[4][i], rows[5][i], rows[6][i],
                          rows[7][i]);
}

TAVI_WIDE inline void putColumn8(float* const rows[8], int i, __m256 v) {
    alignas(32) float t[8];
    _mm256_store_ps(t, v);
    for (int r = 0; r < 8; ++r)
        rows[r][i] = t[r];
}

// The recursion over eight lanes with fused multiply-adds: the older states' terms are summed
// off the critical path, so each step waits on one multiply-add of the state before it.
struct WideRecursion {
    __m256 B, b1, b2, b3;
    TAVI_WIDE explicit WideRecursion(const Recursive& c)
        : B(_mm256_set1_ps(c.B)), b1(_mm256_set1_ps(c.b1)), b2(_mm256_set1_ps(c.b2)),
          b3(_mm256_set1_ps(c.b3)) {}
    struct State {
        __m256 s1, s2, s3;
    };
    // Steady state at the edge value: what clamping the signal at its end gives.
    TAVI_WIDE static State at(__m256 edge) { return {edge, edge, edge}; }
    TAVI_WIDE __m256 step(__m256 x, State& s) const {
        const __m256 w = _mm256_fmadd_ps(
            b1, s.s1, _mm256_fmadd_ps(B, x, _mm256_fmadd_ps(b2, s.s2, _mm256_mul_ps(b3, s.s3))));
        s.s3 = s.s2;
        s.s2 = s.s1;
        s.s1 = w;
        return w;
    }
};

// One 8 x 8 block of eight rows in, its eight steps in the pass's direction, the block back out.
TAVI_WIDE inline void block8(float* const rows[8], int i, bool forward, const WideRecursion& recursion,
                             WideRecursion::State& s) {
    __m256 v[8];
    for (int r = 0; r < 8; ++r)
        v[r] = _mm256_loadu_ps(rows[r] + i);
    transpose8(v);
    for (int k = 0; k < 8; ++k) {
        __m256& x = v[forward ? k : 7 - k];
        x = recursion.step(x, s);
    }
    transpose8(v);
    for (int r = 0; r < 8; ++r)
        _mm256_storeu_ps(rows[r] + i, v[r]);
}

// Eight rows at once, one per lane; blocks are transposed in and out so that each step reads
// one column of the eight rows.
TAVI_WIDE void recursiveRows8(float* const rows[8], int n, const Recursive& c) {
    const WideRecursion recursion(c);
    const int blocks = n / 8 * 8;
    WideRecursion::State s = WideRecursion::at(column8(rows, 0));
    for (int i = 0; i < blocks; i += 8)
        block8(rows, i, true, recursion, s);
    for (int i = blocks; i < n; ++i)
        putColumn8(rows, i, recursion.step(column8(rows, i), s));
    s = WideRecursion::at(column8(rows, n - 1));
    for (int i = n - 1; i >= blocks; --i)
        putColumn8(rows, i, recursion.step(column8(rows, i), s));
    for (int i = blocks - 8; i >= 0; i -= 8)
        block8(rows, i, false, recursion, s);
}

// Sixteen columns from row `from` to row `to` (exclusive), a step of ±1.
TAVI_WIDE inline void columnsPass(float* top, int width, int from, int to, int step,
                                  const WideRecursion& recursion) {
    const float* edge = top + size_t(from) * width;
    WideRecursion::State p = WideRecursion::at(_mm256_loadu_ps(edge));
    WideRecursion::State q = WideRecursion::at(_mm256_loadu_ps(edge + 8));
    for (int y = from; y != to; y += step) {
        float* row = top + size_t(y) * width;
        _mm256_storeu_ps(row, recursion.step(_mm256_loadu_ps(row), p));
        _mm256_storeu_ps(row + 8, recursion.step(_mm256_loadu_ps(row + 8), q));
    }
}

// Sixteen columns down the plane and back with their states in registers (two independent
// chains); returns how many columns of the strip it did.
TAVI_WIDE int recursiveColumnsWide(float* plane, int width, int height, int x0, int x1, const Recursive& c) {
    const WideRecursion recursion(c);
    int x = x0;
    for (; x + 16 <= x1; x += 16) {
        columnsPass(plane + x, width, 0, height, 1, recursion);
        columnsPass(plane + x, width, height - 1, -1, -1, recursion);
    }
    return x;
}
#endif

// Columns a strip at a time, so the inner loop runs along a row of memory and vectorises.
void recursiveColumns(float* plane, int width, int height, int x0, int x1, const Recursive& c) {
    const int n = x1 - x0;
    std::vector<float> s1(n), s2(n), s3(n);
    for (int x = 0; x < n; ++x)
        s1[x] = s2[x] = s3[x] = plane[x0 + x];
    for (int y = 0; y < height; ++y) {
        float* row = plane + size_t(y) * width + x0;
        for (int x = 0; x < n; ++x) {
            const float w = c.B * row[x] + c.b1 * s1[x] + c.b2 * s2[x] + c.b3 * s3[x];
            row[x] = w;
            s3[x] = s2[x];
            s2[x] = s1[x];
            s1[x] = w;
        }
    }
    const float* last = plane + size_t(height - 1) * width + x0;
    for (int x = 0; x < n; ++x)
        s1[x] = s2[x] = s3[x] = last[x];
    for (int y = height - 1; y >= 0; --y) {
        float* row = plane + size_t(y) * width + x0;
        for (int x = 0; x < n; ++x) {
            const float v = c.B * row[x] + c.b1 * s1[x] + c.b2 * s2[x] + c.b3 * s3[x];
            row[x] = v;
            s3[x] = s2[x];
            s2[x] = s1[x];
            s1[x] = v;
        }
    }
}

std::vector<float> directKernel(double sigma) {
    const int radius = std::max(1, int(std::ceil(3 * sigma)));
    std::vector<float> k(2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += k[i + radius] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
    for (float& v : k)
        v = float(v / sum);
    return k;
}

void directRows(float* plane, int width, int height, const std::vector<float>& k) {
    const int radius = int(k.size() / 2);
    parallelBands(height, 16, [&](int begin, int end) {
        std::vector<float> padded(width + 2 * radius);
        for (int y = begin; y < end; ++y) {
            float* row = plane + size_t(y) * width;
            for (int i = 0; i < int(padded.size()); ++i)
                padded[i] = row[std::clamp(i - radius, 0, width - 1)];
            for (int x = 0; x < width; ++x) {
                float sum = 0;
                for (int j = 0; j < int(k.size()); ++j)
                    sum += k[j] * padded[x + j];
                row[x] = sum;
            }
        }
    });
}

// Column strips, each copied out once so the pass can write in place: the extra memory is one
// strip per thread rather than a second plane.
void directColumns(float* plane, int width, int height, const std::vector<float>& k) {
    const int radius = int(k.size() / 2);
    constexpr int strip = 64;
    const int strips = (width + strip - 1) / strip;
    parallelBands(strips, 1, [&](int begin, int end) {
        std::vector<float> source(size_t(height) * strip);
        for (int s = begin; s < end; ++s) {
            const int x0 = s * strip, n = std::min(strip, width - x0);
            for (int y = 0; y < height; ++y)
                std::copy_n(plane + size_t(y) * width + x0, n, source.data() + size_t(y) * strip);
            for (int y = 0; y < height; ++y) {
                float* out = plane + size_t(y) * width + x0;
                std::fill(out, out + n, 0.0f);
                for (int j = -radius; j <= radius; ++j) {
                    const float* in = source.data() + size_t(std::clamp(y + j, 0, height - 1)) * strip;
                    const float w = k[j + radius];
                    for (int x = 0; x < n; ++x)
                        out[x] += w * in[x];
                }
            }
        }
    });
}

} // namespace

void gaussianBlurPlane(float* plane, int width, int height, double sigma) {
    if (!plane || width <= 0 || height <= 0 || !(sigma >= 0.2)) return;
    if (sigma < 2.0) {
        const auto k = directKernel(sigma);
        directRows(plane, width, height, k);
        directColumns(plane, width, height, k);
        return;
    }
    const Recursive c = coefficients(sigma);
#if defined(TAVI_WIDE_KERNELS)
    const bool wide = wideKernelsAvailable();
#endif
    const bool narrow = narrowKernelsAvailable();
    parallelBands((height + 7) / 8, 2, [&](int begin, int end) {
        for (int y = begin * 8; y < std::min(height, end * 8);) {
#if defined(TAVI_WIDE_KERNELS)
            if (wide && y + 8 <= height) {
                float* rows[8];
                for (int r = 0; r < 8; ++r)
                    rows[r] = plane + size_t(y + r) * width;
                recursiveRows8(rows, width, c);
                y += 8;
                continue;
            }
#endif
#if defined(__SSE2__)
            if (narrow && y + 4 <= height) {
                float* const rows[4] = {plane + size_t(y) * width, plane + size_t(y + 1) * width,
                                        plane + size_t(y + 2) * width, plane + size_t(y + 3) * width};
                recursiveRows4(rows, width, c);
                y += 4;
                continue;
            }
#endif
            recursiveLine(plane + size_t(y) * width, width, 1, c);
            ++y;
        }
    });
    constexpr int strip = 64;
    const int strips = (width + strip - 1) / strip;
    parallelBands(strips, 1, [&](int begin, int end) {
        for (int s = begin; s < end; ++s) {
            int x0 = s * strip;
            const int x1 = std::min(width, (s + 1) * strip);
#if defined(TAVI_WIDE_KERNELS)
            if (wide) x0 = recursiveColumnsWide(plane, width, height, x0, x1, c);
#endif
            if (x0 < x1) recursiveColumns(plane, width, height, x0, x1, c);
        }
    });
}
