#include "ui/platform/QtPlatformServices.h"

#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "editor/DesktopScreenCapture.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace {

// Qt's own dialog cannot choose files and folders in one panel; this one can. "Open" on a
// selected folder (or with nothing selected, on the folder shown) takes the folder instead of
// entering it; double-clicking a folder still enters it.
class FilesAndFoldersDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;
    bool foldersToo = false;
    QStringList chosen;

  protected:
    void accept() override {
        if (!foldersToo) return QFileDialog::accept();
        QStringList files = selectedFiles();
        if (files.isEmpty()) files << directory().absolutePath();
        for (const QString& file : std::as_const(files))
            if (!QFileInfo::exists(file)) return QFileDialog::accept(); // Qt explains what is missing
        chosen = files;
        QDialog::accept();
    }
};

// Panels open where the user keeps photos (the working folder means nothing to someone who
// started the application from a menu).
QString startFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

QStringList localPaths(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

} // namespace

QStringList QtPlatformServices::nameFiltersFor(const QStringList& contentTypes) {
    QStringList filters;
    const QMimeDatabase db;
    for (const QString& type : contentTypes) {
        if (type == QStringLiteral("image/*")) {
            QStringList patterns;
            for (const QString& ext : FolderBrowserService::supportedExtensions())
                patterns << QStringLiteral("*.") + ext;
            std::sort(patterns.begin(), patterns.end());
            filters << QStringLiteral("Images (%1)").arg(patterns.join(u' '));
            continue;
        }
        const QMimeType mime = db.mimeTypeForName(type);
        if (mime.isValid() && !mime.globPatterns().isEmpty()) filters << mime.filterString();
    }
    filters << QStringLiteral("All files (*)");
    return filters;
}

QStringList QtPlatformServices::runOpenPanel(const OpenPanelOptions& options) {
    FilesAndFoldersDialog dialog(mainWindow_, options.title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!options.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.foldersToo = options.canChooseDirectories;
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                           : QFileDialog::ExistingFile);
        dialog.setNameFilters(nameFiltersFor(options.allowedContentTypes));
    }
    dialog.setDirectory(lastFolder_.isEmpty() ? startFolder() : lastFolder_);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.chosen.isEmpty() ? dialog.selectedFiles() : dialog.chosen;
    if (!chosen.isEmpty()) lastFolder_ = dialog.directory().absolutePath();
    return chosen;
}

std::optional<QString> QtPlatformServices::runSavePanel(const SavePanelOptions& options) {
    QFileDialog dialog(mainWindow_, options.title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (!options.allowedContentTypes.isEmpty()) dialog.setMimeTypeFilters(options.allowedContentTypes);
    dialog.setDirectory(options.directory.isEmpty() ? startFolder() : options.directory);
    if (!options.suggestedFileName.isEmpty()) dialog.selectFile(options.suggestedFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPlatformServices::runFolderPanel(const QString& title, bool canCreateDirectories) {
    QFileDialog dialog(mainWindow_, title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::ReadOnly, !canCreateDirectories);
    dialog.setDirectory(startFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPlatformServices::clipboardText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return data->text();
}

bool QtPlatformServices::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    return QGuiApplication::clipboard()->text() == text;
}

std::optional<QImage> QtPlatformServices::clipboardImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage()) return std::nullopt;
    QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull()) return std::nullopt;
    return image;
}

bool QtPlatformServices::setClipboardImage(const QImage& image) {
    if (image.isNull()) return false;
    QGuiApplication::clipboard()->setImage(image);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QStringList QtPlatformServices::clipboardFileURLs() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls()) return {};
    return localPaths(data->urls());
}

bool QtPlatformServices::setClipboardFileURLs(const QStringList& paths) {
    QList<QUrl> urls;
    QByteArray gnome("copy");
    for (const QString& path : paths) {
        const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        urls << url;
        gnome += '\n' + url.toEncoded();
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    // GNOME's and KDE's file managers paste files from this list, not from the URL list alone.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    QGuiApplication::clipboard()->setMimeData(data);
    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    return now && now->hasUrls() && now->urls().size() == urls.size();
}

void QtPlatformServices::moveToTrash(const QString& path) {
    QFile file(path);
    if (!file.exists())
        throw TaviError(QStringLiteral("FileSystem"), int(QFileDevice::RemoveError),
                        QStringLiteral("“%1” does not exist.").arg(QFileInfo(path).fileName()));
    // Qt puts the home Trash under the data folder only when that folder exists; without it
    // the file would land in a "files" folder beside the working directory.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty()) QDir().mkpath(dataHome);
    if (!file.moveToTrash()) {
        QString reason = file.errorString();
        if (reason.isEmpty()) reason = QStringLiteral("The file could not be moved to the Trash.");
        throw TaviError(QStringLiteral("FileSystem"), int(file.error()), reason);
    }
}

void QtPlatformServices::revealInFileManager(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(absolute).absolutePath());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(absolute).toString()} << QString();
    // Asynchronous: a file manager that is slow to start must not freeze the window. Without one
    // (no service, an error) the folder opens in whatever handles folders.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [folder](QDBusPendingCallWatcher* w) {
                         if (w->isError()) QDesktopServices::openUrl(folder);
                         w->deleteLater();
                     });
}

bool QtPlatformServices::openURL(const QUrl& url) {
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

bool QtPlatformServices::runInteractiveScreenCapture(const QString& outputPath) {
    return DesktopScreenCapture::run(outputPath);
}

void QtPlatformServices::hideApplicationWindows() {
    hiddenWindows_.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->windowType() == Qt::ToolTip || window->windowType() == Qt::Popup)
            continue;
        hiddenWindows_ << window;
        window->hide();
    }
    // The capture tool starts right after this; the windows must be gone from the screen first.
    QApplication::processEvents();
}

void QtPlatformServices::restoreApplicationWindows() {
    for (const QPointer<QWidget>& window : std::as_const(hiddenWindows_))
        if (window) window->show();
    hiddenWindows_.clear();
}

void QtPlatformServices::activateApplication() {
    QWidget* window = mainWindow_ ? mainWindow_.data() : QApplication::activeWindow();
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
}
