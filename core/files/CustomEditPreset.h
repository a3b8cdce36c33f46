#pragma once

#include "core/model/EditAdjustments.h"
#include "core/model/JsonDecoding.h"

#include <QJsonObject>
#include <QUuid>
#include <optional>

// A recipe the user saved under a name, to apply to other photos.
struct CustomEditPreset {
    QUuid id = QUuid::createUuid();
    QString name;
    EditAdjustments adjustments;

    bool operator==(const CustomEditPreset&) const = default;

    // {"adjustments": …, "id": "<36 upper-case characters>", "name": …}
    QJsonObject toJson() const;
    static std::optional<CustomEditPreset> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                    const QString& path = {});
};

// The standard 36-character upper-case text of a UUID.
QString uuidText(const QUuid& id);
