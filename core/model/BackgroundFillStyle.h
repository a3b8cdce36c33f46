#pragma once

#include "core/common/EnumSupport.h"

// What replaces a removed background. Display labels come from the string table.
enum class BackgroundFillStyle {
    transparent,
    portraitBlur,
    studioWhite,
    studioBlack,
    sunsetGradient,
    oceanGradient,
    auroraGradient,
    customColor,
};

template <>
struct EnumCases<BackgroundFillStyle> {
    static constexpr std::array cases{
        std::pair{BackgroundFillStyle::transparent, "transparent"},
        std::pair{BackgroundFillStyle::portraitBlur, "portraitBlur"},
        std::pair{BackgroundFillStyle::studioWhite, "studioWhite"},
        std::pair{BackgroundFillStyle::studioBlack, "studioBlack"},
        std::pair{BackgroundFillStyle::sunsetGradient, "sunsetGradient"},
        std::pair{BackgroundFillStyle::oceanGradient, "oceanGradient"},
        std::pair{BackgroundFillStyle::auroraGradient, "auroraGradient"},
        std::pair{BackgroundFillStyle::customColor, "customColor"},
    };
};
