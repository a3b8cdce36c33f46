#pragma once

#include "core/model/BeautifySettings.h"
#include "core/model/JsonDecoding.h"
#include "core/model/NormalizedCropRect.h"
#include "core/model/PhotoFilterPreset.h"
#include "core/model/WatermarkSettings.h"

#include <QJsonObject>
#include <cstdint>
#include <optional>

// The recipe of one photo's edit. The source pixels are never changed; the render pipeline
// applies this. The type clamps nothing: values outside the sliders' ranges (from stored or
// pasted recipes) are kept and rendered as they are.
struct EditAdjustments {
    double exposure = 0;        // EV stops
    double brightness = 0;      // additive
    double contrast = 1;        // factor
    double saturation = 1;      // factor
    double vibrance = 0;
    double warmth = 0;          // ±1 is ±2400 K around 6500 K
    double tint = 0;            // ±1 is ±80 green–magenta
    double highlights = 1;      // 1 leaves highlights alone, lower pulls them down
    double shadows = 0;         // positive lifts shadows
    double clarity = 0;         // only values above 0 act
    double sharpness = 0;       // only values above 0 act
    double vignette = 0;        // only values above 0 act
    double grain = 0;           // only values above 0 act
    std::int64_t quarterTurns = 0; // clockwise; the rotate operations keep it in 0...3
    double straightenDegrees = 0;  // positive turns the picture clockwise
    bool flipHorizontal = false;
    bool flipVertical = false;
    NormalizedCropRect cropRect = NormalizedCropRect::full;
    PhotoFilterPreset filterPreset = PhotoFilterPreset::original;
    bool autoEnhanced = false;
    BeautifySettings beautify;
    WatermarkSettings watermark;

    // Neither colours nor geometry change: every number within 0.001 of neutral (straightening
    // within 0.01 degrees), quarter turns a multiple of 4, no flip, a full crop, the original
    // look and no auto enhancement. The frame and the watermark are not looked at.
    bool isColorAndTransformIdentity() const;
    // isColorAndTransformIdentity() and neither the frame nor the watermark is enabled.
    bool isIdentity() const;

    void rotateClockwise();
    void rotateCounterClockwise();

    // Exact comparison of every field (no tolerances).
    bool operator==(const EditAdjustments&) const = default;

    QJsonObject toJson() const;
    // Strict: all 22 keys (and every key of the nested objects) must be present with the right
    // types; unknown keys are ignored; nothing is clamped.
    static std::optional<EditAdjustments> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                   const QString& path = {});
};
