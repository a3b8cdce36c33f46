#include "core/model/WatermarkSettings.h"

QJsonObject WatermarkSettings::toJson() const {
    return {
        {QStringLiteral("enabled"), enabled},
        {QStringLiteral("text"), text},
        {QStringLiteral("opacity"), opacity},
        {QStringLiteral("fontSize"), fontSize},
        {QStringLiteral("color"), color.toJson()},
        {QStringLiteral("position"), rawValue(position)},
    };
}

std::optional<WatermarkSettings> WatermarkSettings::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                             const QString& path) {
    JsonObjectReader r(value, path, error);
    WatermarkSettings s;
    s.enabled = r.boolean(u"enabled");
    s.text = r.string(u"text");
    s.opacity = r.number(u"opacity");
    s.fontSize = r.number(u"fontSize");
    s.color = r.object<RGBAColor>(u"color");
    s.position = r.enumeration<WatermarkPosition>(u"position");
    if (!r.ok()) return std::nullopt;
    return s;
}
