// How the folder is looked at: the grid and the side-by-side comparison, the slideshow, zoom
// and pan of the canvas, and the playback and export of the frames of an animated image.
#include "editor/EditorViewModel.h"

#include "core/common/TaviError.h"
#include "core/localization/S.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMaximumZoom = 12.0;
constexpr double kMinimumZoom = 0.15;
// Zooming out this close to the fitted size lands on it: a few wheel steps should come back to
// "fit" exactly rather than to 0.99 or 1.04.
constexpr double kZoomSnapBand = 0.06;
constexpr int kCompareMaxPixelSize = 1800;

// A factor of 0, a negative or a NaN would leave the canvas with nothing it can draw.
bool usableZoomFactor(double factor) {
    return std::isfinite(factor) && factor > 0;
}

int wrapped(qint64 index, int count) {
    return static_cast<int>(((index % count) + count) % count);
}

} // namespace

// ---- Grid and comparison ----

void EditorViewModel::toggleGridView() {
    if (folderImages().isEmpty()) return;
    stopSlideshow();
    setViewMode(viewMode() == WorkspaceViewMode::grid ? WorkspaceViewMode::single : WorkspaceViewMode::grid);
}

void EditorViewModel::toggleSideBySideCompare() {
    const int count = static_cast<int>(folderImages().size());
    if (count < 2) return;
    stopSlideshow();
    if (viewMode() == WorkspaceViewMode::sideBySide) {
        setViewMode(WorkspaceViewMode::single);
        return;
    }
    setViewMode(WorkspaceViewMode::sideBySide);
    setCompareSecondaryIndex(wrapped(qint64(currentIndex()) + 1, count));
    loadSecondaryCompareImage();
}

void EditorViewModel::loadSecondaryCompareImage() {
    const int index = compareSecondaryIndex();
    if (index < 0 || index >= folderImages().size()) return;
    const QString path = folderImages().at(index);
    setSecondaryCompareName(path.section(u'/', -1));
    // The preview-size decode is the one the neighbours' prefetch keeps: reuse it when it's there.
    std::optional<QImage> image = previewCache_.find(path, FileStamp::of(path));
    if (!image) image = services_->browser.loadOrientedCGImage(path, kCompareMaxPixelSize);
    setSecondaryCompareImage(image);
}

void EditorViewModel::stepSecondaryCompare(int delta) {
    const int count = static_cast<int>(folderImages().size());
    if (count < 2) return;
    setCompareSecondaryIndex(wrapped(qint64(compareSecondaryIndex()) + delta, count));
    loadSecondaryCompareImage();
}

// ---- Slideshow ----

void EditorViewModel::toggleSlideshow() {
    if (folderImages().size() < 2) return;
    if (isSlideshowRunning()) {
        stopSlideshow();
        return;
    }
    setViewMode(WorkspaceViewMode::single);
    setIsSlideshowRunning(true);
    connect(&slideshowTimer_, &QTimer::timeout, this, &EditorViewModel::slideshowTick, Qt::UniqueConnection);
    slideshowTimer_.start();
}

void EditorViewModel::slideshowTick() {
    if (!isSlideshowRunning()) return;
    const int count = static_cast<int>(folderImages().size());
    // Steps from wherever the user has navigated to meanwhile.
    if (count < 2) return;
    setCurrentIndex(wrapped(qint64(currentIndex()) + 1, count));
    loadCurrentImage();
}

// ---- Zoom and pan ----

void EditorViewModel::zoomIn(double factor) {
    if (!usableZoomFactor(factor)) return;
    setIsActualSizeMode(false);
    setZoomScale(std::clamp(zoomScale() * factor, kMinimumZoom, kMaximumZoom));
}

void EditorViewModel::zoomOut(double factor) {
    if (!usableZoomFactor(factor)) return;
    setIsActualSizeMode(false);
    const double scale = std::clamp(zoomScale() / factor, kMinimumZoom, kMaximumZoom);
    if (std::abs(scale - 1.0) < kZoomSnapBand) {
        setZoomScale(1.0);
        setPanOffset(QSizeF(0, 0));
    } else {
        setZoomScale(scale);
    }
}

void EditorViewModel::zoomFit() {
    setIsActualSizeMode(false);
    setZoomScale(1.0);
    setPanOffset(QSizeF(0, 0));
}

void EditorViewModel::toggleActualSize() {
    setIsActualSizeMode(!isActualSizeMode());
    setPanOffset(QSizeF(0, 0));
    setZoomScale(1.0);
}

void EditorViewModel::updatePan(QSizeF translation) {
    if (!panStartOffset_) panStartOffset_ = panOffset();
    setPanOffset(*panStartOffset_ + translation);
}

void EditorViewModel::endPan() {
    panStartOffset_.reset();
}

// ---- Animation ----

void EditorViewModel::startAnimationPlayback() {
    if (!animatedSequence_ || !animatedSequence_->isAnimated()) return;
    animationTimer_.stop();
    setIsPlayingAnimation(true);
    scheduleNextAnimationFrame();
}

void EditorViewModel::stopAnimationPlayback() {
    animationTimer_.stop();
    setIsPlayingAnimation(false);
}

void EditorViewModel::toggleAnimationPlayback() {
    if (isPlayingAnimation())
        stopAnimationPlayback();
    else
        startAnimationPlayback();
}

void EditorViewModel::scheduleNextAnimationFrame() {
    const std::vector<AnimatedFrame>& frames = animatedSequence_->frames();
    const int index = std::clamp(currentFrameIndex(), 0, static_cast<int>(frames.size()) - 1);
    // Read before every step: each frame stays up for its own time.
    const int ms = static_cast<int>(std::lround(frames[index].delaySeconds() * 1000.0));
    if (animationTimer_.interval() != ms) animationTimer_.setInterval(ms);
    animationTimer_.setSingleShot(true);
    connect(&animationTimer_, &QTimer::timeout, this, &EditorViewModel::animationTick, Qt::UniqueConnection);
    animationTimer_.start();
}

void EditorViewModel::animationTick() {
    if (!isPlayingAnimation() || !animatedSequence_ || !animatedSequence_->isAnimated()) return;
    displayAnimationFrame(wrapped(qint64(currentFrameIndex()) + 1, animatedSequence_->frameCount()));
    scheduleNextAnimationFrame();
}

void EditorViewModel::stepAnimationFrame(int delta) {
    if (!animatedSequence_ || !animatedSequence_->isAnimated()) return;
    stopAnimationPlayback();
    displayAnimationFrame(wrapped(qint64(currentFrameIndex()) + delta, animatedSequence_->frameCount()));
}

void EditorViewModel::displayAnimationFrame(int index) {
    if (!animatedSequence_ || index < 0 || index >= animatedSequence_->frameCount()) return;
    const QImage& frame = animatedSequence_->frames()[static_cast<size_t>(index)].image();
    setCurrentFrameIndex(index);
    // The file's own full-size decode is its first frame; adopting it later would put the wrong
    // frame under the output.
    if (fullDecode_) {
        fullDecode_->cancel.cancel();
        fullDecode_.reset();
    }
    fullDecodeFailed_ = false;
    originalSourceCG_ = frame;
    previewBaseCG_ = frame;
    if (hasUnsavedEdits())
        refreshPreview();
    else
        setRenderedDisplayImage(frame);
}

void EditorViewModel::extractCurrentFrameAsPNG() {
    std::optional<QImage> image = renderFullResolutionOutput();
    if (!image) image = fullSource();
    if (!image) return;

    const std::optional<QString> url = currentURL();
    const QString base = url ? QFileInfo(*url).completeBaseName() : QStringLiteral("Frame");
    PlatformServices::SavePanelOptions panel;
    panel.suggestedFileName = QStringLiteral("%1-frame-%2.png").arg(base).arg(currentFrameIndex() + 1);
    panel.allowedContentTypes = {QStringLiteral("image/png")};
    const std::optional<QString> destination = platform_.runSavePanel(panel);
    if (!destination) return;

    ImageExportOptions options;
    options.format = ImageExportFormat::png;
    options.quality = 0.88;
    options.resizeEnabled = false;
    options.targetWidth = 1920;
    options.targetHeight = 1080;
    options.lockAspectRatio = true;
    options.stripMetadata = false;
    try {
        services_->exportService.exportImage(*image, options, *destination);
    } catch (const TaviError& error) {
        showToast(error.description(), true);
        return;
    } catch (const std::exception& error) {
        showToast(QString::fromUtf8(error.what()), true);
        return;
    }
    showToast(S::exportedSuccessfully() + QStringLiteral(": ") + QFileInfo(*destination).fileName(), false);
}
