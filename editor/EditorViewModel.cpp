#include "editor/EditorViewModel.h"

#include "core/common/Paths.h"
#include "core/localization/KeyNames.h"
#include "core/model/BackgroundFillStyle.h"

EditorViewModel::EditorViewModel(PlatformServices& platform, QObject* parent)
    : QObject(parent), platform_(platform), services_(std::make_shared<EditorServices>()),
      tasks_(new BackgroundTasks(this)) {
    toastTimer_.setSingleShot(true);
    toastTimer_.setInterval(3000);
    connect(&toastTimer_, &QTimer::timeout, this, [this] { setToastMessage(std::nullopt); });
    slideshowTimer_.setInterval(3000);
    setFavoritePaths(services_->libraryStore.allFavoritePaths());
    setCustomPresets(services_->libraryStore.customPresets());
    connect(this, &EditorViewModel::renderedDisplayImageChanged, this, &EditorViewModel::dropStaleRegion);
}

EditorViewModel::~EditorViewModel() {
    // Running tasks keep their own copies and the shared services; what they still publish is
    // dropped because this object is gone. Work not yet begun is not worth starting.
    thumbnailCancel_.cancel();
    thumbnailRequestCancel_.cancel();
    if (fullDecode_) fullDecode_->cancel.cancel();
    for (const PendingDecode& p : std::as_const(prefetching_))
        p.cancel.cancel();
    cancelRegionRender();
}

void EditorViewModel::showToast(const QString& message, bool isError) {
    toastTimer_.stop();
    // The texts' key glyphs are the Mac's; the keyboard here says Ctrl, Alt, Shift.
    setToastMessage(withPlatformKeyNames(message));
    setToastIsError(isError);
    toastTimer_.start();
}

void EditorViewModel::setLanguage(AppLanguage language) {
    AppLanguage::setCurrent(language);
    setIsFollowingSystemLanguage(false);
    setLanguageState(language);
}

void EditorViewModel::setFollowSystemLanguage() {
    AppLanguage::setFollowSystem();
    setIsFollowingSystemLanguage(true);
    setLanguageState(AppLanguage::systemResolved());
}

void EditorViewModel::stopSlideshow() {
    slideshowTimer_.stop();
    setIsSlideshowRunning(false);
}

std::optional<QString> EditorViewModel::currentURL() const {
    if (currentIndex() < 0 || currentIndex() >= folderImages().size()) return std::nullopt;
    return folderImages().at(currentIndex());
}

bool EditorViewModel::hasImage() const {
    return renderedDisplayImage().has_value() && currentURL().has_value();
}

bool EditorViewModel::hasUnsavedEdits() const {
    return !adjustments().isIdentity() || !annotations().isEmpty() || bgSettings().enabled ||
           trimmedSourceCG_.has_value();
}

bool EditorViewModel::isShowingTransparency() const {
    if (bgSettings().enabled && bgSettings().fillStyle == BackgroundFillStyle::transparent) return true;
    if (!documentInfo()) return false;
    return documentInfo()->hasAlpha && !adjustments().beautify.enabled;
}

QSize EditorViewModel::activeSourceDimensions() const {
    if (trimmedSourceCG_) return trimmedSourceCG_->size();
    if (originalSourceCG_) return originalSourceCG_->size();
    // The full-size decode may still be running: the file's upright size is the same numbers.
    if (documentInfo()) return {documentInfo()->pixelWidth, documentInfo()->pixelHeight};
    return {1, 1};
}

QList<int> EditorViewModel::filteredGridIndices() const {
    const QString query = gridSearchText().trimmed().toLower();
    QList<int> kept;
    const QStringList& images = folderImages();
    for (int i = 0; i < images.size(); ++i) {
        if (showFavoritesOnly() && !favoritePaths().contains(standardizedPath(images[i]))) continue;
        if (!query.isEmpty()) {
            const QString name = images[i].section(u'/', -1).toLower();
            if (!name.contains(query)) continue;
        }
        kept.append(i);
    }
    return kept;
}
