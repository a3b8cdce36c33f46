#pragma once

#include "core/common/EnumSupport.h"
#include "core/model/RGBAColor.h"

#include <array>

// The gradients behind a framed photo. Wallpapers have no text labels.
enum class BeautifyWallpaper { oceanBlue, sunsetCoral, violetAurora, emeraldMist, midnightSlate, warmSand };

template <>
struct EnumCases<BeautifyWallpaper> {
    static constexpr std::array cases{
        std::pair{BeautifyWallpaper::oceanBlue, "oceanBlue"},
        std::pair{BeautifyWallpaper::sunsetCoral, "sunsetCoral"},
        std::pair{BeautifyWallpaper::violetAurora, "violetAurora"},
        std::pair{BeautifyWallpaper::emeraldMist, "emeraldMist"},
        std::pair{BeautifyWallpaper::midnightSlate, "midnightSlate"},
        std::pair{BeautifyWallpaper::warmSand, "warmSand"},
    };
};

// Where the three gradient colours sit along the canvas diagonal, top-left (0) to bottom-right (1).
inline constexpr std::array<double, 3> beautifyWallpaperStopLocations{0, 0.52, 1};

// The frame's three opaque gradient colours, at beautifyWallpaperStopLocations.
std::array<RGBAColor, 3> gradientStops(BeautifyWallpaper wallpaper);

// The inspector swatch's two colours, top-left to bottom-right. They are not always the frame's
// first and last stops (violetAurora and midnightSlate differ).
std::array<RGBAColor, 2> swatchColors(BeautifyWallpaper wallpaper);
