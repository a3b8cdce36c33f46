#include "core/imaging/filters/Vignette.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

TAVI_PIXEL_KERNEL void scaleRow(const float* gain, int count, float* __restrict r, float* __restrict g,
                                float* __restrict b) {
    for (int i = 0; i < count; ++i) {
        r[i] *= gain[i];
        g[i] *= gain[i];
        b[i] *= gain[i];
    }
}

} // namespace

void Vignette::apply(const Table& table, PixelRow& row) {
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
    // The gain is a smooth curve of the distance: it is looked up exactly every 16 pixels and
    // interpolated linearly between (off by far less than an 8-bit level), and the pixels are
    // then scaled in a loop the compiler runs lane-parallel; the table lookup itself can't be.
    constexpr int kSpan = 16;
    thread_local std::vector<float> gains;
    gains.resize(size_t(row.count));
    float left = exact(0);
    for (int start = 0; start < row.count; start += kSpan) {
        const int end = std::min(start + kSpan, row.count - 1);
        const float right = exact(end);
        const float step = end > start ? (right - left) / float(end - start) : 0.0f;
        for (int i = start; i < std::min(start + kSpan, row.count); ++i) gains[i] = left + step * float(i - start);
        left = right;
    }
    scaleRow(gains.data(), row.count, row.r, row.g, row.b);
}
