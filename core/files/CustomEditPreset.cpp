#include "core/files/CustomEditPreset.h"

QString uuidText(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

QJsonObject CustomEditPreset::toJson() const {
    return {{QStringLiteral("id"), uuidText(id)},
            {QStringLiteral("name"), name},
            {QStringLiteral("adjustments"), adjustments.toJson()}};
}

std::optional<CustomEditPreset> CustomEditPreset::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                           const QString& path) {
    JsonObjectReader reader(value, path, error);
    CustomEditPreset preset;
    preset.id = reader.uuid(u"id");
    preset.name = reader.string(u"name");
    preset.adjustments = reader.object<EditAdjustments>(u"adjustments");
    if (!reader.ok()) return std::nullopt;
    return preset;
}
