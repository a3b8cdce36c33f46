#include "core/model/BeautifyWallpaper.h"

namespace {
constexpr RGBAColor rgb(double r, double g, double b) { return {r, g, b, 1}; }
} // namespace

std::array<RGBAColor, 3> gradientStops(BeautifyWallpaper wallpaper) {
    switch (wallpaper) {
    case BeautifyWallpaper::oceanBlue: return {rgb(0.06, 0.58, 0.94), rgb(0.16, 0.32, 0.84), rgb(0.09, 0.12, 0.38)};
    case BeautifyWallpaper::sunsetCoral: return {rgb(1, 0.56, 0.26), rgb(0.94, 0.26, 0.44), rgb(0.44, 0.12, 0.42)};
    case BeautifyWallpaper::violetAurora: return {rgb(0.24, 0.62, 1), rgb(0.48, 0.26, 0.95), rgb(0.18, 0.10, 0.44)};
    case BeautifyWallpaper::emeraldMist: return {rgb(0.10, 0.80, 0.60), rgb(0.06, 0.52, 0.56), rgb(0.04, 0.22, 0.32)};
    case BeautifyWallpaper::midnightSlate: return {rgb(0.22, 0.26, 0.34), rgb(0.12, 0.14, 0.20), rgb(0.06, 0.07, 0.10)};
    case BeautifyWallpaper::warmSand: return {rgb(0.97, 0.88, 0.76), rgb(0.92, 0.72, 0.58), rgb(0.78, 0.50, 0.46)};
    }
    return gradientStops(BeautifyWallpaper::violetAurora);
}

std::array<RGBAColor, 2> swatchColors(BeautifyWallpaper wallpaper) {
    switch (wallpaper) {
    case BeautifyWallpaper::violetAurora: return {rgb(0.24, 0.62, 1), rgb(0.48, 0.26, 0.95)};
    case BeautifyWallpaper::midnightSlate: return {rgb(0.24, 0.28, 0.36), rgb(0.06, 0.07, 0.10)};
    default: {
        const auto stops = gradientStops(wallpaper);
        return {stops[0], stops[2]};
    }
    }
}
