// The full-resolution region of the canvas: the part of the photo in view rendered from the
// full-size source, so that "1:1 Actual Size", deeper zooms and large screens show the photo's
// own pixels instead of an enlarged preview.
#include "editor/EditorViewModel.h"

#include "core/imaging/ImageRegionRenderer.h"

#include <QElapsedTimer>
#include <cmath>

namespace {

// A slider drag changes the preview many times a second; the region waits for this long a
// pause, so the drag stays as quick as the preview alone.
constexpr int kEditPauseMs = 180;
// While the full-size decode is still running, the request is tried again this often.
constexpr int kSourceRetryMs = 60;
// The margin rendered around the view on each side, as a share of the view, and at least this
// many device pixels: a short pan needs nothing new.
constexpr double kMarginShare = 0.15;
constexpr double kMinimumMarginPixels = 96;

bool sameScale(double a, double b) {
    return std::abs(a - b) <= 0.005 * std::max(a, b);
}

QRectF unitIntersection(const QRectF& r) {
    return r.intersected(QRectF(0, 0, 1, 1));
}

bool covers(const QRectF& outer, const QRectF& inner) {
    constexpr double e = 1e-9;
    return outer.left() <= inner.left() + e && outer.top() <= inner.top() + e &&
           outer.right() >= inner.right() - e && outer.bottom() >= inner.bottom() - e;
}

// Unit rectangle to whole output pixels, outwards, within the output.
QRect pixelRect(const QRectF& unit, QSize size) {
    const int left = int(std::floor(unit.left() * size.width() + 1e-7));
    const int top = int(std::floor(unit.top() * size.height() + 1e-7));
    const int right = int(std::ceil(unit.right() * size.width() - 1e-7));
    const int bottom = int(std::ceil(unit.bottom() * size.height() - 1e-7));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(QPoint(0, 0), size));
}

QRectF unitOf(const QRect& pixels, QSize size) {
    return QRectF(double(pixels.x()) / size.width(), double(pixels.y()) / size.height(),
                  double(pixels.width()) / size.width(), double(pixels.height()) / size.height());
}

} // namespace

struct EditorViewModel::RegionState {
    // The last view the canvas asked for.
    QRectF visible;
    QSize shown;
    // The render in flight: what it covers, at which scale, for which preview.
    CancellationFlag cancel;
    bool running = false;
    QRectF runningUnit;
    double runningScale = 0;
    qint64 runningKey = 0;
    // The published region's scale (its unit rect and preview are in the property).
    double scale = 0;
    quint64 generation = 0;
    int renders = 0;
    // When the preview last changed, and for which load: the edit pause is measured from it.
    QElapsedTimer sincePreviewChange;
    quint64 loadGeneration = 0;
    QTimer retry;
    // A preview whose full-size picture is not its shape (a frame's least padding) gets no
    // region; remembered so that every repaint does not render the whole photo again.
    qint64 outOfProportionKey = 0;
};

EditorViewModel::RegionState& EditorViewModel::regionState() {
    if (!region_) {
        region_ = std::make_shared<RegionState>();
        region_->retry.setSingleShot(true);
        connect(&region_->retry, &QTimer::timeout, this,
                [this] { requestFullResolutionRegion(region_->visible, region_->shown); });
    }
    return *region_;
}

int EditorViewModel::regionRenderCount() const {
    return region_ ? region_->renders : 0;
}

QSize EditorViewModel::fullResolutionDisplaySize() const {
    const std::optional<QImage>& preview = renderedDisplayImage();
    if (!preview || preview->isNull()) return {};
    const QSize source = trimmedSourceCG_    ? trimmedSourceCG_->size()
                         : originalSourceCG_ ? originalSourceCG_->size()
                         : documentInfo()    ? QSize(documentInfo()->pixelWidth, documentInfo()->pixelHeight)
                                             : QSize();
    if (source.isEmpty()) return preview->size();
    const bool framed = adjustments().beautify.enabled && !isCropMode();
    if (!framed) return ImageRegionRenderer::outputSize(source, adjustments(), !isCropMode());
    // The frame's measures grow with the photo, so the full-size canvas is the preview's in
    // proportion (to the rounding of a pixel; the render itself is exact).
    const QSize recipe = ImageRegionRenderer::outputSize(source, adjustments(), true);
    const QSize unframedPreview =
        ImageRegionRenderer::outputSize(trimmedPreviewCG_ ? trimmedPreviewCG_->size()
                                        : previewBaseCG_  ? previewBaseCG_->size()
                                                          : source,
                                        adjustments(), true);
    if (unframedPreview.isEmpty()) return preview->size();
    const double k = double(recipe.width()) / unframedPreview.width();
    return QSize(int(std::lround(preview->width() * k)), int(std::lround(preview->height() * k)));
}

void EditorViewModel::cancelRegionRender() {
    if (region_) region_->cancel.cancel();
}

void EditorViewModel::dropStaleRegion() {
    RegionState& state = regionState();
    state.sincePreviewChange.start();
    const std::optional<QImage>& preview = renderedDisplayImage();
    const qint64 key = preview ? preview->cacheKey() : 0;
    if (fullResolutionRegion() && fullResolutionRegion()->previewKey != key)
        setFullResolutionRegion(std::nullopt);
    if (state.running && state.runningKey != key) {
        state.cancel.cancel();
        state.running = false;
    }
}

void EditorViewModel::requestFullResolutionRegion(QRectF visibleUnitRect, QSize shownDevicePixels) {
    RegionState& state = regionState();
    state.visible = visibleUnitRect;
    state.shown = shownDevicePixels;
    state.retry.stop();
    const std::optional<QImage>& preview = renderedDisplayImage();
    const QSize full = fullResolutionDisplaySize();
    const QRectF visible = unitIntersection(visibleUnitRect);
    // Only where the screen shows more pixels than the preview has is there anything to gain.
    const bool wanted = preview && !preview->isNull() && !full.isEmpty() && !visible.isEmpty() &&
                        shownDevicePixels.width() > preview->width() + 1 && full.width() > preview->width();
    if (!wanted) {
        state.cancel.cancel();
        state.running = false;
        setFullResolutionRegion(std::nullopt);
        return;
    }
    const qint64 key = preview->cacheKey();
    if (key == state.outOfProportionKey) return;
    // Pixels of the full output per shown device pixel: 1 at actual size and beyond, so that
    // deeper zooms magnify the same region; less for a large fitted view, which then keeps a
    // region of the screen's size rather than of the photo's.
    const double scale = std::min(1.0, double(shownDevicePixels.width()) / full.width());
    const OptionalRegion& current = fullResolutionRegion();
    if (current && current->previewKey == key && sameScale(state.scale, scale) &&
        covers(current->unitRect, visible))
        return;
    if (state.running && state.runningKey == key && sameScale(state.runningScale, scale) &&
        covers(state.runningUnit, visible))
        return;
    // A changed edit waits for a pause; a new view of the same edit goes at once.
    const bool newImage = state.loadGeneration != loadGeneration_;
    if (!newImage && state.sincePreviewChange.isValid() &&
        state.sincePreviewChange.elapsed() < kEditPauseMs && !(current && current->previewKey == key)) {
        state.retry.start(int(kEditPauseMs - state.sincePreviewChange.elapsed()) + 1);
        return;
    }
    state.loadGeneration = loadGeneration_;
    const std::optional<QImage>& source = trimmedSourceCG_ ? trimmedSourceCG_ : originalSourceCG_;
    if (!source) {
        // The full-size decode is still running (or failed: then the preview is all there is).
        if (fullDecode_) state.retry.start(kSourceRetryMs);
        return;
    }
    startRegionRender();
}

void EditorViewModel::startRegionRender() {
    RegionState& state = *region_;
    const QSize full = fullResolutionDisplaySize();
    const QRectF visible = unitIntersection(state.visible);
    const double scale = std::min(1.0, double(state.shown.width()) / full.width());
    // The margin, in units of each side: a share of the view, at least some device pixels.
    const double mx = std::max(visible.width() * kMarginShare, kMinimumMarginPixels / state.shown.width());
    const double my =
        std::max(visible.height() * kMarginShare, kMinimumMarginPixels / std::max(state.shown.height(), 1));
    const QRectF wantedUnit = unitIntersection(visible.adjusted(-mx, -my, mx, my));

    state.cancel.cancel();
    state.cancel = CancellationFlag();
    state.running = true;
    state.runningUnit = wantedUnit;
    state.runningScale = scale;
    state.runningKey = renderedDisplayImage()->cacheKey();
    ++state.renders;
    const quint64 generation = ++state.generation;

    struct Job {
        QImage source;
        std::optional<QImage> mask;
        EditAdjustments adjustments;
        BackgroundStudioSettings bgSettings;
        QList<AnnotationItem> annotations;
        bool cropMode = false;
        std::optional<QUuid> selected; // outlined as on the preview
    };
    Job job{trimmedSourceCG_ ? *trimmedSourceCG_ : *originalSourceCG_,
            fullSubjectMaskCG_,
            adjustments(),
            bgSettings(),
            annotations(),
            isCropMode()};
    if (draftAnnotation()) job.annotations.append(*draftAnnotation());
    if (selectedTab() == InspectorTab::annotate && activeTool() == AnnotationTool::select)
        job.selected = selectedAnnotationID();
    struct Result {
        QImage image;
        QRectF unit;
        QSize canvas; // the full-size picture the unit rectangle is measured on
    };
    const CancellationFlag flag = state.cancel;
    const qint64 key = state.runningKey;
    tasks_->run<std::optional<Result>>(
        BackgroundTasks::Priority::interactive, flag,
        [services = services_, job = std::move(job), wantedUnit, scale, flag]() -> std::optional<Result> {
            // Whatever goes wrong (memory for a huge photo, a failed step), no region is shown and
            // the task still reports back, so the view can ask again.
            try {
                const EditAdjustments& a = job.adjustments;
                const bool framed = a.beautify.enabled && !job.cropMode;
                const bool composite = job.bgSettings.enabled && job.mask;
                std::optional<QImage> pixels;
                QRectF unit;
                QSize canvas;
                if (!framed && !composite && !a.watermark.enabled && job.annotations.isEmpty()) {
                    // The usual case: the recipe alone, rendered for the region only.
                    const QSize size = ImageRegionRenderer::outputSize(job.source.size(), a, !job.cropMode);
                    const QRect rect = pixelRect(wantedUnit, size);
                    if (rect.isEmpty()) return std::nullopt;
                    pixels = ImageRegionRenderer().render(job.source, a, !job.cropMode, rect);
                    unit = unitOf(rect, size);
                    canvas = size;
                } else {
                    // A frame, a watermark, markup or the background studio belong to the whole
                    // picture: the chain runs as renderFullResolutionOutput runs it (the preview's
                    // way for the crop and the frame), and only the region is kept.
                    QImage image = job.source;
                    if (composite) {
                        try {
                            QImage c =
                                services->visionAI.compositeWithBackground(image, *job.mask, job.bgSettings);
                            if (!c.isNull()) image = c;
                        } catch (const std::exception&) {
                        }
                    }
                    if (flag.isCancelled()) return std::nullopt;
                    // A step that fails shows nothing rather than its unedited input: an unedited
                    // photo over the edited preview, or readable text under a failed redaction.
                    std::optional<QImage> step =
                        services->renderEngine.tryRender(std::move(image), a, !job.cropMode);
                    if (!step || step->isNull() || flag.isCancelled()) return std::nullopt;
                    if (a.watermark.enabled &&
                        !(step = services->studioEffects.tryApplyWatermark(a.watermark, *step)))
                        return std::nullopt;
                    if (framed && !(step = services->studioEffects.tryApplyBeautifyFrame(a.beautify, *step)))
                        return std::nullopt;
                    if (!job.annotations.isEmpty() && !(step = services->annotationRenderer.tryRender(
                                                            job.annotations, *step, job.selected)))
                        return std::nullopt;
                    const QRect rect = pixelRect(wantedUnit, step->size());
                    if (rect.isEmpty()) return std::nullopt;
                    pixels = step->copy(rect);
                    unit = unitOf(rect, step->size());
                    canvas = step->size();
                }
                if (!pixels || pixels->isNull() || flag.isCancelled()) return std::nullopt;
                if (scale < 0.999) {
                    // Kept at the screen's size, not the photo's: memory follows the view.
                    const QSize reduced(std::max(1, int(std::lround(pixels->width() * scale))),
                                        std::max(1, int(std::lround(pixels->height() * scale))));
                    *pixels = pixels->scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                }
                return Result{std::move(*pixels), unit, canvas};
            } catch (...) {
                return std::nullopt;
            }
        },
        [this, flag, generation, key, scale](std::optional<Result> result) {
            if (flag.isCancelled()) return;
            RegionState& state = *region_;
            state.running = false;
            const std::optional<QImage>& preview = renderedDisplayImage();
            if (!result || !preview || preview->cacheKey() != key) return;
            // The frame's least padding and bar are in pixels, so a small preview's frame is
            // not the full one in proportion; a region measured on a canvas of another shape
            // would sit shifted against the preview and the clicks on it.
            const QSize expected = fullResolutionDisplaySize();
            if (std::abs(result->canvas.width() - expected.width()) > 1 ||
                std::abs(result->canvas.height() - expected.height()) > 1) {
                state.outOfProportionKey = key;
                return;
            }
            state.scale = scale;
            setFullResolutionRegion(
                FullResolutionRegion{std::move(result->image), result->unit, generation, key});
        });
}
