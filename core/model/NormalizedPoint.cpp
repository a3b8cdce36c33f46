#include "core/model/NormalizedPoint.h"

QJsonObject NormalizedPoint::toJson() const {
    return {{QStringLiteral("x"), x}, {QStringLiteral("y"), y}};
}

std::optional<NormalizedPoint> NormalizedPoint::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                         const QString& path) {
    JsonObjectReader r(value, path, error);
    NormalizedPoint p;
    p.x = r.number(u"x");
    p.y = r.number(u"y");
    if (!r.ok()) return std::nullopt;
    return p;
}
