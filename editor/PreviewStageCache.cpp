#include "editor/PreviewStageCache.h"

#include "editor/EditorServices.h"

#include <exception>

namespace {

// What the kept stages may hold for a preview of `base`.
qint64 budgetFor(const QImage& base) {
    return PreviewStageCache::kBudgetInBases * qint64(base.width()) * base.height() * 4;
}

qint64 pixelBytes(const QImage& image) {
    return image.isNull() ? 0 : qint64(image.sizeInBytes());
}

// The recipe as the render sees it: the watermark and the frame are drawn by later stages.
EditAdjustments renderPart(EditAdjustments recipe) {
    recipe.watermark = WatermarkSettings{};
    recipe.beautify = BeautifySettings{};
    return recipe;
}

} // namespace

QImage PreviewStageCache::composite(const EditorServices& services, const Request& request) {
    const QImage& base = *request.base;
    if (!request.background.enabled || !request.subjectMask) return base;
    const qint64 baseKey = base.cacheKey(), maskKey = request.subjectMask->cacheKey();
    if (composite_ && composite_->base == baseKey && composite_->mask == maskKey &&
        composite_->settings == request.background)
        return composite_->result;
    composite_.reset();
    ++counts_.composites;
    QImage result = base;
    try {
        QImage composited =
            services.visionAI.compositeWithBackground(base, *request.subjectMask, request.background);
        if (!composited.isNull()) result = composited;
    } catch (const std::exception&) {
        // The preview goes on without the background change.
    }
    composite_ = Composite{baseKey, maskKey, request.background, result};
    return result;
}

QImage PreviewStageCache::refresh(const EditorServices& services, const Request& request) {
    if (!request.base || request.base->isNull()) return {};
    const QImage input = composite(services, request);

    EditAdjustments recipe = renderPart(request.adjustments);
    const qint64 inputKey = input.cacheKey();
    const bool sameSource = render_ && render_->input == inputKey && render_->includeCrop == request.includeCrop &&
                            render_->scale == request.sourceScale;
    if (!(sameSource && render_->recipe == recipe)) {
        // A change of vignette or grain alone is likely the start of a drag of one of them: the
        // working image before them is kept for the values to come. Any other change lets it go.
        const bool positionsOnly = sameSource && RenderCheckpoint::positionFree(render_->recipe) ==
                                                     RenderCheckpoint::positionFree(recipe);
        if (!positionsOnly) checkpoint_.clear();
        // Filled only when it will be kept: the stages as they are (the render about to be
        // replaced stands for its successor) and the working image, 6 bytes a pixel, must stay
        // within the budget, or every value would fill it and drop it again.
        const bool fill = positionsOnly && bytes() - checkpoint_.bytes() + qint64(input.width()) * input.height() * 6 <
                                               budgetFor(*request.base);
        render_.reset();
        ++counts_.renders;
        const int resumed = checkpoint_.resumes;
        QImage rendered = services.renderEngine.render(input, request.adjustments, request.includeCrop,
                                                       request.sourceScale, checkpoint_, fill);
        // A refilled or emptied checkpoint starts counting again from zero.
        if (checkpoint_.resumes > resumed) counts_.resumes += checkpoint_.resumes - resumed;
        render_ = Render{inputKey, std::move(recipe), request.includeCrop, request.sourceScale,
                         std::move(rendered), false, {}, {}};
    }
    Render& kept = *render_;
    const StudioEffectsService& effects = services.studioEffects;
    // A watermark drawn into the kept render last time comes off first: every stage after the
    // render reads it clean.
    if (kept.watermarked) {
        StudioEffectsService::restorePixels(kept.result, kept.under, kept.underAt);
        kept.watermarked = false;
        kept.under = QImage();
    }
    const BeautifySettings& frame = request.adjustments.beautify;
    const bool framed = request.includeFrame && frame.enabled;
    QImage image;
    // Framed, the watermarked render is only read by the frame, which lays it into a canvas of
    // its own: the watermark is drawn straight into the kept render (its pixels kept aside)
    // rather than into a copy of the whole picture. Unframed, it would be the published
    // picture, so it gets a copy.
    if (framed && kept.result.isDetached() &&
        effects.drawWatermarkInPlace(request.adjustments.watermark, kept.result, kept.under, kept.underAt)) {
        kept.watermarked = true;
        ++counts_.watermarksInPlace;
        image = kept.result;
    } else {
        image = effects.applyWatermark(request.adjustments.watermark, kept.result);
    }

    if (framed && !image.isNull()) {
        if (!(backdrop_ && backdrop_->fits(frame, image.size()))) {
            ++counts_.backdrops;
            std::optional<BeautifyFrameBackdrop> previous = std::move(backdrop_);
            backdrop_.reset();
            // The previous canvas goes first: only its edge is lent, and two canvases at once
            // would pass the memory the stages may hold.
            if (previous) previous->canvas = QImage();
            backdrop_ = effects.makeBeautifyFrameBackdrop(frame, image.size(), previous ? &*previous : nullptr);
        }
        // As the frame itself does: whatever can't be drawn leaves the picture as it was.
        if (backdrop_) image = effects.composeBeautifyFrame(*backdrop_, image).value_or(image);
    }
    keepWithinBudget(*request.base);
    return image;
}

void PreviewStageCache::keepWithinBudget(const QImage& base) {
    const qint64 budget = budgetFor(base);
    // The composite is the cheapest stage to make again, the backdrop the next; the render is
    // what a drag of every later slider reuses. The working image only speeds up two sliders.
    if (bytes() >= budget) composite_.reset();
    if (bytes() >= budget) checkpoint_.clear();
    if (bytes() >= budget) backdrop_.reset();
    if (bytes() >= budget) render_.reset();
}

qint64 PreviewStageCache::bytes() const {
    qint64 total = 0;
    if (composite_) total += pixelBytes(composite_->result);
    if (render_) total += pixelBytes(render_->result) + pixelBytes(render_->under);
    total += checkpoint_.bytes();
    if (backdrop_) total += pixelBytes(backdrop_->canvas) + (backdrop_->edge ? backdrop_->edge->bytes() : 0);
    return total;
}

void PreviewStageCache::clear() {
    composite_.reset();
    render_.reset();
    checkpoint_.clear();
    backdrop_.reset();
}
