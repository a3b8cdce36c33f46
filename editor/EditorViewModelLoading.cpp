// Opening files and folders, loading the current image, navigation, thumbnails and the
// neighbours' prefetch.
#include "editor/EditorViewModel.h"

#include "core/common/Paths.h"
#include "core/localization/S.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QUrl>
#include <algorithm>
#include <climits>

namespace {

constexpr int kPreviewMaxPixelSize = 1800;
constexpr int kThumbnailMaxPixelSize = 220;

// The folder browser's order: last path component, numbers compared as numbers, letter case
// ignored, ties kept in the given order.
void sortInFolderOrder(QStringList& paths) {
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(paths.begin(), paths.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a.section(u'/', -1), b.section(u'/', -1)) < 0;
    });
}

// An item as the desktop hands it over: a local path, or a file URL as a drop or a pasted
// list carries it ("file:///photos/a%20b.jpg"). Nothing for what cannot be opened: an empty
// item (which would otherwise stand for the working directory), a URL of another host, and a
// path that names nothing on this machine.
std::optional<QString> openablePath(const QString& item) {
    QString path = item;
    if (item.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(item);
        if (!url.isValid() || !url.isLocalFile()) return std::nullopt;
        if (!url.host().isEmpty() && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        path = url.toLocalFile();
    }
    if (path.isEmpty()) return std::nullopt;
    QString standardized = standardizedPath(path);
    if (!QFileInfo::exists(standardized)) return std::nullopt;
    return standardized;
}

} // namespace

void EditorViewModel::openURLs(const QStringList& urls) {
    if (urls.isEmpty()) return;
    stopSlideshow();
    QStringList openable;
    for (const QString& url : urls) {
        if (std::optional<QString> path = openablePath(url)) openable.append(*path);
    }
    bool found = false;
    if (urls.size() > 1) {
        // Only images that are there, each once however often or however spelled it was given.
        QStringList images;
        QSet<QString> listed;
        for (const QString& path : std::as_const(openable)) {
            if (listed.contains(path) || !QFileInfo(path).isFile() ||
                !services_->browser.isSupportedImage(path))
                continue;
            listed.insert(path);
            images.append(path);
        }
        sortInFolderOrder(images);
        if (!images.isEmpty()) {
            setFolder(images, 0);
            found = true;
        }
    }
    if (!found) {
        const FolderBrowserService::SiblingList siblings =
            openable.isEmpty() ? FolderBrowserService::SiblingList{}
                               : services_->browser.siblingImages(openable.first());
        if (siblings.images.isEmpty()) {
            showToast(S::t(QStringLiteral("No supported images found."),
                           QStringLiteral("Desteklenen görsel bulunamadı.")),
                      true);
            return;
        }
        setFolder(siblings.images, siblings.selectedIndex);
    }
    setViewMode(WorkspaceViewMode::single);
    loadCurrentImage();
    preloadThumbnails();
}

void EditorViewModel::promptOpenFileOrFolder() {
    PlatformServices::OpenPanelOptions options;
    options.canChooseFiles = true;
    options.canChooseDirectories = true;
    options.allowsMultipleSelection = true;
    options.allowedContentTypes = {QStringLiteral("image/*"), QStringLiteral("inode/directory")};
    const QStringList chosen = platform_.runOpenPanel(options);
    if (!chosen.isEmpty()) openURLs(chosen);
}

void EditorViewModel::setFolder(const QStringList& images, int index) {
    if (images != folderImages()) {
        ++folderGeneration_;
        dropPrefetch();
        folderPositions_.clear();
        for (int i = 0; i < images.size(); ++i)
            folderPositions_.insert(images[i], i);
        setFolderImages(images);
    }
    setCurrentIndex(index);
}

void EditorViewModel::dropPrefetch() {
    for (const PendingDecode& pending : std::as_const(prefetching_))
        pending.cancel.cancel();
    prefetching_.clear();
    previewCache_.clear();
}

void EditorViewModel::loadCurrentImage() {
    const std::optional<QString> url = currentURL();
    if (!url) return;
    ++loadGeneration_;
    if (fullDecode_) fullDecode_->cancel.cancel();
    fullDecode_.reset();
    fullDecodeFailed_ = false;

    // The edit of the image being left is discarded; nothing is kept per image.
    setAdjustments(EditAdjustments{});
    setBgSettings(BackgroundStudioSettings{});
    setAnnotations({});
    setDraftAnnotation(std::nullopt);
    setSelectedAnnotationID(std::nullopt);
    movingAnnotationOrigin_.reset();
    movingAnnotationStartPoint_.reset();
    markupPressPlacedItem_ = false;
    undoStack_.clear();
    redoStack_.clear();
    updateHistoryFlags();

    fullSubjectMaskCG_.reset();
    previewSubjectMaskCG_.reset();
    trimmedSourceCG_.reset();
    trimmedPreviewCG_.reset();
    cachedAdjustedPreviewCG_.reset();
    previewStages_.clear();
    clearFullResolutionMemo();

    setIsCropMode(false);
    setIsCompareMode(false);
    setIsEyedropperActive(false);
    setExtractedOCRText(QString());
    setExtractedOCRLineCount(0);
    setDetectedBarcodes({});

    stopAnimationPlayback();
    animatedSequence_.reset();
    setIsAnimatedImage(false);
    setCurrentFrameIndex(0);
    setTotalFrameCount(1);
    setNextStepNumber(1);

    setZoomScale(1.0);
    setPanOffset(QSizeF(0, 0));
    setIsActualSizeMode(false);

    const std::optional<ImageDocumentInfo> info = services_->browser.readDocumentInfo(*url);
    const ExifMetadataReport report = services_->metadataService.inspect(*url);

    // The bounded decode is all the screen needs; the full-size one follows in the background
    // and serves output only. A file whose bounded decode fails is decoded whole here, as that
    // is then the preview base too.
    originalSourceCG_.reset();
    std::optional<QImage> preview = previewBaseFor(*url, FileStamp::of(*url));
    if (preview) {
        startFullDecode(*url);
    } else {
        originalSourceCG_ = services_->browser.loadOrientedCGImage(*url);
        preview = originalSourceCG_;
        fullDecodeFailed_ = !originalSourceCG_;
    }

    setDocumentInfo(info);
    setMetadata(report);
    previewBaseCG_ = preview;

    if (preview) {
        setOriginalDisplayImage(*preview);
        setRenderedDisplayImage(*preview);
        cachedAdjustedPreviewCG_ = *preview;
        setHistogram(services_->studioEffects.computeHistogram(*preview, 48));
        // The upright pixel size is known before the full-size decode ends.
        ImageExportOptions options = exportOptions();
        const QSize size = activeSourceDimensions();
        if (info || originalSourceCG_) {
            options.targetWidth = size.width();
            options.targetHeight = size.height();
            setExportOptions(options);
        }
    } else {
        setOriginalDisplayImage(std::nullopt);
        setRenderedDisplayImage(std::nullopt);
        setHistogram(ImageHistogram::empty());
    }

    if (viewMode() == WorkspaceViewMode::sideBySide) loadSecondaryCompareImage();
    loadAnimationIfPresent(*url);
    prefetchNeighbours();
}

std::optional<QImage> EditorViewModel::previewBaseFor(const QString& path, const FileStamp& stamp) {
    if (std::optional<QImage> hit = previewCache_.find(path, stamp)) return hit;
    const auto pending = prefetching_.find(path);
    if (pending != prefetching_.end()) {
        PendingDecode decode = *pending;
        prefetching_.erase(pending);
        if (decode.stamp == stamp) {
            // Already decoding in the background: waiting for it is quicker than starting over.
            decode.done.waitForFinished();
            if (*decode.result) {
                previewCache_.insert(path, stamp, **decode.result);
                return *decode.result;
            }
        } else {
            decode.cancel.cancel();
        }
    }
    std::optional<QImage> decoded = services_->browser.loadOrientedCGImage(path, kPreviewMaxPixelSize);
    if (decoded) previewCache_.insert(path, stamp, *decoded);
    return decoded;
}

void EditorViewModel::startFullDecode(const QString& path) {
    PendingDecode decode;
    decode.result = std::make_shared<std::optional<QImage>>();
    decode.stamp = FileStamp::of(path);
    const quint64 generation = loadGeneration_;
    decode.done = tasks_->start(
        BackgroundTasks::Priority::userInitiated, decode.cancel,
        [this, services = services_, path, result = decode.result, generation](const TaskContext& ctx) {
            if (ctx.isCancelled()) return;
            *result = services->browser.loadOrientedCGImage(path);
            ctx.publish([this, generation] {
                if (generation == loadGeneration_) adoptFullDecode();
            });
        });
    fullDecode_ = decode;
}

void EditorViewModel::adoptFullDecode() {
    if (!fullDecode_) return;
    const std::optional<QImage> image = *fullDecode_->result;
    fullDecode_.reset();
    if (!image) {
        fullDecodeFailed_ = true;
        return;
    }
    originalSourceCG_ = image;
    if (!documentInfo()) {
        ImageExportOptions options = exportOptions();
        options.targetWidth = image->width();
        options.targetHeight = image->height();
        setExportOptions(options);
    }
}

const std::optional<QImage>& EditorViewModel::fullSource() {
    if (!originalSourceCG_ && fullDecode_) {
        fullDecode_->done.waitForFinished();
        adoptFullDecode();
    }
    return originalSourceCG_;
}

void EditorViewModel::prefetchNeighbours() {
    const int count = static_cast<int>(folderImages().size());
    if (!prefetchEnabled_ || count < 2) return;
    const int next = (currentIndex() + 1) % count;
    const int previous = (currentIndex() + count - 1) % count;
    // The next photo first: stepping forwards is what the arrow keys do most.
    const std::pair<int, BackgroundTasks::Priority> wanted[] = {
        {next, BackgroundTasks::Priority::interactive},
        {previous, BackgroundTasks::Priority::userInitiated},
    };
    for (const auto& [index, priority] : wanted) {
        const QString path = folderImages().at(index);
        if (index == currentIndex() || previewCache_.contains(path) || prefetching_.contains(path)) continue;
        PendingDecode decode;
        decode.result = std::make_shared<std::optional<QImage>>();
        decode.stamp = FileStamp::of(path);
        const quint64 folder = folderGeneration_;
        decode.done = tasks_->start(
            priority, decode.cancel,
            [this, services = services_, path, result = decode.result, folder](const TaskContext& ctx) {
                if (ctx.isCancelled()) return;
                *result = services->browser.loadOrientedCGImage(path, kPreviewMaxPixelSize);
                ctx.publish([this, path, result, folder] {
                    if (folder != folderGeneration_) return;
                    const auto it = prefetching_.find(path);
                    if (it == prefetching_.end() || it->result != result) return;
                    if (*result) previewCache_.insert(path, it->stamp, **result);
                    prefetching_.erase(it);
                });
            });
        prefetching_.insert(path, decode);
    }
}

void EditorViewModel::loadAnimationIfPresent(const QString& path) {
    const quint64 generation = loadGeneration_;
    auto services = services_;
    tasks_->run<std::optional<AnimatedImageSequence>>(
        BackgroundTasks::Priority::userInitiated, CancellationFlag(),
        [services, path] {
            return services->animatedService.loadAnimationIfAnimated(path,
                                                                     AnimatedImageService::defaultMaxFrames);
        },
        [this, path, generation](std::optional<AnimatedImageSequence> sequence) {
            // A result for an image the user has left is dropped.
            if (!sequence || generation != loadGeneration_ || currentURL() != path) return;
            animatedSequence_ = std::move(sequence);
            setIsAnimatedImage(true);
            setCurrentFrameIndex(0);
            setTotalFrameCount(animatedSequence_->frameCount());
            startAnimationPlayback();
        });
}

void EditorViewModel::preloadThumbnails() {
    thumbnailCancel_.cancel();
    thumbnailCancel_ = CancellationFlag();
    thumbnailFocus_ = currentIndex();
    QStringList paths = folderImages();
    if (paths.size() > thumbnailWindow_) {
        const int first = std::clamp(currentIndex() - thumbnailWindow_ / 2, 0,
                                     static_cast<int>(paths.size()) - thumbnailWindow_);
        paths = paths.mid(first, thumbnailWindow_);
    }
    startThumbnailLoader(paths, thumbnailCancel_);
}

void EditorViewModel::requestThumbnails(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(folderImages().size()) - 1);
    QList<int> positions;
    for (int i = first; i <= last; ++i) positions.append(i);
    requestThumbnails(positions);
}

void EditorViewModel::requestThumbnails(const QList<int>& positions) {
    const QStringList& images = folderImages();
    QStringList missing;
    QList<int> valid;
    for (int i : positions) {
        if (i < 0 || i >= images.size()) continue;
        valid.append(i);
        if (!thumbnails().contains(images[i])) missing.append(images[i]);
    }
    // What the view shows now is what must stay: measured from the current image, a grid
    // scrolled far away would see each new thumbnail dropped as the farthest one.
    if (!valid.isEmpty()) thumbnailFocus_ = valid.at(valid.size() / 2);
    thumbnailRequestCancel_.cancel();
    thumbnailRequestCancel_ = CancellationFlag();
    if (!missing.isEmpty()) startThumbnailLoader(missing, thumbnailRequestCancel_);
}

void EditorViewModel::startThumbnailLoader(const QStringList& paths, const CancellationFlag& flag) {
    tasks_->start(BackgroundTasks::Priority::utility, flag,
                  [this, services = services_, paths](const TaskContext& ctx) {
                      for (const QString& path : paths) {
                          if (ctx.isCancelled()) return;
                          std::optional<QImage> thumb =
                              services->browser.loadOrientedCGImage(path, kThumbnailMaxPixelSize);
                          if (!thumb) continue;
                          ctx.publish([this, path, image = *thumb] { storeThumbnail(path, image); });
                      }
                  });
}

void EditorViewModel::storeThumbnail(const QString& path, const QImage& image) {
    // A loader's result can arrive after its file left the folder (moved to the Trash while it
    // was being read): keeping it would show a photo that is gone.
    if (!folderPositions_.contains(path)) return;
    const auto existing = thumbnails_.constFind(path);
    if (existing != thumbnails_.cend()) thumbnailBytes_ -= existing->sizeInBytes();
    thumbnails_.insert(path, image);
    thumbnailBytes_ += image.sizeInBytes();
    // Over budget: drop the thumbnails farthest from the focus (those of other
    // folders first, and the new one itself if it is the farthest); the grid asks for them
    // again if it shows them.
    while (thumbnailBytes_ > thumbnailBudgetBytes_ && !thumbnails_.isEmpty()) {
        auto farthest = thumbnails_.end();
        int farthestDistance = -1;
        for (auto it = thumbnails_.begin(); it != thumbnails_.end(); ++it) {
            const auto position = folderPositions_.constFind(it.key());
            const int distance =
                position == folderPositions_.cend() ? INT_MAX : std::abs(*position - thumbnailFocus_);
            if (distance > farthestDistance) {
                farthestDistance = distance;
                farthest = it;
            }
        }
        thumbnailBytes_ -= farthest->sizeInBytes();
        thumbnails_.erase(farthest);
    }
    Q_EMIT thumbnailsChanged();
}

void EditorViewModel::navigateNext() {
    const int count = static_cast<int>(folderImages().size());
    if (count < 2) return;
    setCurrentIndex((currentIndex() + 1) % count);
    loadCurrentImage();
}

void EditorViewModel::navigatePrevious() {
    const int count = static_cast<int>(folderImages().size());
    if (count < 2) return;
    setCurrentIndex((currentIndex() + count - 1) % count);
    loadCurrentImage();
}

void EditorViewModel::selectImage(int index, bool switchToSingle) {
    if (index < 0 || index >= folderImages().size()) return;
    if (switchToSingle) setViewMode(WorkspaceViewMode::single);
    // The current image is "loaded" as soon as its preview is: the full-size decode may still
    // be on its way, and reloading would throw the edit away.
    if (index == currentIndex() && previewBaseCG_) return;
    setCurrentIndex(index);
    loadCurrentImage();
}
