#pragma once

#include "core/model/JsonDecoding.h"

#include <QJsonObject>
#include <optional>

// A position in unit image coordinates: x from 0 (left) to 1 (right), y from 0 (top) to 1 (bottom).
struct NormalizedPoint {
    double x = 0;
    double y = 0;

    bool operator==(const NormalizedPoint&) const = default;

    QJsonObject toJson() const;
    static std::optional<NormalizedPoint> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                   const QString& path = {});
};
