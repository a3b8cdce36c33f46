#include "core/imaging/ImageRenderEngine.h"

#include "core/common/ImageLimits.h"
#include "core/imaging/AutoEnhance.h"
#include "core/imaging/RenderCheckpoint.h"
#include "core/imaging/RenderGeometry.h"
#include "core/imaging/RenderPlan.h"
#include "core/imaging/filters/ColorControls.h"
#include "core/imaging/filters/ExposureAdjust.h"
#include "core/imaging/filters/FilmGrain.h"
#include "core/imaging/filters/HighlightShadowAdjust.h"
#include "core/imaging/filters/PhotoEffect.h"
#include "core/imaging/filters/SharpenLuminance.h"
#include "core/imaging/filters/TemperatureAndTint.h"
#include "core/imaging/filters/UnsharpMask.h"
#include "core/imaging/filters/Vibrance.h"
#include "core/imaging/filters/Vignette.h"

#include <QColorSpace>
#include <cmath>
#include <memory>
#include <new>

namespace {

constexpr double kTolerance = 0.001;

// The kinds of colour step, to tell their keys apart (see RenderPlan::colorKey).
enum ColorKind { kExposure = 1, kColorControls, kVibrance, kTemperatureAndTint, kPhotoEffect };

// Steps are appended in the order the recipe's render defines; the plan decides how to fuse.
struct Chain {
    RenderPlan& plan;
    double scale;

    void exposure(const ExposureAdjust& f) {
        plan.addColor(
            RenderPlan::ColorStep([f](float* r, float* g, float* b, int n) { f.apply(r, g, b, n); }),
            RenderPlan::colorKey(kExposure, {f.ev}));
    }
    void colorControls(const ColorControls& f) {
        plan.addColor(
            RenderPlan::ColorStep([f](float* r, float* g, float* b, int n) { f.apply(r, g, b, n); }),
            RenderPlan::colorKey(kColorControls, {f.brightness, f.contrast, f.saturation}));
    }
    void vibrance(const Vibrance& f) {
        plan.addColor(
            RenderPlan::ColorStep([f](float* r, float* g, float* b, int n) { f.apply(r, g, b, n); }),
            RenderPlan::colorKey(kVibrance, {f.amount}));
    }
    void temperatureAndTint(const TemperatureAndTint& f) {
        const auto m = f.matrix();
        plan.addColor(RenderPlan::ColorStep([m](float* r, float* g, float* b, int n) {
                          TemperatureAndTint::apply(m, r, g, b, n);
                      }),
                      RenderPlan::colorKey(kTemperatureAndTint,
                                           {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]}));
    }
    void highlightShadow(HighlightShadowAdjust f) {
        f.radius *= scale;
        plan.addDetail(f.radius, true, [f](PixelRow& row, const float* blurred) { f.apply(row, blurred); });
    }
    void unsharpMask(UnsharpMask f) {
        f.radius *= scale;
        plan.addDetail(
            f.radius, false, [f](PixelRow& row, const float* blurred) { f.apply(row, blurred); },
            f.lumaGain());
    }
    void sharpenLuminance(SharpenLuminance f) {
        f.radius *= scale;
        plan.addDetail(f.radius, false, [f](PixelRow& row, const float* blurred) { f.apply(row, blurred); });
    }
    void photoEffect(PhotoEffect effect) {
        plan.addTable(&photoEffect::table(effect), RenderPlan::colorKey(kPhotoEffect, {double(effect)}));
    }

    void add(const AutoAdjustment& step) {
        std::visit(
            [this](const auto& f) {
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, TemperatureAndTint>)
                    temperatureAndTint(f);
                else if constexpr (std::is_same_v<T, ExposureAdjust>)
                    exposure(f);
                else if constexpr (std::is_same_v<T, ColorControls>)
                    colorControls(f);
                else if constexpr (std::is_same_v<T, Vibrance>)
                    vibrance(f);
                else
                    highlightShadow(f);
            },
            step);
    }

    void look(PhotoFilterPreset preset) {
        switch (preset) {
        case PhotoFilterPreset::original:
            break;
        case PhotoFilterPreset::vivid:
            colorControls({0, 1.09, 1.35});
            break;
        case PhotoFilterPreset::cinematic:
            temperatureAndTint({{6100, 8}, {6500, 0}});
            colorControls({0, 1.18, 0.92});
            break;
        case PhotoFilterPreset::warmFilm:
            photoEffect(PhotoEffect::instant);
            break;
        case PhotoFilterPreset::portra:
            temperatureAndTint({{7100, -6}, {6500, 0}});
            vibrance({0.25});
            break;
        case PhotoFilterPreset::coolMatte:
            photoEffect(PhotoEffect::chrome);
            break;
        case PhotoFilterPreset::moodyDark:
            exposure({-0.35});
            colorControls({0, 1.24, 0.78});
            break;
        case PhotoFilterPreset::dramatic:
            photoEffect(PhotoEffect::process);
            break;
        case PhotoFilterPreset::noirBW:
            photoEffect(PhotoEffect::noir);
            break;
        case PhotoFilterPreset::silverBW:
            photoEffect(PhotoEffect::tonal);
            break;
        case PhotoFilterPreset::fade:
            photoEffect(PhotoEffect::fade);
            break;
        case PhotoFilterPreset::crisp:
            colorControls({0, 1.15, 1.08});
            sharpenLuminance({0.6, SharpenLuminance{}.radius});
            break;
        }
    }

    void grain(double amount) {
        const FilmGrain f{amount};
        plan.addPosition([f](PixelRow& row) { f.apply(row); });
    }
};

} // namespace

void ImageRenderEngine::planRecipe(RenderPlan& plan, const QImage& input, const EditAdjustments& a,
                                   double sourceScale) {
    Chain chain{plan, sourceScale};
    if (a.autoEnhanced)
        for (const AutoAdjustment& step : autoEnhance::adjustments(input))
            chain.add(step);
    if (std::abs(a.exposure) > kTolerance) chain.exposure({a.exposure});
    if (std::abs(a.brightness) > kTolerance || std::abs(a.contrast - 1) > kTolerance ||
        std::abs(a.saturation - 1) > kTolerance)
        chain.colorControls({a.brightness, a.contrast, a.saturation});
    if (std::abs(a.vibrance) > kTolerance) chain.vibrance({a.vibrance});
    if (std::abs(a.warmth) > kTolerance || std::abs(a.tint) > kTolerance)
        chain.temperatureAndTint(TemperatureAndTint::fromWarmthAndTint(a.warmth, a.tint));
    if (std::abs(a.highlights - 1) > kTolerance || std::abs(a.shadows) > kTolerance) {
        HighlightShadowAdjust f;
        f.highlightAmount = a.highlights;
        f.shadowAmount = a.shadows;
        chain.highlightShadow(f);
    }
    chain.look(a.filterPreset);
    if (a.clarity > kTolerance) chain.unsharpMask({12, 0.75 * a.clarity});
    if (a.sharpness > kTolerance) chain.sharpenLuminance({a.sharpness, SharpenLuminance{}.radius});
    if (a.vignette > kTolerance) {
        const Vignette::Table table = Vignette{a.vignette, 2}.table();
        plan.addPosition([table](PixelRow& row) { Vignette::apply(table, row); });
    }
    if (a.grain > kTolerance) chain.grain(a.grain);
}

QImage ImageRenderEngine::render(const QImage& source, const EditAdjustments& a, bool includeCrop,
                                 double sourceScale) const {
    // A render that can't be made keeps the picture as it was, like any other step that can't
    // produce an image.
    return tryRender(source, a, includeCrop, sourceScale).value_or(source);
}

QImage ImageRenderEngine::render(QImage&& source, const EditAdjustments& a, bool includeCrop,
                                 double sourceScale) const {
    const bool mayBeOverwritten = source.isDetached();
    if (auto rendered = tryRender(std::move(source), a, includeCrop, sourceScale))
        return std::move(*rendered);
    // Rows may already have been overwritten: a half-rendered picture must not pass for the
    // original, so the caller gets nothing and reports the failure.
    if (mayBeOverwritten) return {};
    return std::move(source);
}

QImage ImageRenderEngine::render(const QImage& source, const EditAdjustments& a, bool includeCrop,
                                 double sourceScale, RenderCheckpoint& checkpoint, bool fill) const {
    if (a.isColorAndTransformIdentity() || source.isNull()) return source;
    try {
        return renderSteps(source, nullptr, a, includeCrop, sourceScale, &checkpoint, fill).value_or(source);
    } catch (const std::bad_alloc&) {
        checkpoint.clear();
        return source;
    }
}

std::optional<QImage> ImageRenderEngine::tryRender(const QImage& source, const EditAdjustments& a,
                                                   bool includeCrop, double sourceScale) const {
    if (a.isColorAndTransformIdentity() || source.isNull()) return source;
    try {
        return renderSteps(source, nullptr, a, includeCrop, sourceScale);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<QImage> ImageRenderEngine::tryRender(QImage&& source, const EditAdjustments& a,
                                                   bool includeCrop, double sourceScale) const {
    if (a.isColorAndTransformIdentity() || source.isNull()) return std::move(source);
    // Reused only when this is the bitmap's last owner; otherwise it is left alone.
    QImage* reusable = source.isDetached() ? &source : nullptr;
    try {
        return renderSteps(source, reusable, a, includeCrop, sourceScale);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<QImage> ImageRenderEngine::renderSteps(const QImage& source, QImage* reusable,
                                                     const EditAdjustments& a, bool includeCrop,
                                                     double sourceScale, RenderCheckpoint* checkpoint,
                                                     bool fill) const {
    if (!(sourceScale > 0) || !std::isfinite(sourceScale)) sourceScale = 1.0;
    sourceScale = std::clamp(sourceScale, 1e-4, 1e4);
    if (!isDecodableSize(source.width(), source.height())) return std::nullopt;
    QImage converted;
    if (source.format() != QImage::Format_RGBA8888_Premultiplied) {
        converted = source.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        if (converted.isNull()) return std::nullopt;
        reusable = &converted; // our own copy: always free to overwrite
    }
    const QImage& input = converted.isNull() ? source : converted;

    RenderPlan plan;
    planRecipe(plan, input, a, sourceScale);

    const RenderGeometry geometry(input.size(), a, includeCrop);
    const QRect region = geometry.sourceRegion();
    if (region.isEmpty()) return std::nullopt;

    // The colour work resumes from the checkpoint when it was made from this source and the
    // same steps before vignette and grain; otherwise it runs from the source, filling a new
    // checkpoint when asked to. The new one is handed over only once its every row is written.
    const HalfPlanes* resumeFrom = nullptr;
    HalfPlanes* keep = nullptr;
    HalfPlanes kept;
    std::optional<EditAdjustments> keptRecipe;
    if (checkpoint && !plan.isEmpty() && plan.canKeep(input.size())) {
        EditAdjustments recipe = RenderCheckpoint::positionFree(a);
        if (!checkpoint->isEmpty() && checkpoint->source == source.cacheKey() &&
            checkpoint->sourceSize == source.size() && checkpoint->includeCrop == includeCrop &&
            checkpoint->scale == sourceScale && checkpoint->recipe == recipe && checkpoint->pixels.region == region) {
            resumeFrom = &checkpoint->pixels;
        } else if (fill) {
            checkpoint->clear(); // before the new one is allocated: never two at once
            keep = &kept;
            keptRecipe = std::move(recipe);
        }
    }
    // Called once the colour work has succeeded.
    const auto settle = [&] {
        if (resumeFrom) ++checkpoint->resumes;
        if (keep && !kept.isNull())
            *checkpoint = RenderCheckpoint{source.cacheKey(), source.size(), std::move(*keptRecipe), includeCrop,
                                           sourceScale, std::move(kept), 0};
    };
    if (geometry.straightens()) {
        // A straighten without a flip or a turn resamples in two one-dimensional passes, over
        // the colour work's result stored by component.
        const separableStraighten::Map map = geometry.affineMap(region.topLeft());
        if (separableStraighten::suits(map)) {
            const PlanarBytes colored =
                resumeFrom ? plan.resumePlanar(input, *resumeFrom) : plan.renderPlanar(input, region, keep);
            if (colored.isNull()) return std::nullopt;
            settle();
            QImage output = separableStraighten::apply(colored, map, geometry.outputSize());
            if (output.isNull()) return std::nullopt;
            output.setColorSpace(QColorSpace::SRgb);
            return output;
        }
    }
    // The colour work covers only the source pixels the geometry will read.
    QImage colored; // not a second reference to the input yet: that would forbid reusing it
    QPoint origin(0, 0);
    if (plan.isEmpty()) {
        colored = input;
    } else {
        // Written over the input only when the input itself is the result's frame.
        const bool inPlace = reusable && geometry.isIdentity() && region == input.rect();
        colored = resumeFrom ? plan.resume(input, *resumeFrom)
                             : plan.render(input, region, inPlace ? reusable : nullptr, keep);
        origin = region.topLeft();
        if (colored.isNull()) return std::nullopt;
        settle();
    }
    QImage output;
    if (geometry.isIdentity()) {
        if (plan.isEmpty()) return source; // only neutral looks and sub-tolerance moves
        output = std::move(colored);
    } else {
        output = geometry.apply(colored, origin);
    }
    // Sole owner from here: tagging the colour space must not detach a second full-size copy.
    colored = QImage();
    if (output.isNull() || output.width() < 1 || output.height() < 1) return std::nullopt;
    output.setColorSpace(QColorSpace::SRgb);
    return output;
}
