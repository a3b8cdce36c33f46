#pragma once

#include "editor/PlatformServices.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// The desktop's services for the editor: Qt's file dialogs (modal to the main window), the
// clipboard, the freedesktop Trash, the file manager through D-Bus, the browser, the desktop's
// region-capture tool and the application's windows.
class QtPlatformServices : public PlatformServices {
  public:
    QtPlatformServices() = default;

    // The window that panels are modal to and that activation brings forward.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }
    QWidget* mainWindow() const { return mainWindow_; }

    QStringList runOpenPanel(const OpenPanelOptions& options) override;
    std::optional<QString> runSavePanel(const SavePanelOptions& options) override;
    std::optional<QString> runFolderPanel(const QString& title, bool canCreateDirectories) override;

    std::optional<QString> clipboardText() override;
    bool setClipboardText(const QString& text) override;
    std::optional<QImage> clipboardImage() override;
    bool setClipboardImage(const QImage& image) override;
    QStringList clipboardFileURLs() override;
    bool setClipboardFileURLs(const QStringList& paths) override;

    void moveToTrash(const QString& path) override;
    void revealInFileManager(const QString& path) override;
    bool openURL(const QUrl& url) override;

    bool runInteractiveScreenCapture(const QString& outputPath) override;

    void hideApplicationWindows() override;
    void restoreApplicationWindows() override;
    void activateApplication() override;

    // File dialog name filters for MIME type names ("image/*" becomes every image extension the
    // codecs read; unknown names are skipped); always ends with "All files (*)".
    static QStringList nameFiltersFor(const QStringList& contentTypes);

  private:
    QPointer<QWidget> mainWindow_;
    QList<QPointer<QWidget>> hiddenWindows_;
    QString lastFolder_; // where the open panel was last used, for the next time
};
