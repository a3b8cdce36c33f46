#pragma once

#include <QString>
#include <optional>

// The short summary of a file that the codec library reads from its properties.
struct TaviImageMetadataSummary {
    int width = 0;
    int height = 0;
    QString colorSpaceName;
    bool hasAlpha = false;
    bool hasGPS = false;
    std::optional<QString> cameraModel;
    std::optional<int> dpi;

    bool operator==(const TaviImageMetadataSummary&) const = default;
};
