#include "imagecodec/TaviImageEncodeOptions.h"

#include <algorithm>
#include <cmath>

double clampedEncodeQuality(double quality) {
    if (std::isnan(quality)) return 0.1;
    return std::clamp(quality, 0.1, 1.0);
}

TaviImageEncodeOptions::TaviImageEncodeOptions(TaviImageOutputFormat format, double quality,
                                               bool stripGPSAndSensitiveEXIF, std::optional<int> maxDimension)
    : format(format), quality(clampedEncodeQuality(quality)),
      stripGPSAndSensitiveEXIF(stripGPSAndSensitiveEXIF), maxDimension(maxDimension) {}

QJsonObject TaviImageEncodeOptions::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("format"), rawValue(format));
    object.insert(QStringLiteral("quality"), quality);
    object.insert(QStringLiteral("stripGPSAndSensitiveEXIF"), stripGPSAndSensitiveEXIF);
    if (maxDimension) object.insert(QStringLiteral("maxDimension"), *maxDimension);
    return object;
}

std::optional<TaviImageEncodeOptions> TaviImageEncodeOptions::fromJson(const QJsonObject& object) {
    const QJsonValue format = object.value(QStringLiteral("format"));
    const QJsonValue quality = object.value(QStringLiteral("quality"));
    const QJsonValue strip = object.value(QStringLiteral("stripGPSAndSensitiveEXIF"));
    if (!format.isString() || !quality.isDouble() || !strip.isBool()) return std::nullopt;
    const auto parsedFormat = fromRawValue<TaviImageOutputFormat>(format.toString());
    if (!parsedFormat) return std::nullopt;

    TaviImageEncodeOptions options;
    options.format = *parsedFormat;
    options.quality = quality.toDouble();
    options.stripGPSAndSensitiveEXIF = strip.toBool();
    const QJsonValue maxDimension = object.value(QStringLiteral("maxDimension"));
    if (!maxDimension.isUndefined() && !maxDimension.isNull()) {
        // An integer field: a fraction or a number beyond int is a decoding error, not a rounding.
        if (!maxDimension.isDouble()) return std::nullopt;
        const double value = maxDimension.toDouble();
        if (value != std::trunc(value) || value < -2147483648.0 || value > 2147483647.0) return std::nullopt;
        options.maxDimension = static_cast<int>(value);
    }
    return options;
}
