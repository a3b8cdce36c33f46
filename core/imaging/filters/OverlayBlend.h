#pragma once

// The standard overlay blend: multiply where the background is dark, screen where it is light,
// 2·b·s for b ≤ 0.5 and 1 − 2(1 − b)(1 − s) above. It is linear in the source for a given
// background, and a source of 0.5 returns the background, so a noise layer centred on 0.5 adds
// texture with zero mean. A source with alpha α blends the result over the background by α.
namespace overlayBlend {

inline float blend(float background, float source) {
    return background <= 0.5f ? 2.0f * background * source
                              : 1.0f - 2.0f * (1.0f - background) * (1.0f - source);
}

// One component of a source with alpha `alpha` (straight) over an opaque background.
inline float over(float background, float source, float alpha) {
    return background + alpha * (blend(background, source) - background);
}

} // namespace overlayBlend
