#pragma once

#include <cstdint>

// The largest image we agree to decode, in pixels. A file declaring more is refused before any
// pixel memory is allocated: 400 MP of RGBA8 is already 1.6 GB, and hostile files declare far more.
inline constexpr std::int64_t kMaxDecodePixels = 400'000'000;
// No side may exceed this either (keeps every int row/offset computation far from overflow).
inline constexpr std::int64_t kMaxDecodeSide = 131'072;

inline bool isDecodableSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDecodeSide && height <= kMaxDecodeSide &&
           width * height <= kMaxDecodePixels;
}
