#include "core/imaging/filters/PhotoEffect.h"

#include "core/imaging/filters/PixelRow.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace {

// An S-shaped tone curve: slope 1 + k/2 at mid-grey, 1 − k at the ends (k ≤ 1 stays monotonic).
inline float sCurve(float x, float k) { return x + k * x * (1 - x) * (2 * x - 1); }

inline void desaturate(float& r, float& g, float& b, float keep) {
    const float l = lumaOf(r, g, b);
    r = l + (r - l) * keep;
    g = l + (g - l) * keep;
    b = l + (b - l) * keep;
}

inline float clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }

// Instant film: low contrast stock, blacks lifted to a warm brown, whites soft and creamy, the
// colours a little muted and shifted towards yellow-red.
void instant(float& r, float& g, float& b) {
    desaturate(r, g, b, 0.82f);
    r = clamp01(r * 1.04f + 0.03f);
    g = clamp01(g * 1.00f + 0.015f);
    b = clamp01(b * 0.86f + 0.02f);
    r = 0.07f + 0.90f * sCurve(r, -0.25f);
    g = 0.055f + 0.90f * sCurve(g, -0.25f);
    b = 0.05f + 0.86f * sCurve(b, -0.25f);
}

// Chrome: slide film pushed for colour, a strong S-curve with saturated, slightly cyan-green
// shadows and warm highlights, the way older reversal stock renders.
void chrome(float& r, float& g, float& b) {
    desaturate(r, g, b, 1.35f);
    r = clamp01(r);
    g = clamp01(g);
    b = clamp01(b);
    const float l = lumaOf(r, g, b);
    r = sCurve(r, 0.55f) + 0.035f * (l - 0.5f);
    g = sCurve(g, 0.5f) + 0.01f * (0.5f - l);
    b = sCurve(b, 0.45f) + 0.04f * (0.5f - l);
}

// Process: cross-processed film, a cool blue-cyan cast strongest in the shadows, emphasised
// colour and contrast, reds held back.
void process(float& r, float& g, float& b) {
    desaturate(r, g, b, 1.2f);
    r = clamp01(r);
    g = clamp01(g);
    b = clamp01(b);
    const float l = lumaOf(r, g, b);
    r = sCurve(r, 0.35f) * 0.92f - 0.02f * (1.0f - l);
    g = sCurve(g, 0.3f) * 0.99f + 0.015f + 0.035f * (1.0f - l);
    b = sCurve(b, 0.2f) * 0.97f + 0.045f + 0.05f * (1.0f - l);
}

// Noir: black and white through a red-leaning channel mix (skies darken, skin brightens) with
// a strong S-curve: deep blacks, bright whites.
void noir(float& r, float& g, float& b) {
    const float l = clamp01(0.35f * r + 0.55f * g + 0.10f * b);
    const float y = sCurve(sCurve(l, 0.8f), 0.5f);
    r = g = b = y;
}

// Tonal: black and white with the tones kept as they were (Rec. 709 luma), only a touch of
// extra depth at the very ends.
void tonal(float& r, float& g, float& b) {
    const float l = clamp01(lumaOf(r, g, b));
    const float y = sCurve(l, 0.08f);
    r = g = b = y;
}

// Fade: washed-out colour, half the saturation, blacks raised to grey, whites held below
// paper white, a hint of warmth.
void fade(float& r, float& g, float& b) {
    desaturate(r, g, b, 0.55f);
    r = 0.12f + 0.82f * clamp01(r) + 0.01f;
    g = 0.12f + 0.82f * clamp01(g);
    b = 0.11f + 0.80f * clamp01(b);
}

} // namespace

namespace photoEffect {

void transform(PhotoEffect effect, float& r, float& g, float& b) {
    switch (effect) {
    case PhotoEffect::instant: return instant(r, g, b);
    case PhotoEffect::chrome: return chrome(r, g, b);
    case PhotoEffect::process: return process(r, g, b);
    case PhotoEffect::noir: return noir(r, g, b);
    case PhotoEffect::tonal: return tonal(r, g, b);
    case PhotoEffect::fade: return fade(r, g, b);
    }
}

const ColorLut3D& table(PhotoEffect effect) {
    static std::array<ColorLut3D, 6> tables;
    static std::array<std::once_flag, 6> once;
    const int i = int(effect);
    std::call_once(once[i], [&] {
        tables[i] = ColorLut3D([effect](float& r, float& g, float& b) { transform(effect, r, g, b); });
    });
    return tables[i];
}

} // namespace photoEffect
