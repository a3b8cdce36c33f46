#pragma once

#include "core/imaging/filters/ColorControls.h"
#include "core/imaging/filters/ExposureAdjust.h"
#include "core/imaging/filters/HighlightShadowAdjust.h"
#include "core/imaging/filters/TemperatureAndTint.h"
#include "core/imaging/filters/Vibrance.h"

#include <QImage>
#include <variant>
#include <vector>

// What automatic enhancement reads from a picture: its luma histogram and what follows from it.
struct ImageAnalysis {
    double meanLuma = 0;        // sRGB-encoded, 0...1
    double lowPercentile = 0;   // luma below which 1 % of the pixels lie
    double highPercentile = 1;  // luma above which 1 % lie
    double shadowClipping = 0;  // share of pixels at luma ≤ 0.02
    double highlightClipping = 0; // share at luma ≥ 0.98
    double darkShare = 0;       // share below 0.15
    double meanSaturation = 0;  // mean chroma (max − min), 0...1
    double meanRed = 0, meanGreen = 0, meanBlue = 0; // linear means of the mid-tones (grey-world)
    bool operator==(const ImageAnalysis&) const = default;
};

using AutoAdjustment = std::variant<TemperatureAndTint, ExposureAdjust, ColorControls, Vibrance, HighlightShadowAdjust>;

// Automatic enhancement: a short chain of ordinary adjustments chosen from the analysis, in the
// order a person would make them — white balance nudge, exposure, contrast, vibrance, then
// shadows and highlights. Each correction is partial (a nudge towards a target, bounded) so an
// already good picture gets an empty or gentle chain. Red eyes are not looked for. The analysis
// samples a grid of at most about 250 000 pixels; the same image always gives the same chain.
namespace autoEnhance {

ImageAnalysis analyze(const QImage& image);
std::vector<AutoAdjustment> adjustments(const ImageAnalysis& analysis);
inline std::vector<AutoAdjustment> adjustments(const QImage& image) { return adjustments(analyze(image)); }

} // namespace autoEnhance
