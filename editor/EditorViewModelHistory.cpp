// Edit history, the commands that act on the recipe as a whole, and the two renders: the live
// preview and the full-resolution output.
#include "editor/EditorViewModel.h"

#include "core/localization/S.h"

#include <cmath>

namespace {

constexpr int kMaxUndoSnapshots = 40;

} // namespace

EditSnapshot EditorViewModel::currentSnapshot() const {
    return {adjustments(),     annotations(),      bgSettings(),         trimmedSourceCG_,
            trimmedPreviewCG_, fullSubjectMaskCG_, previewSubjectMaskCG_};
}

void EditorViewModel::restoreSnapshot(const EditSnapshot& snapshot) {
    setAdjustments(snapshot.adjustments);
    setAnnotations(snapshot.annotations);
    setBgSettings(snapshot.bgSettings);
    trimmedSourceCG_ = snapshot.trimmedSource;
    trimmedPreviewCG_ = snapshot.trimmedPreview;
    fullSubjectMaskCG_ = snapshot.fullSubjectMask;
    previewSubjectMaskCG_ = snapshot.previewSubjectMask;
}

void EditorViewModel::updateHistoryFlags() {
    setCanUndo(!undoStack_.isEmpty());
    setCanRedo(!redoStack_.isEmpty());
}

void EditorViewModel::pushUndoSnapshot() {
    EditSnapshot snapshot = currentSnapshot();
    if (!undoStack_.isEmpty() && undoStack_.last() == snapshot) return;
    undoStack_.append(std::move(snapshot));
    while (undoStack_.size() > kMaxUndoSnapshots)
        undoStack_.removeFirst();
    redoStack_.clear();
    updateHistoryFlags();
}

void EditorViewModel::undo() {
    if (undoStack_.isEmpty()) return;
    const EditSnapshot snapshot = undoStack_.takeLast();
    redoStack_.append(currentSnapshot());
    restoreSnapshot(snapshot);
    setSelectedAnnotationID(std::nullopt);
    updateHistoryFlags();
    refreshPreview();
}

void EditorViewModel::redo() {
    if (redoStack_.isEmpty()) return;
    const EditSnapshot snapshot = redoStack_.takeLast();
    // Every redo snapshot came from an undo, so the undo stack can't pass its limit here.
    undoStack_.append(currentSnapshot());
    restoreSnapshot(snapshot);
    setSelectedAnnotationID(std::nullopt);
    updateHistoryFlags();
    refreshPreview();
}

void EditorViewModel::resetAllEdits() {
    if (!hasUnsavedEdits()) return;
    pushUndoSnapshot();
    setAdjustments(EditAdjustments{});
    setBgSettings(BackgroundStudioSettings{});
    setAnnotations({});
    setDraftAnnotation(std::nullopt);
    setSelectedAnnotationID(std::nullopt);
    trimmedSourceCG_.reset();
    trimmedPreviewCG_.reset();
    setIsCropMode(false);
    setNextStepNumber(1);
    refreshPreview();
}

void EditorViewModel::rotateRight() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.rotateClockwise();
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::rotateLeft() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.rotateCounterClockwise();
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::toggleFlipHorizontal() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.flipHorizontal = !a.flipHorizontal;
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::toggleFlipVertical() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.flipVertical = !a.flipVertical;
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::toggleAutoEnhance() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.autoEnhanced = !a.autoEnhanced;
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::selectPreset(PhotoFilterPreset preset) {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.filterPreset = preset;
    setAdjustments(a);
    refreshPreview();
}

void EditorViewModel::toggleCropMode() {
    const bool on = !isCropMode();
    setIsCropMode(on);
    if (on) {
        setIsEyedropperActive(false);
        setIsCompareMode(false);
        setSelectedTab(InspectorTab::adjust);
    }
    refreshPreview();
}

void EditorViewModel::applyAspectRatio(CropAspectRatio r) {
    setSelectedAspectRatio(r);
    const QSize dims = activeSourceDimensions();
    const double width = dims.width();
    const double height = dims.height();
    const std::optional<double> target =
        r == CropAspectRatio::original ? std::optional<double>(width / std::max(height, 1.0)) : ratio(r);
    if (!target) return;
    const double imageRatio = height >= 1 ? width / height : width;
    double cropWidth = 0.9;
    double cropHeight = 0.9;
    if (*target > imageRatio)
        cropHeight = imageRatio / *target * 0.9;
    else
        cropWidth = *target / imageRatio * 0.9;
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.cropRect = NormalizedCropRect((1 - cropWidth) * 0.5, (1 - cropHeight) * 0.5, cropWidth, cropHeight);
    setAdjustments(a);
    // No render: the ratio chips exist only in crop mode, whose preview ignores the crop.
}

void EditorViewModel::resetCrop() {
    pushUndoSnapshot();
    EditAdjustments a = adjustments();
    a.cropRect = NormalizedCropRect::full;
    setAdjustments(a);
    setSelectedAspectRatio(CropAspectRatio::free);
    refreshPreview();
}

QString EditorViewModel::croppedPixelDimensionsText() const {
    const QSize dims = activeSourceDimensions();
    const NormalizedCropRect& crop = adjustments().cropRect;
    const long long w = std::llround(dims.width() * crop.width);
    const long long h = std::llround(dims.height() * crop.height);
    return QStringLiteral("%1 \u00D7 %2 px").arg(w).arg(h);
}

double EditorViewModel::previewSourceScale(const QImage& base) const {
    QSize full;
    if (trimmedPreviewCG_ && base.cacheKey() == trimmedPreviewCG_->cacheKey() && trimmedSourceCG_)
        full = trimmedSourceCG_->size();
    else if (originalSourceCG_)
        full = originalSourceCG_->size();
    else if (documentInfo())
        full = QSize(documentInfo()->pixelWidth, documentInfo()->pixelHeight);
    const int fullLong = std::max(full.width(), full.height());
    const int baseLong = std::max(base.width(), base.height());
    if (fullLong <= 0 || baseLong <= 0 || baseLong >= fullLong) return 1.0;
    return static_cast<double>(baseLong) / fullLong;
}

void EditorViewModel::refreshPreview() {
    const std::optional<QImage>& base = trimmedPreviewCG_ ? trimmedPreviewCG_
                                        : previewBaseCG_  ? previewBaseCG_
                                                          : originalSourceCG_;
    if (!base) return;
    // Pixel radii of the recipe are meant for the full image; the preview passes its scale so
    // that it looks like the export.
    PreviewStageCache::Request request;
    request.base = &*base;
    request.background = bgSettings();
    if (request.background.enabled) {
        const std::optional<QImage>& mask =
            previewSubjectMaskCG_ ? previewSubjectMaskCG_ : fullSubjectMaskCG_;
        if (mask) request.subjectMask = &*mask;
    }
    request.adjustments = adjustments();
    request.includeCrop = !isCropMode();
    // In crop mode the canvas draws the crop frame over the whole image, unframed.
    request.includeFrame = !isCropMode();
    request.sourceScale = previewSourceScale(*base);
    ++previewRecipeRenderCount_;
    // Stages whose inputs are unchanged since the last refresh (the render during a drag of the
    // frame's sliders, the frame's wallpaper during a colour drag) are taken as they were.
    const QImage image = previewStages_.refresh(*services_, request);
    cachedAdjustedPreviewCG_ = image;
    setHistogram(services_->studioEffects.computeHistogram(image, 48));
    refreshAnnotationsOnly();
}

void EditorViewModel::refreshAnnotationsOnly() {
    if (!cachedAdjustedPreviewCG_) {
        refreshPreview();
        return;
    }
    QList<AnnotationItem> items = annotations();
    if (draftAnnotation()) items.append(*draftAnnotation());
    const bool outlineSelection =
        selectedTab() == InspectorTab::annotate && activeTool() == AnnotationTool::select;
    const std::optional<QUuid> selected = outlineSelection ? selectedAnnotationID() : std::nullopt;
    setRenderedDisplayImage(services_->annotationRenderer.render(items, *cachedAdjustedPreviewCG_, selected));
}

void EditorViewModel::clearFullResolutionMemo() {
    fullResolutionKey_.reset();
    fullResolutionResult_.reset();
}

std::optional<QImage> EditorViewModel::renderFullResolutionOutput() {
    const std::optional<QImage> source = trimmedSourceCG_ ? trimmedSourceCG_ : fullSource();
    if (!source) return std::nullopt;
    if (bgSettings().enabled && !fullSubjectMaskCG_) {
        try {
            QImage mask = services_->visionAI.generateSubjectMask(*source, bgSettings());
            if (!mask.isNull()) fullSubjectMaskCG_ = mask;
        } catch (const std::exception&) {
            // No mask: the source goes on unchanged.
        }
    }
    const bool composite = bgSettings().enabled && fullSubjectMaskCG_;
    FullResolutionKey key{adjustments(),      annotations(),
                          bgSettings(),       currentFrameIndex(),
                          source->cacheKey(), composite ? fullSubjectMaskCG_->cacheKey() : 0};
    // The export sheet asks on every keystroke of its size fields; the pixels only change with
    // the edit.
    if (fullResolutionKey_ && *fullResolutionKey_ == key && fullResolutionResult_)
        return fullResolutionResult_;

    QImage image = *source;
    if (composite) {
        try {
            QImage composited =
                services_->visionAI.compositeWithBackground(image, *fullSubjectMaskCG_, bgSettings());
            if (!composited.isNull()) image = composited;
        } catch (const std::exception&) {
        }
    }
    ++fullResolutionRenderCount_;
    // Every output path writes this bitmap: a step that could not be made (no memory, a crop with
    // no pixels left) must not hand back the unedited photo as if it were the edit.
    std::optional<QImage> rendered = services_->renderEngine.tryRender(std::move(image), adjustments(), true);
    if (rendered) rendered = services_->studioEffects.tryApplyWatermark(adjustments().watermark, *rendered);
    if (rendered) rendered = services_->studioEffects.tryApplyBeautifyFrame(adjustments().beautify, *rendered);
    // Markup positions are fractions of the framed, watermarked, cropped image, as in the preview.
    if (rendered) rendered = services_->annotationRenderer.tryRender(annotations(), *rendered);
    if (!rendered || rendered->isNull()) {
        showToast(S::t(QStringLiteral("The edited image could not be made."),
                       QStringLiteral("Düzenlenmiş görsel oluşturulamadı.")),
                  true);
        return std::nullopt;
    }
    image = std::move(*rendered);
    fullResolutionKey_ = std::move(key);
    fullResolutionResult_ = image;
    return image;
}

void EditorViewModel::copyCurrentEdits() {
    EditAdjustments copied = adjustments();
    copied.cropRect = NormalizedCropRect::full; // a crop belongs to its photo
    setCopiedAdjustments(copied);
    showToast(S::t(QStringLiteral("Edit adjustments copied (paste with ⌥⌘V)"),
                   QStringLiteral("Düzenleme ayarları kopyalandı (⌥⌘V ile yapıştırın)")),
              false);
}

void EditorViewModel::pasteCopiedEdits() {
    if (!copiedAdjustments()) {
        showToast(S::t(QStringLiteral("Copy adjustments from a photo first."),
                       QStringLiteral("Önce başka bir fotoğraftan ayarları kopyalayın.")),
                  true);
        return;
    }
    pushUndoSnapshot();
    EditAdjustments pasted = *copiedAdjustments();
    pasted.cropRect = adjustments().cropRect;
    setAdjustments(pasted);
    refreshPreview();
    showToast(S::t(QStringLiteral("Adjustments pasted"), QStringLiteral("Düzenleme ayarları uygulandı")),
              false);
}

void EditorViewModel::saveCurrentAsCustomPreset() {
    QString name = newPresetName().trimmed();
    if (name.isEmpty()) name = QStringLiteral("Preset %1").arg(customPresets().size() + 1);
    services_->libraryStore.savePreset(name, adjustments());
    setCustomPresets(services_->libraryStore.customPresets());
    setNewPresetName(QString());
    showToast(S::t(QStringLiteral("%1 saved"), QStringLiteral("%1 kaydedildi")).arg(name), false);
}

void EditorViewModel::applyCustomPreset(const CustomEditPreset& preset) {
    pushUndoSnapshot();
    EditAdjustments applied = preset.adjustments;
    applied.cropRect = adjustments().cropRect;
    applied.quarterTurns = adjustments().quarterTurns;
    setAdjustments(applied);
    refreshPreview();
}

void EditorViewModel::deleteCustomPreset(const QUuid& id) {
    services_->libraryStore.deletePreset(id);
    setCustomPresets(services_->libraryStore.customPresets());
}
