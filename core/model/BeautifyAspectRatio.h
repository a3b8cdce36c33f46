#pragma once

#include "core/common/EnumSupport.h"

#include <QString>
#include <optional>

// The shape of the whole framed canvas. `automatic` is the case whose raw value is "auto"
// (a keyword in C++).
enum class BeautifyAspectRatio { automatic, ratio16x9, ratio1x1, ratio4x5, ratio9x16 };

template <>
struct EnumCases<BeautifyAspectRatio> {
    static constexpr std::array cases{
        std::pair{BeautifyAspectRatio::automatic, "auto"},
        std::pair{BeautifyAspectRatio::ratio16x9, "ratio16x9"},
        std::pair{BeautifyAspectRatio::ratio1x1, "ratio1x1"},
        std::pair{BeautifyAspectRatio::ratio4x5, "ratio4x5"},
        std::pair{BeautifyAspectRatio::ratio9x16, "ratio9x16"},
    };
};

// Text of the ratio button; ratios read the same in every language, so it is not translated.
QString label(BeautifyAspectRatio ratio);
// Canvas width divided by height; nothing for `automatic`, whose canvas follows the photo.
std::optional<double> numericRatio(BeautifyAspectRatio ratio);
