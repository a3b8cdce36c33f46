#pragma once

#include "core/model/BeautifyAspectRatio.h"
#include "core/model/BeautifyWallpaper.h"
#include "core/model/JsonDecoding.h"

#include <QJsonObject>
#include <optional>

// The screenshot and social frame: a gradient canvas around the photo with rounded corners, a
// drop shadow and an optional window bar. Nothing is clamped here; the sliders bound the input.
struct BeautifySettings {
    bool enabled = false;
    BeautifyWallpaper wallpaper = BeautifyWallpaper::violetAurora;
    BeautifyAspectRatio aspectRatio = BeautifyAspectRatio::automatic;
    double padding = 0.08;        // fraction of the photo's longer side
    double cornerRadius = 22;     // thousandths of the photo's longer side
    double shadowIntensity = 0.55;
    bool showWindowBar = false;

    bool operator==(const BeautifySettings&) const = default;

    QJsonObject toJson() const;
    static std::optional<BeautifySettings> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                    const QString& path = {});
};
