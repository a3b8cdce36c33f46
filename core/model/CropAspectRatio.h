#pragma once

#include "core/common/EnumSupport.h"

#include <QString>
#include <optional>

// Shapes the crop frame can be held to while the user drags it; a choice of the moment, never stored.
enum class CropAspectRatio { free, original, square1x1, landscape16x9, classic4x3, photo3x2, vertical9x16, portrait4x5 };

template <>
struct EnumCases<CropAspectRatio> {
    static constexpr std::array cases{
        std::pair{CropAspectRatio::free, "free"},
        std::pair{CropAspectRatio::original, "original"},
        std::pair{CropAspectRatio::square1x1, "square1x1"},
        std::pair{CropAspectRatio::landscape16x9, "landscape16x9"},
        std::pair{CropAspectRatio::classic4x3, "classic4x3"},
        std::pair{CropAspectRatio::photo3x2, "photo3x2"},
        std::pair{CropAspectRatio::vertical9x16, "vertical9x16"},
        std::pair{CropAspectRatio::portrait4x5, "portrait4x5"},
    };
};

// Text of the ratio button; not translated.
QString shortLabel(CropAspectRatio ratio);
// Frame width divided by height in pixels. Nothing for `free`, and for `original`, whose ratio
// is the source image's own.
std::optional<double> ratio(CropAspectRatio ratio);
