#pragma once

#include "core/model/BackgroundCutoutEngine.h"
#include "core/model/BackgroundFillStyle.h"
#include "core/model/JsonDecoding.h"
#include "core/model/RGBAColor.h"

#include <QJsonObject>
#include <optional>

// The offline background studio: how the subject is cut out and what replaces the background.
// It lives beside the recipe (and in undo snapshots), not inside it; no file stores it.
struct BackgroundStudioSettings {
    bool enabled = false;
    BackgroundCutoutEngine engine = BackgroundCutoutEngine::autoAI;
    BackgroundFillStyle fillStyle = BackgroundFillStyle::transparent;
    double blurRadius = 22;
    double edgeFeather = 1;
    RGBAColor colorKeyTarget = RGBAColor::white;
    double colorKeyTolerance = 0.22;
    bool colorKeyContiguous = true;
    RGBAColor customFillColor{0.16, 0.44, 0.96, 1};

    bool operator==(const BackgroundStudioSettings&) const = default;

    QJsonObject toJson() const;
    static std::optional<BackgroundStudioSettings> fromJson(const QJsonValue& value,
                                                            JsonDecodeError* error = nullptr,
                                                            const QString& path = {});
};
