#include "core/imaging/filters/Vibrance.h"

#include "core/imaging/filters/PixelRow.h"

#include <algorithm>
#include <cmath>

namespace {

// 1 inside the skin band of hue and chroma, easing to 0 outside it.
float skinLikeness(float r, float g, float b, float chroma) {
    if (!(r > g && g > b) || chroma <= 0.0f) return 0.0f;
    const float hue = (g - b) / (r - b); // 0 at pure red, 1 at yellow (60°)
    const float hueWeight = std::max(0.0f, 1.0f - std::abs(hue - 0.45f) / 0.35f);
    const float chromaWeight = std::clamp((chroma - 0.05f) / 0.1f, 0.0f, 1.0f) *
                               std::clamp((0.75f - chroma) / 0.2f, 0.0f, 1.0f);
    return hueWeight * chromaWeight;
}

} // namespace

void Vibrance::apply(float& r, float& g, float& b) const {
    const float hi = std::max(r, std::max(g, b));
    const float lo = std::min(r, std::min(g, b));
    const float chroma = std::clamp(hi - lo, 0.0f, 1.0f);
    const float weakness = (1.0f - chroma) * (1.0f - chroma);
    const float protection = 1.0f - 0.67f * skinLikeness(r, g, b, chroma);
    const float factor = std::max(0.0f, 1.0f + float(amount) * weakness * protection);
    const float l = lumaOf(r, g, b);
    r = l + (r - l) * factor;
    g = l + (g - l) * factor;
    b = l + (b - l) * factor;
}

void Vibrance::apply(float* r, float* g, float* b, int n) const {
    for (int i = 0; i < n; ++i) apply(r[i], g[i], b[i]);
}
