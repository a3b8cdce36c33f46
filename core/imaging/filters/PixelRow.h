#pragma once

#include <cstddef>

// A run of pixels of one row in the working space, one array per component (red, green, blue
// sRGB-encoded and not premultiplied, then alpha), values free to leave 0...1 between steps.
// Planar, so that every per-pixel step is a plain loop over arrays that the compiler runs
// lane-parallel without shuffling components. `x` and `y` place the run on the full source
// frame (y counted from the top row), so steps that depend on position (vignette, grain) and
// on neighbours (blurred luminance planes) agree whichever band computes them.
struct PixelRow {
    float* r = nullptr;
    float* g = nullptr;
    float* b = nullptr;
    float* a = nullptr;
    int count = 0;
    int x = 0;
    int y = 0;
    int frameWidth = 0;
    int frameHeight = 0;

    // The four arrays laid one after another in `storage`, `stride` floats apart.
    static PixelRow planar(float* storage, std::size_t stride, int count, int x, int y, int frameWidth,
                           int frameHeight) {
        return {storage, storage + stride, storage + 2 * stride, storage + 3 * stride, count, x, y, frameWidth,
                frameHeight};
    }
};

// Rec. 709 luma of sRGB-encoded components: the grey that colour controls and vibrance pivot on.
inline float lumaOf(float r, float g, float b) { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }

// Per-pixel kernels that the compiler vectorises get a second, AVX2 build picked at load time
// on processors that have it (nearly all x86-64 today); the baseline build stays for the rest.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define TAVI_PIXEL_KERNEL __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TAVI_PIXEL_KERNEL
#endif
