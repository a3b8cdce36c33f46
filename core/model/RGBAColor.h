#pragma once

#include "core/model/JsonDecoding.h"

#include <QColor>
#include <QJsonObject>
#include <array>
#include <optional>

// A colour of four components in 0...1, not premultiplied. The type clamps nothing.
struct RGBAColor {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    // The named colours of the markup swatches (all opaque). `black` is a very dark blue-grey.
    static const RGBAColor red;
    static const RGBAColor orange;
    static const RGBAColor yellow;
    static const RGBAColor green;
    static const RGBAColor blue;
    static const RGBAColor purple;
    static const RGBAColor white;
    static const RGBAColor black;
    // The eight named colours in swatch order, red first and black last.
    static const std::array<RGBAColor, 8> palette;

    // The same four components as a drawing colour (sRGB, straight alpha), limited to 0...1.
    QColor cgColor() const;

    bool operator==(const RGBAColor&) const = default;

    QJsonObject toJson() const;
    static std::optional<RGBAColor> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                             const QString& path = {});
};

inline constexpr RGBAColor RGBAColor::red{0.96, 0.24, 0.28, 1};
inline constexpr RGBAColor RGBAColor::orange{0.99, 0.55, 0.14, 1};
inline constexpr RGBAColor RGBAColor::yellow{0.98, 0.80, 0.12, 1};
inline constexpr RGBAColor RGBAColor::green{0.16, 0.78, 0.42, 1};
inline constexpr RGBAColor RGBAColor::blue{0.16, 0.52, 0.99, 1};
inline constexpr RGBAColor RGBAColor::purple{0.65, 0.34, 0.96, 1};
inline constexpr RGBAColor RGBAColor::white{1, 1, 1, 1};
inline constexpr RGBAColor RGBAColor::black{0.08, 0.09, 0.11, 1};
inline constexpr std::array<RGBAColor, 8> RGBAColor::palette{red, orange, yellow, green, blue, purple, white, black};
