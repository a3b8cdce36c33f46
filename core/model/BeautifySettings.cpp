#include "core/model/BeautifySettings.h"

QJsonObject BeautifySettings::toJson() const {
    return {
        {QStringLiteral("enabled"), enabled},
        {QStringLiteral("wallpaper"), rawValue(wallpaper)},
        {QStringLiteral("aspectRatio"), rawValue(aspectRatio)},
        {QStringLiteral("padding"), padding},
        {QStringLiteral("cornerRadius"), cornerRadius},
        {QStringLiteral("shadowIntensity"), shadowIntensity},
        {QStringLiteral("showWindowBar"), showWindowBar},
    };
}

std::optional<BeautifySettings> BeautifySettings::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                           const QString& path) {
    JsonObjectReader r(value, path, error);
    BeautifySettings s;
    s.enabled = r.boolean(u"enabled");
    s.wallpaper = r.enumeration<BeautifyWallpaper>(u"wallpaper");
    s.aspectRatio = r.enumeration<BeautifyAspectRatio>(u"aspectRatio");
    s.padding = r.number(u"padding");
    s.cornerRadius = r.number(u"cornerRadius");
    s.shadowIntensity = r.number(u"shadowIntensity");
    s.showWindowBar = r.boolean(u"showWindowBar");
    if (!r.ok()) return std::nullopt;
    return s;
}
