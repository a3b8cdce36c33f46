#pragma once

#include <QString>
#include <cstdint>

// The largest image we agree to decode, in pixels. A file declaring more is refused before any
// pixel memory is allocated: 400 MP of RGBA8 is already 1.6 GB, and hostile files declare far more.
inline constexpr std::int64_t kMaxDecodePixels = 400'000'000;
// No side may exceed this either: the largest side of a 16-bit dimension, which every format we
// write can hold and which keeps every int row/offset computation far from overflow.
inline constexpr std::int64_t kMaxDecodeSide = 65'535;

inline bool isDecodableSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDecodeSide && height <= kMaxDecodeSide &&
           width * height <= kMaxDecodePixels;
}

// Why a declared size is refused, naming the size; empty when it is decodable.
inline QString decodeSizeRefusal(std::int64_t width, std::int64_t height) {
    if (isDecodableSize(width, height)) return {};
    if (width <= 0 || height <= 0)
        return QStringLiteral("The image declares an empty size (%1 x %2 pixels).").arg(width).arg(height);
    return QStringLiteral("The image is too large to open: %1 x %2 pixels (the limit is %3 pixels on a side "
                          "and %4 megapixels).")
        .arg(width)
        .arg(height)
        .arg(kMaxDecodeSide)
        .arg(kMaxDecodePixels / 1'000'000);
}
