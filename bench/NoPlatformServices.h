#pragma once

// The platform for benchmarks of the editor: no panels, no clipboard, no desktop. Whatever the
// editor asks comes back "cancelled" or "nothing", so only its own work is timed.
#include "editor/PlatformServices.h"

class NoPlatformServices : public PlatformServices {
  public:
    QStringList runOpenPanel(const OpenPanelOptions&) override { return {}; }
    std::optional<QString> runSavePanel(const SavePanelOptions&) override { return {}; }
    std::optional<QString> runFolderPanel(const QString&, bool) override { return {}; }
    std::optional<QString> clipboardText() override { return {}; }
    bool setClipboardText(const QString&) override { return false; }
    std::optional<QImage> clipboardImage() override { return {}; }
    bool setClipboardImage(const QImage&) override { return false; }
    QStringList clipboardFileURLs() override { return {}; }
    bool setClipboardFileURLs(const QStringList&) override { return false; }
    void moveToTrash(const QString&) override {}
    void revealInFileManager(const QString&) override {}
    bool openURL(const QUrl&) override { return false; }
    bool runInteractiveScreenCapture(const QString&) override { return false; }
    void hideApplicationWindows() override {}
    void restoreApplicationWindows() override {}
    void activateApplication() override {}
};
