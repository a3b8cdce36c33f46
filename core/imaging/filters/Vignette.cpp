#include "core/imaging/filters/Vignette.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Vignette::Table Vignette::table() const {
    Table t;
    const double r = std::max(radius, 1e-3);
    for (size_t i = 0; i < t.gain.size(); ++i) {
        const double d = std::sqrt(double(i) / (t.gain.size() - 1));
        const double x = std::clamp((2 * d / r - 0.25) / (1.1 - 0.25), 0.0, 1.0);
        const double fall = x * x * (3 - 2 * x);
        const double light = intensity >= 0 ? std::pow(1 - 0.75 * fall, intensity) : 1 + 0.5 * -intensity * fall;
        t.gain[i] = float(std::pow(light, 1 / 2.2));
    }
    return t;
}

namespace {

// Eight values in one vector register (two in a build without AVX).
using Lanes = float __attribute__((vector_size(32)));

// Always inlined: the caller is built once per instruction set, and a call would pass the
// vector between two builds that disagree on how it is passed.
[[gnu::always_inline]] inline void scale(float* p, const Lanes& gain) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    v *= gain;
    std::memcpy(p, &v, sizeof v);
}

} // namespace

// One pass over the row: the gain is a smooth curve of the distance, so it is looked up exactly
// every 16 pixels and interpolated linearly between (off by less than an 8-bit level). A whole
// span's gains are made in two registers and scale its components there; only the lookups at
// the span ends are scalar, since the table can't be read lane-parallel.
TAVI_PIXEL_KERNEL void Vignette::apply(const Table& table, PixelRow& row) {
    if (row.count <= 0) return;
    const float cx = 0.5f * float(row.frameWidth), cy = 0.5f * float(row.frameHeight);
    const float inv = 1.0f / std::max(cx * cx + cy * cy, 1e-6f);
    const float dy = float(row.y) + 0.5f - cy;
    constexpr float last = float(Table::kEntries - 1);
    auto exact = [&](int i) {
        const float dx = float(row.x + i) + 0.5f - cx;
        const float f = std::min((dx * dx + dy * dy) * inv, 1.0f) * last;
        const int k = std::min(int(f), int(last) - 1);
        return table.gain[k] + (table.gain[k + 1] - table.gain[k]) * (f - float(k));
    };
    constexpr int kSpan = 16;
    const Lanes firstHalf = {0, 1, 2, 3, 4, 5, 6, 7}, secondHalf = {8, 9, 10, 11, 12, 13, 14, 15};
    float left = exact(0);
    for (int start = 0; start < row.count; start += kSpan) {
        const int end = std::min(start + kSpan, row.count - 1);
        const float right = exact(end);
        const float step = end > start ? (right - left) / float(end - start) : 0.0f;
        if (start + kSpan <= row.count) {
            const Lanes low = left + step * firstHalf, high = left + step * secondHalf;
            for (float* component : {row.r, row.g, row.b}) {
                scale(component + start, low);
                scale(component + start + 8, high);
            }
        } else {
            for (int i = start; i < row.count; ++i) {
                const float gain = left + step * float(i - start);
                row.r[i] *= gain;
                row.g[i] *= gain;
                row.b[i] *= gain;
            }
        }
        left = right;
    }
}
