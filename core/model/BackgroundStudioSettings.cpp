#include "core/model/BackgroundStudioSettings.h"

QJsonObject BackgroundStudioSettings::toJson() const {
    return {
        {QStringLiteral("enabled"), enabled},
        {QStringLiteral("engine"), rawValue(engine)},
        {QStringLiteral("fillStyle"), rawValue(fillStyle)},
        {QStringLiteral("blurRadius"), blurRadius},
        {QStringLiteral("edgeFeather"), edgeFeather},
        {QStringLiteral("colorKeyTarget"), colorKeyTarget.toJson()},
        {QStringLiteral("colorKeyTolerance"), colorKeyTolerance},
        {QStringLiteral("colorKeyContiguous"), colorKeyContiguous},
        {QStringLiteral("customFillColor"), customFillColor.toJson()},
    };
}

std::optional<BackgroundStudioSettings> BackgroundStudioSettings::fromJson(const QJsonValue& value,
                                                                           JsonDecodeError* error,
                                                                           const QString& path) {
    JsonObjectReader r(value, path, error);
    BackgroundStudioSettings s;
    s.enabled = r.boolean(u"enabled");
    s.engine = r.enumeration<BackgroundCutoutEngine>(u"engine");
    s.fillStyle = r.enumeration<BackgroundFillStyle>(u"fillStyle");
    s.blurRadius = r.number(u"blurRadius");
    s.edgeFeather = r.number(u"edgeFeather");
    s.colorKeyTarget = r.object<RGBAColor>(u"colorKeyTarget");
    s.colorKeyTolerance = r.number(u"colorKeyTolerance");
    s.colorKeyContiguous = r.boolean(u"colorKeyContiguous");
    s.customFillColor = r.object<RGBAColor>(u"customFillColor");
    if (!r.ok()) return std::nullopt;
    return s;
}
