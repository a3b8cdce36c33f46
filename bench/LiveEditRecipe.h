#pragma once

// The edit the live-preview figures are measured with: every slider off neutral, a look,
// straighten and crop, a watermark and a screenshot frame.
#include "core/model/EditAdjustments.h"

inline EditAdjustments liveEditRecipe() {
    EditAdjustments a;
    a.exposure = 0.4;
    a.brightness = 0.02;
    a.contrast = 1.15;
    a.saturation = 1.1;
    a.vibrance = 0.35;
    a.warmth = 0.25;
    a.tint = -0.1;
    a.highlights = 0.75;
    a.shadows = 0.35;
    a.clarity = 0.6;
    a.sharpness = 0.5;
    a.vignette = 0.5;
    a.grain = 0.25;
    a.straightenDegrees = 2.5;
    a.cropRect = NormalizedCropRect(0.04, 0.04, 0.92, 0.92);
    a.filterPreset = PhotoFilterPreset::portra;
    a.watermark.enabled = true;
    a.watermark.text = QStringLiteral("\u00A9 Bench Studio 2024");
    a.watermark.opacity = 0.6;
    a.beautify.enabled = true;
    a.beautify.wallpaper = BeautifyWallpaper::sunsetCoral;
    a.beautify.showWindowBar = true;
    return a;
}
