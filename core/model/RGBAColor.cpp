#include "core/model/RGBAColor.h"

#include <algorithm>
#include <cmath>

namespace {
// QColor rejects components outside 0...1 (it warns and makes an invalid colour), and stored
// colours are never clamped, so drawing limits them here; a component that is not a number is 0.
float component(double v) {
    if (std::isnan(v)) return 0.f;
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}
} // namespace

QColor RGBAColor::cgColor() const {
    return QColor::fromRgbF(component(r), component(g), component(b), component(a));
}

QJsonObject RGBAColor::toJson() const {
    return {{QStringLiteral("r"), r}, {QStringLiteral("g"), g}, {QStringLiteral("b"), b}, {QStringLiteral("a"), a}};
}

std::optional<RGBAColor> RGBAColor::fromJson(const QJsonValue& value, JsonDecodeError* error, const QString& path) {
    JsonObjectReader reader(value, path, error);
    RGBAColor c;
    c.r = reader.number(u"r");
    c.g = reader.number(u"g");
    c.b = reader.number(u"b");
    c.a = reader.number(u"a");
    if (!reader.ok()) return std::nullopt;
    return c;
}
