// Taking results out of the editor: saving in place, the export sheet, the folder batch,
// stripping metadata, the clipboard, the Trash, the file manager and favourites.
#include "editor/EditorViewModel.h"

#include "core/common/Paths.h"
#include "core/common/TaviError.h"
#include "core/files/BatchDestinations.h"
#include "core/localization/S.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinimumExportSide = 16;
constexpr int kMaximumExportSide = 16000;
constexpr int kMinimumBatchEdge = 64;
constexpr int kEstimateDebounceMs = 120;
constexpr double kSaveInPlaceQuality = 0.92;

const QString kNoEstimate = QStringLiteral("\u2014");
const QString kEstimating = QStringLiteral("\u2026");

struct SaveTarget {
    ImageExportFormat format;
    QString destination;
};

// A file beside `path` named after it with `extension`, never an existing file other than
// `path` itself: photo.jpg, else photo-edited.jpg, photo-edited-2.jpg, …
QString besideWithoutReplacing(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    const QString base = info.dir().filePath(info.completeBaseName());
    const auto free = [&path](const QString& candidate) {
        return candidate == path || !QFileInfo::exists(candidate);
    };
    QString candidate = base + u'.' + extension;
    if (free(candidate)) return candidate;
    candidate = base + QStringLiteral("-edited.") + extension;
    for (int n = 2; !free(candidate); ++n)
        candidate = QStringLiteral("%1-edited-%2.%3").arg(base).arg(n).arg(extension);
    return candidate;
}

// Formats the encoder writes as faithfully as the file held them are saved over the file; any
// other file (an animation, a camera raw, a format we don't encode) would lose what made it that
// file, so the result goes beside it as a JPEG instead.
SaveTarget saveTargetFor(const QString& path, bool transparent) {
    const QString extension = pathExtension(path).toLower();
    if (transparent || extension == u"png") {
        return {ImageExportFormat::png,
                extension == u"png" ? path : besideWithoutReplacing(path, QStringLiteral("png"))};
    }
    if (extension == u"heic" || extension == u"heif") return {ImageExportFormat::heic, path};
    if (extension == u"avif") return {ImageExportFormat::avif, path};
    if (extension == u"tif" || extension == u"tiff") return {ImageExportFormat::tiff, path};
    if (extension == u"jpg" || extension == u"jpeg") return {ImageExportFormat::jpeg, path};
    return {ImageExportFormat::jpeg, besideWithoutReplacing(path, QStringLiteral("jpg"))};
}

QString mimeTypeName(ImageExportFormat format) {
    switch (format) {
    case ImageExportFormat::jpeg:
        return QStringLiteral("image/jpeg");
    case ImageExportFormat::png:
        return QStringLiteral("image/png");
    case ImageExportFormat::heic:
        return QStringLiteral("image/heic");
    case ImageExportFormat::avif:
        return QStringLiteral("image/avif");
    case ImageExportFormat::tiff:
        return QStringLiteral("image/tiff");
    case ImageExportFormat::pdf:
        return QStringLiteral("application/pdf");
    }
    return {};
}

// Sleeps out the debounce on the pool, waking early when a newer request cancels this one so
// that a burst of typing never holds a worker; true when the estimate is still wanted.
bool debounce(const TaskContext& ctx) {
    QDeadlineTimer deadline(kEstimateDebounceMs);
    while (!deadline.hasExpired()) {
        if (ctx.isCancelled()) return false;
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(deadline.remainingTime(), 0, 5)));
    }
    return !ctx.isCancelled();
}

// One file of a batch: the source upright, the watermark, shrunk to the max edge, written.
// False when it can't be read or written; the batch goes on either way.
bool exportBatchFile(const EditorServices& services, const QString& source, const QString& destination,
                     const ImageExportOptions& base, std::optional<int> maxEdge,
                     const std::optional<WatermarkSettings>& watermark) {
    // Shrinking happens while decoding (the decoder's reduced-size path), so a 24 MP photo never
    // exists at full size when it is written at 2000 pixels; the exact size still follows from
    // the photo's own upright size.
    QSize target;
    if (maxEdge) {
        if (const auto info = services.browser.readDocumentInfo(source); info && info->pixelWidth > 0)
            target = batchOutputSize(QSize(info->pixelWidth, info->pixelHeight), *maxEdge);
    }
    std::optional<QImage> image = services.browser.loadOrientedCGImage(source, maxEdge);
    if (!image || image->isNull()) return false;
    if (watermark) *image = services.studioEffects.applyWatermark(*watermark, *image);
    ImageExportOptions options = base;
    if (maxEdge) {
        const QSize size = target.isEmpty() ? batchOutputSize(image->size(), *maxEdge) : target;
        if (size != image->size()) {
            options.resizeEnabled = true;
            options.targetWidth = size.width();
            options.targetHeight = size.height();
        }
    }
    try {
        services.exportService.exportImage(*image, options, destination);
    } catch (const TaviError&) {
        return false;
    }
    return true;
}

QString batchTotalsText(int exported, int total) {
    // The template is the key, so a language may put the numbers where its sentence needs them.
    return S::t(QStringLiteral("Exported %1 / %2 images"), QStringLiteral("%1 / %2 görsel dışa aktarıldı"))
        .arg(exported)
        .arg(total);
}

} // namespace

void EditorViewModel::saveInPlace() {
    const std::optional<QString> url = currentURL();
    if (!url) return;
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) return;
    const SaveTarget target = saveTargetFor(*url, isShowingTransparency());
    ImageExportOptions options;
    options.format = target.format;
    options.quality = kSaveInPlaceQuality;
    options.resizeEnabled = false;
    options.lockAspectRatio = true;
    options.stripMetadata = false;
    try {
        services_->exportService.exportImage(*output, options, target.destination);
    } catch (const TaviError& error) {
        showToast(error.description(), true);
        return;
    }
    if (target.destination == *url) {
        loadCurrentImage();
        preloadThumbnails();
    } else {
        openURLs({target.destination});
    }
    showToast(S::savedSuccessfully(), false);
}

void EditorViewModel::presentExportSheet() {
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) return;
    ImageExportOptions options = exportOptions();
    options.targetWidth = output->width();
    options.targetHeight = output->height();
    if (isShowingTransparency()) options.format = ImageExportFormat::png;
    setExportOptions(options);
    setShowExportSheet(true);
    recomputeExportEstimate();
}

void EditorViewModel::recomputeExportEstimate() {
    estimateCancel_.cancel();
    estimateCancel_ = CancellationFlag();
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) {
        setEstimatedExportSizeText(kNoEstimate);
        return;
    }
    setEstimatedExportSizeText(kEstimating);
    const CancellationFlag flag = estimateCancel_;
    tasks_->start(BackgroundTasks::Priority::utility, flag,
                  [this, services = services_, image = *output, options = exportOptions(), flag,
                   encodes = exportEstimateEncodeCount_](const TaskContext& ctx) {
                      if (!debounce(ctx)) return;
                      encodes->fetch_add(1);
                      const std::optional<qint64> bytes =
                          services->exportService.estimateEncodedByteSize(image, options);
                      const QString text = bytes ? formatByteCount(*bytes) : kNoEstimate;
                      // A newer request owns the field even when this one got past its sleep.
                      ctx.publish([this, flag, text] {
                          if (!flag.isCancelled()) setEstimatedExportSizeText(text);
                      });
                  });
}

void EditorViewModel::updateExportWidth(int width) {
    ImageExportOptions options = exportOptions();
    options.targetWidth = std::clamp(width, kMinimumExportSide, kMaximumExportSide);
    if (options.lockAspectRatio) {
        const std::optional<QImage> output = renderFullResolutionOutput();
        if (output && output->width() >= 1) {
            const double height =
                static_cast<double>(output->height()) / output->width() * options.targetWidth;
            options.targetHeight = std::max(kMinimumExportSide, static_cast<int>(std::lround(height)));
        }
    }
    setExportOptions(options);
    recomputeExportEstimate();
}

void EditorViewModel::updateExportHeight(int height) {
    ImageExportOptions options = exportOptions();
    options.targetHeight = std::clamp(height, kMinimumExportSide, kMaximumExportSide);
    if (options.lockAspectRatio) {
        const std::optional<QImage> output = renderFullResolutionOutput();
        if (output && output->height() >= 1) {
            const double width =
                static_cast<double>(output->width()) / output->height() * options.targetHeight;
            options.targetWidth = std::max(kMinimumExportSide, static_cast<int>(std::lround(width)));
        }
    }
    setExportOptions(options);
    recomputeExportEstimate();
}

void EditorViewModel::performExportSavePanel() {
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) return;
    const ImageExportOptions options = exportOptions();
    const std::optional<QString> url = currentURL();
    PlatformServices::SavePanelOptions panel;
    panel.suggestedFileName = (url ? QFileInfo(*url).completeBaseName() : QStringLiteral("TaviView-Export")) +
                              QStringLiteral("-edited.") + fileExtension(options.format);
    if (url) panel.directory = QFileInfo(*url).absolutePath();
    const QString mime = mimeTypeName(options.format);
    if (QMimeDatabase().mimeTypeForName(mime).isValid()) panel.allowedContentTypes = {mime};
    panel.title = S::exportTitle();
    const std::optional<QString> destination = platform_.runSavePanel(panel);
    if (!destination) return;

    tasks_->run<std::optional<QString>>(
        BackgroundTasks::Priority::userInitiated, CancellationFlag(),
        [services = services_, image = *output, options, path = *destination]() -> std::optional<QString> {
            try {
                services->exportService.exportImage(image, options, path);
            } catch (const TaviError& error) {
                return error.description();
            }
            return std::nullopt;
        },
        [this, name = QFileInfo(*destination).fileName()](std::optional<QString> failure) {
            if (failure) {
                showToast(*failure, true);
                return;
            }
            setShowExportSheet(false);
            showToast(S::exportedSuccessfully() + QStringLiteral(": ") + name, false);
        });
}

void EditorViewModel::runBatchFolderExport() {
    if (folderImages().isEmpty()) return;
    const std::optional<QString> folder = platform_.runFolderPanel(S::runBatch(), true);
    if (folder) executeBatchExport(*folder);
}

void EditorViewModel::executeBatchExport(const QString& folder) {
    if (isRunningBatch()) return;
    QStringList sources;
    for (const QString& path : folderImages())
        if (!batchFavoritesOnly() || isFavorite(path)) sources.append(path);
    if (sources.isEmpty()) {
        showToast(S::t(QStringLiteral("No favorite images to export."),
                       QStringLiteral("Dışa aktarılacak favori görsel yok.")),
                  true);
        return;
    }

    // Every image of the open folder counts as an original, exported or not: a favourites-only
    // batch into that folder must not replace IMG_2.jpg by the export of IMG_2.heic either.
    const QStringList destinations = batchDestinations(sources, folder, batchFormat(), folderImages());
    ImageExportOptions base;
    base.format = batchFormat();
    base.quality = batchQuality();
    base.resizeEnabled = false;
    base.lockAspectRatio = true;
    base.stripMetadata = batchStripMetadata();
    const std::optional<int> maxEdge =
        batchResizeEnabled() ? std::optional<int>(std::max(batchMaxEdge(), kMinimumBatchEdge)) : std::nullopt;
    const std::optional<WatermarkSettings> watermark =
        batchApplyWatermark() && adjustments().watermark.enabled ? std::optional(adjustments().watermark)
                                                                 : std::nullopt;
    const int total = static_cast<int>(sources.size());

    setIsRunningBatch(true);
    setBatchProgressText(QStringLiteral("0 / %1").arg(total));
    batchCancel_ = CancellationFlag();
    tasks_->start(BackgroundTasks::Priority::userInitiated, batchCancel_,
                  [this, services = services_, sources, destinations, base, maxEdge, watermark,
                   total](const TaskContext& ctx) {
                      int exported = 0;
                      int handled = 0;
                      for (; handled < total && !ctx.isCancelled(); ++handled) {
                          if (exportBatchFile(*services, sources[handled], destinations[handled], base,
                                              maxEdge, watermark))
                              ++exported;
                          ctx.publish([this, done = handled + 1, total] {
                              setBatchProgressText(QStringLiteral("%1 / %2").arg(done).arg(total));
                          });
                      }
                      ctx.publish([this, exported, total] { finishBatch(exported, total); });
                  });
}

void EditorViewModel::finishBatch(int exported, int total) {
    setIsRunningBatch(false);
    setShowBatchSheet(false);
    showToast(batchTotalsText(exported, total), false);
}

void EditorViewModel::cancelBatchExport() {
    if (isRunningBatch()) batchCancel_.cancel();
}

void EditorViewModel::stripExifMetadataNow() {
    const std::optional<QString> url = currentURL();
    if (!url) return;
    try {
        services_->metadataService.stripMetadataInPlace(*url);
    } catch (const TaviError& error) {
        showToast(error.description(), true);
        return;
    }
    setMetadata(services_->metadataService.inspect(*url));
    setDocumentInfo(services_->browser.readDocumentInfo(*url));
    showToast(S::exifCleaned(), false);
}

void EditorViewModel::copyCurrentImageToClipboard() {
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) return;
    if (!platform_.setClipboardImage(*output)) {
        showToast(
            S::t(QStringLiteral("The image could not be copied."), QStringLiteral("Görsel kopyalanamadı.")),
            true);
        return;
    }
    showToast(S::copiedToClipboard(), false);
}

void EditorViewModel::moveCurrentToTrash() {
    const std::optional<QString> url = currentURL();
    if (!url) return;
    try {
        platform_.moveToTrash(*url);
    } catch (const TaviError& error) {
        showToast(error.description(), true);
        return;
    }

    const auto thumbnail = thumbnails_.constFind(*url);
    if (thumbnail != thumbnails_.cend()) {
        thumbnailBytes_ -= thumbnail->sizeInBytes();
        thumbnails_.erase(thumbnail);
        Q_EMIT thumbnailsChanged();
    }
    QStringList images = folderImages();
    const int index = currentIndex();
    images.removeAt(index);

    if (!images.isEmpty()) {
        setFolder(images, std::min(index, static_cast<int>(images.size()) - 1));
        loadCurrentImage();
    } else {
        // Nothing is left to show: whatever still arrives for the trashed file is dropped.
        ++loadGeneration_;
        if (fullDecode_) fullDecode_->cancel.cancel();
        fullDecode_.reset();
        setFolder(images, 0);
        originalSourceCG_.reset();
        previewBaseCG_.reset();
        cachedAdjustedPreviewCG_.reset();
        previewStages_.clear();
        clearFullResolutionMemo();
        stopAnimationPlayback();
        animatedSequence_.reset();
        setIsAnimatedImage(false);
        setCurrentFrameIndex(0);
        setTotalFrameCount(1);
        setOriginalDisplayImage(std::nullopt);
        setRenderedDisplayImage(std::nullopt);
        setDocumentInfo(std::nullopt);
        setMetadata(ExifMetadataReport::empty());
        setHistogram(ImageHistogram::empty());
    }
    showToast(S::t(QStringLiteral("Moved to Trash"), QStringLiteral("Dosya Çöp Kutusu'na taşındı")), false);
}

void EditorViewModel::revealCurrentInFinder() {
    if (const std::optional<QString> url = currentURL()) platform_.revealInFileManager(*url);
}

bool EditorViewModel::isFavorite(const QString& path) const {
    return favoritePaths().contains(standardizedPath(path));
}

bool EditorViewModel::isCurrentFavorite() const {
    const std::optional<QString> url = currentURL();
    return url && isFavorite(*url);
}

int EditorViewModel::favoriteCountInFolder() const {
    return static_cast<int>(std::count_if(folderImages().cbegin(), folderImages().cend(),
                                          [this](const QString& path) { return isFavorite(path); }));
}

void EditorViewModel::toggleCurrentFavorite() {
    const std::optional<QString> url = currentURL();
    if (!url) return;
    const bool nowFavorite = services_->libraryStore.toggleFavorite(*url);
    setFavoritePaths(services_->libraryStore.allFavoritePaths());
    showToast(nowFavorite
                  ? S::t(QStringLiteral("Added to Favorites ♥"), QStringLiteral("Favorilere eklendi ♥"))
                  : S::t(QStringLiteral("Removed from Favorites"), QStringLiteral("Favorilerden çıkarıldı")),
              false);
}
