#pragma once

#include <QString>
#include <optional>
#include <vector>

// The privacy-relevant metadata of one image file, as shown in the information tab and counted
// for the "strip metadata" command. Plain value; rows keep the fixed order the inspector reads.
struct ExifMetadataReport {
    struct Entry {
        QString id; // group "." label, e.g. "Camera.Make"
        QString group;
        QString label;
        QString value;

        Entry() = default;
        Entry(QString group, QString label, QString value);

        bool operator==(const Entry&) const = default;
    };

    std::optional<QString> cameraMake;
    std::optional<QString> cameraModel;
    std::optional<QString> lensModel;
    std::optional<QString> captureDate;
    std::optional<QString> focalLength;
    std::optional<QString> aperture;
    std::optional<QString> shutterSpeed;
    std::optional<QString> iso;
    std::optional<double> latitude;  // signed, north positive
    std::optional<double> longitude; // signed, east positive
    int sensitiveTagCount = 0;
    std::vector<Entry> entries;

    // Both coordinates are known; one alone can't place the photo on a map.
    bool hasGPS() const { return latitude.has_value() && longitude.has_value(); }
    // "%.5f, %.5f", latitude first, when hasGPS().
    std::optional<QString> gpsFormatted() const;

    static const ExifMetadataReport& empty();

    bool operator==(const ExifMetadataReport&) const = default;
};
