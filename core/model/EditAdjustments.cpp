#include "core/model/EditAdjustments.h"

#include <cmath>
#include <limits>

namespace {
constexpr double recipeTolerance = 0.001;
constexpr double degreesTolerance = 0.01;

bool near(double value, double neutral, double tolerance = recipeTolerance) {
    return std::abs(value - neutral) < tolerance;
}

// (turns + step) remainder 4, with the remainder keeping the sign of the dividend. A stored value
// close to the top of the range is reduced first so that the addition cannot overflow; for a
// positive dividend that gives the same remainder.
std::int64_t turned(std::int64_t turns, std::int64_t step) {
    if (turns > std::numeric_limits<std::int64_t>::max() - step) turns %= 4;
    return (turns + step) % 4;
}
} // namespace

bool EditAdjustments::isColorAndTransformIdentity() const {
    return near(exposure, 0) && near(brightness, 0) && near(contrast, 1) && near(saturation, 1) &&
           near(vibrance, 0) && near(warmth, 0) && near(tint, 0) && near(highlights, 1) && near(shadows, 0) &&
           near(clarity, 0) && near(sharpness, 0) && near(vignette, 0) && near(grain, 0) && quarterTurns % 4 == 0 &&
           near(straightenDegrees, 0, degreesTolerance) && !flipHorizontal && !flipVertical &&
           near(cropRect.x, 0) && near(cropRect.y, 0) && near(cropRect.width, 1) && near(cropRect.height, 1) &&
           filterPreset == PhotoFilterPreset::original && !autoEnhanced;
}

bool EditAdjustments::isIdentity() const {
    return isColorAndTransformIdentity() && !beautify.enabled && !watermark.enabled;
}

void EditAdjustments::rotateClockwise() {
    quarterTurns = turned(quarterTurns, 1);
}

void EditAdjustments::rotateCounterClockwise() {
    quarterTurns = turned(quarterTurns, 3);
}

QJsonObject EditAdjustments::toJson() const {
    return {
        {QStringLiteral("exposure"), exposure},
        {QStringLiteral("brightness"), brightness},
        {QStringLiteral("contrast"), contrast},
        {QStringLiteral("saturation"), saturation},
        {QStringLiteral("vibrance"), vibrance},
        {QStringLiteral("warmth"), warmth},
        {QStringLiteral("tint"), tint},
        {QStringLiteral("highlights"), highlights},
        {QStringLiteral("shadows"), shadows},
        {QStringLiteral("clarity"), clarity},
        {QStringLiteral("sharpness"), sharpness},
        {QStringLiteral("vignette"), vignette},
        {QStringLiteral("grain"), grain},
        {QStringLiteral("quarterTurns"), qint64(quarterTurns)},
        {QStringLiteral("straightenDegrees"), straightenDegrees},
        {QStringLiteral("flipHorizontal"), flipHorizontal},
        {QStringLiteral("flipVertical"), flipVertical},
        {QStringLiteral("cropRect"), cropRect.toJson()},
        {QStringLiteral("filterPreset"), rawValue(filterPreset)},
        {QStringLiteral("autoEnhanced"), autoEnhanced},
        {QStringLiteral("beautify"), beautify.toJson()},
        {QStringLiteral("watermark"), watermark.toJson()},
    };
}

std::optional<EditAdjustments> EditAdjustments::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                         const QString& path) {
    JsonObjectReader r(value, path, error);
    EditAdjustments a;
    a.exposure = r.number(u"exposure");
    a.brightness = r.number(u"brightness");
    a.contrast = r.number(u"contrast");
    a.saturation = r.number(u"saturation");
    a.vibrance = r.number(u"vibrance");
    a.warmth = r.number(u"warmth");
    a.tint = r.number(u"tint");
    a.highlights = r.number(u"highlights");
    a.shadows = r.number(u"shadows");
    a.clarity = r.number(u"clarity");
    a.sharpness = r.number(u"sharpness");
    a.vignette = r.number(u"vignette");
    a.grain = r.number(u"grain");
    a.quarterTurns = r.integer(u"quarterTurns");
    a.straightenDegrees = r.number(u"straightenDegrees");
    a.flipHorizontal = r.boolean(u"flipHorizontal");
    a.flipVertical = r.boolean(u"flipVertical");
    a.cropRect = r.object<NormalizedCropRect>(u"cropRect");
    a.filterPreset = r.enumeration<PhotoFilterPreset>(u"filterPreset");
    a.autoEnhanced = r.boolean(u"autoEnhanced");
    a.beautify = r.object<BeautifySettings>(u"beautify");
    a.watermark = r.object<WatermarkSettings>(u"watermark");
    if (!r.ok()) return std::nullopt;
    return a;
}
