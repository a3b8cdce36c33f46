#pragma once

#include "core/model/JsonDecoding.h"
#include "core/model/RGBAColor.h"
#include "core/model/WatermarkPosition.h"

#include <QJsonObject>
#include <QString>
#include <optional>

// A text watermark. Nothing is clamped here: the studio effects limit the opacity when drawing
// and ignore surrounding white space of the text.
struct WatermarkSettings {
    bool enabled = false;
    QString text = defaultText();
    double opacity = 0.45;
    double fontSize = 28;          // points for a photo whose longer side is 1000 pixels
    RGBAColor color = RGBAColor::white; // only red, green and blue are used; opacity gives the alpha
    WatermarkPosition position = WatermarkPosition::bottomRight;

    static QString defaultText() { return QStringLiteral("\u00A9 TaviView"); }

    bool operator==(const WatermarkSettings&) const = default;

    QJsonObject toJson() const;
    static std::optional<WatermarkSettings> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                     const QString& path = {});
};
