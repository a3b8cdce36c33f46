#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// What the desktop does for the editor: panels, the clipboard, the Trash, the file manager, the
// browser, the screen capture tool and the application's windows. The editor never opens a
// window itself; the window layer gives it an implementation, tests a scripted one. Every call
// comes from the GUI thread unless its comment says otherwise.
class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    struct OpenPanelOptions {
        bool canChooseFiles = true;
        bool canChooseDirectories = true;
        bool allowsMultipleSelection = true;
        // Kinds of files offered, as MIME type names ("image/*", "inode/directory").
        QStringList allowedContentTypes;
        QString title;
        bool operator==(const OpenPanelOptions&) const = default;
    };
    // Shows a modal open panel as its own window; the chosen paths, or nothing when cancelled.
    virtual QStringList runOpenPanel(const OpenPanelOptions& options) = 0;

    struct SavePanelOptions {
        QString suggestedFileName;
        QString directory; // empty: the panel's own choice
        QStringList allowedContentTypes;
        QString title;
        bool canCreateDirectories = true;
        bool operator==(const SavePanelOptions&) const = default;
    };
    // The chosen destination path, or nothing when cancelled.
    virtual std::optional<QString> runSavePanel(const SavePanelOptions& options) = 0;
    // A folder chosen by the user (for batch output), or nothing when cancelled.
    virtual std::optional<QString> runFolderPanel(const QString& title, bool canCreateDirectories) = 0;

    // The general clipboard. Readers give nothing when the clipboard holds no such content;
    // writers replace the whole clipboard and report whether it took the content.
    virtual std::optional<QString> clipboardText() = 0;
    virtual bool setClipboardText(const QString& text) = 0;
    virtual std::optional<QImage> clipboardImage() = 0;
    virtual bool setClipboardImage(const QImage& image) = 0;
    virtual QStringList clipboardFileURLs() = 0; // local paths
    virtual bool setClipboardFileURLs(const QStringList& paths) = 0;

    // Moves a file to the user's Trash. Throws TaviError (the system's description) when the
    // file could not be moved; the file is then where it was.
    virtual void moveToTrash(const QString& path) = 0;
    // Shows the file selected in the file manager.
    virtual void revealInFileManager(const QString& path) = 0;
    // Opens a web address in the user's browser; false when nothing could open it.
    virtual bool openURL(const QUrl& url) = 0;

    // Runs the desktop's interactive screen capture tool and waits until it exits; true when the
    // tool wrote an image to `outputPath` (false when the user cancelled or no tool exists).
    // Blocking: the editor calls it from a background task, never from the GUI thread.
    virtual bool runInteractiveScreenCapture(const QString& outputPath) = 0;

    // Hides every window of the application (so a screenshot doesn't show it) and brings them
    // back; activates the application (its front window takes the keyboard).
    virtual void hideApplicationWindows() = 0;
    virtual void restoreApplicationWindows() = 0;
    virtual void activateApplication() = 0;
};
