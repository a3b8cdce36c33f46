#pragma once

#include "imagecodec/TaviImageOutputFormat.h"

#include <QJsonObject>
#include <optional>

// Encoder settings of the codec library. The constructor clamps `quality` into 0.1...1; a value
// decoded from JSON is taken as stored.
struct TaviImageEncodeOptions {
    TaviImageOutputFormat format = TaviImageOutputFormat::png;
    double quality = 0.9;
    bool stripGPSAndSensitiveEXIF = true;
    std::optional<int> maxDimension; // pixels of the longer side

    TaviImageEncodeOptions() = default;
    explicit TaviImageEncodeOptions(TaviImageOutputFormat format, double quality = 0.9,
                                    bool stripGPSAndSensitiveEXIF = true,
                                    std::optional<int> maxDimension = std::nullopt);

    // Keys "format", "quality", "stripGPSAndSensitiveEXIF" and, when present, "maxDimension".
    QJsonObject toJson() const;
    // Nothing when a required key is missing or a value has the wrong type.
    static std::optional<TaviImageEncodeOptions> fromJson(const QJsonObject& object);

    bool operator==(const TaviImageEncodeOptions&) const = default;
};

// 0.1...1; NaN counts as the lowest quality.
double clampedEncodeQuality(double quality);
