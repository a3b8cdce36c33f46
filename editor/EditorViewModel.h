#pragma once

#include "core/files/AnimatedImageSequence.h"
#include "core/files/CustomEditPreset.h"
#include "core/files/ExifMetadataReport.h"
#include "core/files/ImageDocumentInfo.h"
#include "core/files/ImageExportFormat.h"
#include "core/files/ImageExportOptions.h"
#include "core/imaging/DetectedBarcode.h"
#include "core/imaging/ImageHistogram.h"
#include "core/imaging/SampledColor.h"
#include "core/localization/AppLanguage.h"
#include "core/model/AnnotationItem.h"
#include "core/model/AnnotationTool.h"
#include "core/model/BackgroundStudioSettings.h"
#include "core/model/CropAspectRatio.h"
#include "core/model/EditAdjustments.h"
#include "core/model/NormalizedPoint.h"
#include "core/model/PhotoFilterPreset.h"
#include "core/model/RGBAColor.h"
#include "editor/BackgroundTasks.h"
#include "editor/EditSnapshot.h"
#include "editor/EditorEnums.h"
#include "editor/EditorServices.h"
#include "editor/FullResolutionRegion.h"
#include "editor/PlatformServices.h"
#include "editor/PreviewBaseCache.h"
#include "editor/PreviewStageCache.h"
#include "editor/PublishedProperty.h"

#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QStringList>
#include <QTimer>
#include <QUuid>
#include <atomic>
#include <memory>
#include <optional>

using ThumbnailMap = QHash<QString, QImage>;
using StringSet = QSet<QString>;
using OptionalString = std::optional<QString>;
using OptionalImage = std::optional<QImage>;
using OptionalUuid = std::optional<QUuid>;
using OptionalDocumentInfo = std::optional<ImageDocumentInfo>;
using OptionalAdjustments = std::optional<EditAdjustments>;
using OptionalAnnotation = std::optional<AnnotationItem>;
using OptionalSampledColor = std::optional<SampledColor>;
using AnnotationList = QList<AnnotationItem>;
using PresetList = QList<CustomEditPreset>;
using BarcodeList = QList<DetectedBarcode>;

// The one controller of the application: the open folder, the current image and everything
// derived from it, the edit with its history, the tool, view and output settings, and every
// operation the menus, toolbar, inspector and canvas call. GUI thread only. Views observe the
// published properties (each with its own change signal, fired only on a real change) and
// call operations; they never reach a service themselves.
//
// The implementation is split by workflow: EditorViewModel.cpp (construction, toasts,
// language, derived queries), EditorViewModelLoading.cpp (opening, loading, navigation,
// thumbnails, prefetch), EditorViewModelHistory.cpp (history, edit commands, the preview and
// full-resolution renders), EditorViewModelMarkup.cpp (markup gestures),
// EditorViewModelViewing.cpp (view modes, slideshow, zoom and pan, animation playback),
// EditorViewModelTools.cpp (background studio, trim, recognition, eyedropper, clipboard,
// screenshots) and EditorViewModelOutput.cpp (save, export sheet, batch, Trash, favourites).
class EditorViewModel : public QObject {
    Q_OBJECT

    // Language
    TAVI_PUBLISHED_READONLY(AppLanguage, language, setLanguageState, AppLanguage::current())
    TAVI_PUBLISHED_READONLY(bool, isFollowingSystemLanguage, setIsFollowingSystemLanguage,
                            AppLanguage::isFollowingSystem())

    // Folder and library
    TAVI_PUBLISHED_READONLY(QStringList, folderImages, setFolderImages)
    TAVI_PUBLISHED_READONLY(int, currentIndex, setCurrentIndex, 0)
    TAVI_PUBLISHED_READONLY(int, compareSecondaryIndex, setCompareSecondaryIndex, 0)
    TAVI_PUBLISHED(QString, gridSearchText, setGridSearchText)
    TAVI_PUBLISHED(bool, showFavoritesOnly, setShowFavoritesOnly, false)
    TAVI_PUBLISHED_READONLY(StringSet, favoritePaths, setFavoritePaths)
    TAVI_PUBLISHED_READONLY(PresetList, customPresets, setCustomPresets)
    TAVI_PUBLISHED(QString, newPresetName, setNewPresetName)
    TAVI_PUBLISHED_READONLY(OptionalAdjustments, copiedAdjustments, setCopiedAdjustments)
    TAVI_PUBLISHED_READONLY(ThumbnailMap, thumbnails, setThumbnails)

    // Current document
    TAVI_PUBLISHED_READONLY(OptionalDocumentInfo, documentInfo, setDocumentInfo)
    TAVI_PUBLISHED_READONLY(ExifMetadataReport, metadata, setMetadata, ExifMetadataReport::empty())
    TAVI_PUBLISHED_READONLY(ImageHistogram, histogram, setHistogram, ImageHistogram::empty())
    TAVI_PUBLISHED_READONLY(bool, isAnimatedImage, setIsAnimatedImage, false)
    TAVI_PUBLISHED_READONLY(bool, isPlayingAnimation, setIsPlayingAnimation, false)
    TAVI_PUBLISHED_READONLY(int, currentFrameIndex, setCurrentFrameIndex, 0)
    TAVI_PUBLISHED_READONLY(int, totalFrameCount, setTotalFrameCount, 1)
    TAVI_PUBLISHED_READONLY(BarcodeList, detectedBarcodes, setDetectedBarcodes)
    TAVI_PUBLISHED_READONLY(OptionalImage, originalDisplayImage, setOriginalDisplayImage)
    TAVI_PUBLISHED_READONLY(OptionalImage, renderedDisplayImage, setRenderedDisplayImage)
    TAVI_PUBLISHED_READONLY(OptionalImage, secondaryCompareImage, setSecondaryCompareImage)
    // The visible part of the photo at its own pixels, when the canvas shows more than the
    // preview has (see requestFullResolutionRegion); nothing otherwise or until it is ready.
    TAVI_PUBLISHED_READONLY(OptionalRegion, fullResolutionRegion, setFullResolutionRegion)
    TAVI_PUBLISHED_READONLY(QString, secondaryCompareName, setSecondaryCompareName)

    // Edit state. The inspector sets the recipe and the studio settings directly (after
    // pushUndoSnapshot when a drag begins) and then calls refreshPreview.
    TAVI_PUBLISHED(EditAdjustments, adjustments, setAdjustments)
    TAVI_PUBLISHED(BackgroundStudioSettings, bgSettings, setBgSettings)
    TAVI_PUBLISHED_READONLY(AnnotationList, annotations, setAnnotations)
    TAVI_PUBLISHED_READONLY(OptionalAnnotation, draftAnnotation, setDraftAnnotation)
    TAVI_PUBLISHED_READONLY(OptionalUuid, selectedAnnotationID, setSelectedAnnotationID)
    TAVI_PUBLISHED_READONLY(bool, canUndo, setCanUndo, false)
    TAVI_PUBLISHED_READONLY(bool, canRedo, setCanRedo, false)

    // Layout and viewing
    TAVI_PUBLISHED(WorkspaceViewMode, viewMode, setViewMode, WorkspaceViewMode::single)
    TAVI_PUBLISHED(InspectorTab, selectedTab, setSelectedTab, InspectorTab::adjust)
    TAVI_PUBLISHED(bool, showInspector, setShowInspector, true)
    TAVI_PUBLISHED(bool, showFilmstrip, setShowFilmstrip, true)
    TAVI_PUBLISHED(CanvasBackdrop, backdrop, setBackdrop, CanvasBackdrop::dark)
    TAVI_PUBLISHED_READONLY(bool, isSlideshowRunning, setIsSlideshowRunning, false)
    TAVI_PUBLISHED(double, zoomScale, setZoomScale, 1.0)
    TAVI_PUBLISHED(QSizeF, panOffset, setPanOffset, 0, 0)
    TAVI_PUBLISHED(bool, isActualSizeMode, setIsActualSizeMode, false)
    TAVI_PUBLISHED(bool, isCompareMode, setIsCompareMode, false)
    TAVI_PUBLISHED(double, compareSplit, setCompareSplit, 0.5)
    TAVI_PUBLISHED_READONLY(bool, isCropMode, setIsCropMode, false)
    TAVI_PUBLISHED_READONLY(CropAspectRatio, selectedAspectRatio, setSelectedAspectRatio,
                            CropAspectRatio::free)

    // Tools
    TAVI_PUBLISHED_READONLY(bool, isEyedropperActive, setIsEyedropperActive, false)
    TAVI_PUBLISHED_READONLY(EyedropperPurpose, eyedropperPurpose, setEyedropperPurpose,
                            EyedropperPurpose::sampleColor)
    TAVI_PUBLISHED_READONLY(OptionalSampledColor, sampledColor, setSampledColor)
    TAVI_PUBLISHED_READONLY(AnnotationTool, activeTool, setActiveTool, AnnotationTool::arrow)
    TAVI_PUBLISHED(RGBAColor, markupColor, setMarkupColor, RGBAColor::red)
    TAVI_PUBLISHED(double, markupStrokeWidth, setMarkupStrokeWidth, 5.0)
    TAVI_PUBLISHED(double, markupRedactStrength, setMarkupRedactStrength, 0.72)
    TAVI_PUBLISHED(QString, markupTextInput, setMarkupTextInput, QStringLiteral("Note"))
    TAVI_PUBLISHED(int, nextStepNumber, setNextStepNumber, 1)
    TAVI_PUBLISHED_READONLY(bool, isProcessingAI, setIsProcessingAI, false)
    TAVI_PUBLISHED_READONLY(QString, extractedOCRText, setExtractedOCRText)
    TAVI_PUBLISHED_READONLY(int, extractedOCRLineCount, setExtractedOCRLineCount, 0)

    // Output
    TAVI_PUBLISHED(bool, showExportSheet, setShowExportSheet, false)
    TAVI_PUBLISHED(ImageExportOptions, exportOptions, setExportOptions)
    TAVI_PUBLISHED_READONLY(QString, estimatedExportSizeText, setEstimatedExportSizeText,
                            QStringLiteral("\u2026"))
    TAVI_PUBLISHED(bool, showBatchSheet, setShowBatchSheet, false)
    TAVI_PUBLISHED(ImageExportFormat, batchFormat, setBatchFormat, ImageExportFormat::jpeg)
    TAVI_PUBLISHED(double, batchQuality, setBatchQuality, 0.88)
    TAVI_PUBLISHED(bool, batchResizeEnabled, setBatchResizeEnabled, false)
    TAVI_PUBLISHED(int, batchMaxEdge, setBatchMaxEdge, 1920)
    TAVI_PUBLISHED(bool, batchStripMetadata, setBatchStripMetadata, true)
    TAVI_PUBLISHED(bool, batchApplyWatermark, setBatchApplyWatermark, false)
    TAVI_PUBLISHED(bool, batchFavoritesOnly, setBatchFavoritesOnly, false)
    TAVI_PUBLISHED_READONLY(bool, isRunningBatch, setIsRunningBatch, false)
    TAVI_PUBLISHED_READONLY(QString, batchProgressText, setBatchProgressText)

    // Feedback
    TAVI_PUBLISHED_READONLY(OptionalString, toastMessage, setToastMessage)
    TAVI_PUBLISHED_READONLY(bool, toastIsError, setToastIsError, false)

  public:
    explicit EditorViewModel(PlatformServices& platform, QObject* parent = nullptr);
    ~EditorViewModel() override;

    // ---- State and loading ----

    // Opens files and/or folders (several files: those images alone; one item: its folder).
    void openURLs(const QStringList& urls);
    // The platform's open panel, then openURLs with the chosen items.
    void promptOpenFileOrFolder();
    // (Re)loads the image at currentIndex and resets everything that belongs to one image.
    void loadCurrentImage();
    // Fills `thumbnails` for the folder in the background (the images around the current one
    // when the folder is larger than the thumbnail budget).
    void preloadThumbnails();
    // Loads the thumbnails of folder positions first...last that are not in the map (the grid
    // asks for what scrolls into view after far ones were dropped to bound memory). The
    // requested positions become the place the memory bound keeps thumbnails around.
    void requestThumbnails(int first, int last);
    // The same for positions that need not be neighbours (the cards a filtered grid shows).
    void requestThumbnails(const QList<int>& positions);
    void navigateNext();
    void navigatePrevious();
    void selectImage(int index, bool switchToSingle);
    void showToast(const QString& message, bool isError);
    void setLanguage(AppLanguage language);
    void setFollowSystemLanguage();
    void stopSlideshow();

    std::optional<QString> currentURL() const;
    bool hasImage() const;
    bool hasUnsavedEdits() const;
    bool isShowingTransparency() const;
    QSize activeSourceDimensions() const;
    QList<int> filteredGridIndices() const;

    // ---- History and edit commands ----

    void pushUndoSnapshot();
    void undo();
    void redo();
    void resetAllEdits();
    void rotateRight();
    void rotateLeft();
    void toggleFlipHorizontal();
    void toggleFlipVertical();
    void toggleAutoEnhance();
    void selectPreset(PhotoFilterPreset preset);
    void toggleCropMode();
    void applyAspectRatio(CropAspectRatio ratio);
    void resetCrop();
    QString croppedPixelDimensionsText() const;
    void refreshPreview();
    void refreshAnnotationsOnly();
    // The edited image at full size with all committed markup; nothing without a source.
    // Computed once per edit state: asking again without a change gives the same bitmap.
    std::optional<QImage> renderFullResolutionOutput();
    void copyCurrentEdits();
    void pasteCopiedEdits();
    void saveCurrentAsCustomPreset();
    void applyCustomPreset(const CustomEditPreset& preset);
    void deleteCustomPreset(const QUuid& id);

    // ---- Markup ----

    void handleMarkupDragChanged(NormalizedPoint point);
    void handleMarkupDragEnded();
    void deleteSelectedAnnotation();
    void removeLastAnnotation();
    void clearAllAnnotations();
    // The inspector's tool grid: the tool for new drags; leaves crop, eyedropper and compare.
    void selectAnnotationTool(AnnotationTool tool);

    // ---- Viewing ----

    // The grid of the folder; again (or from the comparison) back to the single image.
    void toggleGridView();
    // The current image beside another of the folder (the next one at first).
    void toggleSideBySideCompare();
    // Decodes the comparison's right-hand image (compareSecondaryIndex) at the preview size.
    void loadSecondaryCompareImage();
    void stepSecondaryCompare(int delta);
    // The canvas shows `visibleUnitRect` of the photo (unit coordinates) with the whole photo
    // spanning `shownDevicePixels`. When that is more than the preview's pixels, the visible
    // part (with a margin for short pans) is rendered from the full-size source in the
    // background and published as fullResolutionRegion; otherwise any region is dropped. While
    // the edit keeps changing (a slider drag) the preview alone is shown; the region follows
    // once the edit pauses. Cheap to call on every repaint: a region or render in hand that
    // covers the view is kept.
    void requestFullResolutionRegion(QRectF visibleUnitRect, QSize shownDevicePixels);
    // The size in pixels of the image the canvas shows (the edited, cropped, framed photo) at
    // full resolution: "1:1 Actual Size" shows one of these pixels per device pixel.
    QSize fullResolutionDisplaySize() const;

    // Every three seconds the next image, the first after the last, until stopped.
    void toggleSlideshow();
    void zoomIn(double factor = 1.25);
    // Zooming out to within 0.06 of the fitted size snaps to it and centres the image.
    void zoomOut(double factor = 1.25);
    void zoomFit();
    void toggleActualSize();
    // `translation` is the drag's movement since it began; endPan ends the drag.
    void updatePan(QSizeF translation);
    void endPan();
    void startAnimationPlayback();
    void stopAnimationPlayback();
    void toggleAnimationPlayback();
    // Pauses and shows the frame `delta` steps away, wrapping at both ends.
    void stepAnimationFrame(int delta);
    // The frame becomes the image being edited: the preview and the output show it.
    void displayAnimationFrame(int index);
    // The current frame with the edit, as a PNG file the user places through the save panel.
    void extractCurrentFrameAsPNG();

    // The timers of the slideshow and the player, for tests that drive them without waiting:
    // the wait before the next step in milliseconds (-1 when not running), and the step itself
    // as if its time had come.
    int slideshowIntervalMs() const { return slideshowTimer_.isActive() ? slideshowTimer_.interval() : -1; }
    int animationFrameIntervalMs() const {
        return animationTimer_.isActive() ? animationTimer_.interval() : -1;
    }
    void fireSlideshowTimer() { slideshowTick(); }
    void fireAnimationTimer() { animationTick(); }

    // ---- Tools ----

    // Cuts the subject out in the background (preview and full-size masks) and turns the
    // background studio on; again after a change of engine or key colour.
    void applyOrRecomputeBackgroundStudio();
    // Turns the background studio off and drops a trim; the masks stay for an undo.
    void disableBackgroundStudio();
    // Replaces the source with the edited output cut to its opaque pixels (plus a margin); the
    // recipe and markup, now part of those pixels, start over. One undo step.
    void autoTrimTransparentBorders();
    void runOCRTextRecognition();
    void copyOCRText();
    void scanBarcodesInImage();
    // Turns the eyedropper on for `purpose`, or off when it is already on for the same one.
    void startEyedropper(EyedropperPurpose purpose);
    // A click of the eyedropper on the canvas.
    void sampleColorAt(NormalizedPoint normalizedPoint);
    void copyStringToClipboard(const QString& text);
    // Opens a web, mail or phone address in the user's browser (a barcode's link, the photo's
    // place on a map); any other kind of address is refused with an error toast.
    void openExternalURL(const QUrl& url);
    // Opens the files on the clipboard, else its image saved as a PNG in the captures folder.
    void pasteImageFromClipboard();
    // Hides the windows, lets the user capture a region of the screen, brings the windows back
    // and opens the capture for markup. A cancelled capture leaves nothing behind.
    void captureInteractiveScreenshot();
    // The temporary folder that holds pasted images and screenshots.
    static QString capturesFolderPath();

    // ---- Output ----

    // The toolbar's "Save": writes the edited photo over its file when the file's format can
    // be written again, otherwise (and for transparent results) a new file beside it, opened.
    void saveInPlace();
    void presentExportSheet();
    // The export sheet's size estimate, 120 ms after the last request; "…" meanwhile, "—" when
    // nothing can be rendered or encoded.
    void recomputeExportEstimate();
    // The sheet's size fields: clamped into 16…16000, the other side following the aspect lock.
    void updateExportWidth(int width);
    void updateExportHeight(int height);
    void performExportSavePanel();
    void runBatchFolderExport();
    void executeBatchExport(const QString& folder);
    // Stops a running batch after the file in hand; the totals so far are toasted.
    void cancelBatchExport();
    void stripExifMetadataNow();
    void copyCurrentImageToClipboard();
    void moveCurrentToTrash();
    void revealCurrentInFinder();
    bool isFavorite(const QString& path) const;
    bool isCurrentFavorite() const;
    int favoriteCountInFolder() const;
    void toggleCurrentFavorite();

    // ---- For tests and benchmarks ----

    // How many times the recipe has been rendered for the preview since construction.
    int previewRecipeRenderCount() const { return previewRecipeRenderCount_; }
    const PreviewStageCache& previewStages() const { return previewStages_; }
    // How many full-resolution renders have run (a repeated request served from memory adds none).
    int fullResolutionRenderCount() const { return fullResolutionRenderCount_; }
    // How many export-sheet size estimates have been encoded (those whose result came too late
    // to be shown included).
    int exportEstimateEncodeCount() const { return exportEstimateEncodeCount_->load(); }
    // Whether the neighbours' preview bases are decoded ahead (on by default).
    void setNeighbourPrefetchEnabled(bool enabled) { prefetchEnabled_ = enabled; }
    bool hasPendingBackgroundWork() const { return tasks_->pendingCount() > 0; }
    // Runs the event loop until every background task has delivered; false on timeout.
    bool waitForBackgroundWork(int timeoutMs = 60000) { return tasks_->waitForIdle(timeoutMs); }
    // Bytes held by the thumbnail map and the prefetch cache (memory is bounded by both).
    qint64 thumbnailBytes() const { return thumbnailBytes_; }
    // The thumbnail bounds: how many folder positions the loader fills around the current
    // image, and the bytes the map may hold.
    void setThumbnailLimits(int window, qint64 budgetBytes) {
        thumbnailWindow_ = window;
        thumbnailBudgetBytes_ = budgetBytes;
    }
    int prefetchedPreviewCount() const { return previewCache_.size(); }
    // How many region renders have been started (tests: a short pan or repaint starts none).
    int regionRenderCount() const;

  private:
    // A decode running on the pool; its result slot is filled when the future ends.
    struct PendingDecode {
        QFuture<void> done;
        std::shared_ptr<std::optional<QImage>> result;
        FileStamp stamp;
        CancellationFlag cancel;
    };

    // Loading
    void setFolder(const QStringList& images, int index);
    std::optional<QImage> previewBaseFor(const QString& path, const FileStamp& stamp);
    void startFullDecode(const QString& path);
    void adoptFullDecode();
    // The full-size source, waiting for its background decode if it is still running.
    const std::optional<QImage>& fullSource();
    void prefetchNeighbours();
    void startThumbnailLoader(const QStringList& paths, const CancellationFlag& flag);
    void storeThumbnail(const QString& path, const QImage& image);
    void loadAnimationIfPresent(const QString& path);
    void dropPrefetch();

    // History
    EditSnapshot currentSnapshot() const;
    void restoreSnapshot(const EditSnapshot& snapshot);
    void updateHistoryFlags();
    double previewSourceScale(const QImage& base) const;
    void clearFullResolutionMemo();

    // Markup
    void beginAnnotation(NormalizedPoint point);
    void updateAnnotation(NormalizedPoint point);
    void endAnnotation();

    PlatformServices& platform_;
    std::shared_ptr<EditorServices> services_;
    BackgroundTasks* tasks_ = nullptr;

    // Per image
    std::optional<AnimatedImageSequence> animatedSequence_;
    std::optional<QImage> originalSourceCG_;
    std::optional<QImage> previewBaseCG_;
    std::optional<QImage> fullSubjectMaskCG_;
    std::optional<QImage> previewSubjectMaskCG_;
    std::optional<QImage> trimmedSourceCG_;
    std::optional<QImage> trimmedPreviewCG_;
    std::optional<QImage> cachedAdjustedPreviewCG_;
    PreviewStageCache previewStages_; // the refresh chain's stages, kept for the next refresh
    std::optional<QSizeF> panStartOffset_;
    std::optional<AnnotationItem> movingAnnotationOrigin_;
    std::optional<NormalizedPoint> movingAnnotationStartPoint_;
    // A step badge or label was placed by the press now in progress: further movement of the
    // same press places nothing more.
    bool markupPressPlacedItem_ = false;
    QList<EditSnapshot> undoStack_;
    QList<EditSnapshot> redoStack_;

    // Which load a background result belongs to; every loadCurrentImage starts a new one.
    quint64 loadGeneration_ = 0;
    std::optional<PendingDecode> fullDecode_;
    bool fullDecodeFailed_ = false;

    // Prefetch of the neighbours' preview bases; dropped with the folder.
    PreviewBaseCache previewCache_;
    QHash<QString, PendingDecode> prefetching_;
    quint64 folderGeneration_ = 0;
    bool prefetchEnabled_ = true;

    // Thumbnails
    CancellationFlag thumbnailCancel_;
    CancellationFlag thumbnailRequestCancel_;
    qint64 thumbnailBytes_ = 0;
    // A folder of thousands of photos must not hold thousands of bitmaps: the loader fills the
    // positions around the current image and the grid asks again for what it scrolls to.
    int thumbnailWindow_ = 400;
    qint64 thumbnailBudgetBytes_ = 96ll * 1024 * 1024;
    QHash<QString, int> folderPositions_;
    // The folder position the memory bound measures from: the current image, or the middle of
    // what a view last asked for (a grid scrolled far from the current image).
    int thumbnailFocus_ = 0;

    // The last full-resolution render and what it was made from.
    struct FullResolutionKey {
        EditAdjustments adjustments;
        QList<AnnotationItem> annotations;
        BackgroundStudioSettings bgSettings;
        int frameIndex = 0;
        qint64 sourceKey = 0;
        qint64 maskKey = 0;
        bool operator==(const FullResolutionKey&) const = default;
    };
    std::optional<FullResolutionKey> fullResolutionKey_;
    std::optional<QImage> fullResolutionResult_;

    QTimer toastTimer_;
    QTimer slideshowTimer_;
    int previewRecipeRenderCount_ = 0;
    int fullResolutionRenderCount_ = 0;

    // The full-resolution region of the view (EditorViewModelRegion.cpp).
    struct RegionState;
    RegionState& regionState();
    void startRegionRender();
    void dropStaleRegion();
    void cancelRegionRender(); // at the editor's end: work not yet begun is not started
    std::shared_ptr<RegionState> region_;

    // Viewing
    void slideshowTick();
    void animationTick();
    void scheduleNextAnimationFrame();
    QTimer animationTimer_;

    // Tools
    // What OCR and the barcode scan read: the edited output, else the loaded photo.
    std::optional<QImage> recognitionInput();
    // Runs recognize(services, image, languageCode) on the edited image in the background and
    // hands its result to publish on the GUI thread, unless the user has moved to another image;
    // a failure becomes an error toast in the interface language.
    template <class T, class Recognize, class Publish>
    void runRecognitionTask(Recognize recognize, Publish publish);
    void beginAITask();
    void endAITask();
    // Background tasks of the tools still running (isProcessingAI stays on until all are done).
    int runningAITasks_ = 0;

    // Output
    void finishBatch(int exported, int total);
    CancellationFlag estimateCancel_;
    // Counted on the pool, by tasks that may outlive the editor.
    std::shared_ptr<std::atomic<int>> exportEstimateEncodeCount_ = std::make_shared<std::atomic<int>>(0);
    CancellationFlag batchCancel_;
};
