#pragma once

#include "core/model/JsonDecoding.h"

#include <QJsonObject>
#include <optional>

// The crop, in fractions of the image after flips, quarter turns and straightening: x and y are
// the left and top edges from the top-left corner (y grows downwards), width and height the size.
struct NormalizedCropRect {
    double x = 0;
    double y = 0;
    double width = 1;
    double height = 1;

    // The whole image, (0, 0, 1, 1).
    constexpr NormalizedCropRect() = default;
    // The clamping constructor every editor uses to make a crop: x and y limited to 0...1 (not a
    // number: 0); width the smaller of width and 1 - x but at least 0.02; height likewise.
    NormalizedCropRect(double x, double y, double width, double height);
    // The four numbers exactly as given; for stored values, which are never clamped on reading.
    static constexpr NormalizedCropRect unclamped(double x, double y, double width, double height) {
        NormalizedCropRect r;
        r.x = x;
        r.y = y;
        r.width = width;
        r.height = height;
        return r;
    }

    static const NormalizedCropRect full;

    // Within 0.001 of full on every number.
    bool isFull() const;
    // The rectangle made safe for cropping: origin limited to 0...0.95, size at least 0.05 and
    // within the image, then passed through the clamping constructor. Croppers use this, never
    // the raw numbers.
    NormalizedCropRect clamped() const;

    bool operator==(const NormalizedCropRect&) const = default;

    QJsonObject toJson() const;
    static std::optional<NormalizedCropRect> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                      const QString& path = {});
};

inline constexpr NormalizedCropRect NormalizedCropRect::full{};
