#include "core/imaging/filters/Vignette.h"

#include <algorithm>
#include <cmath>

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

TAVI_PIXEL_KERNEL void Vignette::apply(const Table& table, PixelRow& row) {
    const float cx = 0.5f * float(row.frameWidth), cy = 0.5f * float(row.frameHeight);
    const float inv = 1.0f / std::max(cx * cx + cy * cy, 1e-6f);
    const float dy = float(row.y) + 0.5f - cy;
    constexpr float last = float(Table::kEntries - 1);
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    for (int i = 0; i < row.count; ++i) {
        const float dx = float(row.x + i) + 0.5f - cx;
        const float f = std::min((dx * dx + dy * dy) * inv, 1.0f) * last;
        const int k = std::min(int(f), int(last) - 1);
        const float gain = table.gain[k] + (table.gain[k + 1] - table.gain[k]) * (f - float(k));
        r[i] *= gain;
        g[i] *= gain;
        b[i] *= gain;
    }
}
