#pragma once

#include "core/common/TaviError.h"
#include "editor/PlatformServices.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QStringList>
#include <deque>

// Records every call by name and answers from a script the test fills beforehand; an empty
// script answers "cancelled" / "nothing".
class FakePlatformServices : public PlatformServices {
  public:
    QStringList calls;
    std::deque<QStringList> openPanelAnswers;
    QList<OpenPanelOptions> openPanelRequests;
    std::deque<std::optional<QString>> savePanelAnswers;
    std::deque<std::optional<QString>> folderPanelAnswers;
    std::optional<QString> clipboardTextValue;
    std::optional<QImage> clipboardImageValue;
    QStringList clipboardFiles;
    QStringList trashFailures; // paths whose move to the Trash fails
    bool captureWritesFile = false;
    bool openURLSucceeds = true; // false: no browser takes the address

    QStringList runOpenPanel(const OpenPanelOptions& options) override {
        calls << QStringLiteral("runOpenPanel");
        openPanelRequests << options;
        if (openPanelAnswers.empty()) return {};
        QStringList answer = openPanelAnswers.front();
        openPanelAnswers.pop_front();
        return answer;
    }
    std::optional<QString> runSavePanel(const SavePanelOptions&) override {
        calls << QStringLiteral("runSavePanel");
        return next(savePanelAnswers);
    }
    std::optional<QString> runFolderPanel(const QString&, bool) override {
        calls << QStringLiteral("runFolderPanel");
        return next(folderPanelAnswers);
    }
    std::optional<QString> clipboardText() override {
        calls << QStringLiteral("clipboardText");
        return clipboardTextValue;
    }
    bool setClipboardText(const QString& text) override {
        calls << QStringLiteral("setClipboardText");
        clipboardTextValue = text;
        return true;
    }
    std::optional<QImage> clipboardImage() override {
        calls << QStringLiteral("clipboardImage");
        return clipboardImageValue;
    }
    bool setClipboardImage(const QImage& image) override {
        calls << QStringLiteral("setClipboardImage");
        clipboardImageValue = image;
        return true;
    }
    QStringList clipboardFileURLs() override {
        calls << QStringLiteral("clipboardFileURLs");
        return clipboardFiles;
    }
    bool setClipboardFileURLs(const QStringList& paths) override {
        calls << QStringLiteral("setClipboardFileURLs");
        clipboardFiles = paths;
        return true;
    }
    void moveToTrash(const QString& path) override {
        calls << QStringLiteral("moveToTrash ") + path;
        if (trashFailures.contains(path))
            throw TaviError(QStringLiteral("FileSystem"), 1, QStringLiteral("Operation not permitted"));
    }
    void revealInFileManager(const QString& path) override { calls << QStringLiteral("reveal ") + path; }
    bool openURL(const QUrl& url) override {
        calls << QStringLiteral("openURL ") + url.toString();
        return openURLSucceeds;
    }
    // Like the desktop tools: a capture writes a PNG of the "selected region" to the path; a
    // cancelled one writes nothing.
    bool runInteractiveScreenCapture(const QString& outputPath) override {
        calls << QStringLiteral("capture ") + outputPath;
        if (!captureWritesFile) return false;
        QImage region(40, 30, QImage::Format_RGB32);
        region.fill(QColor(30, 140, 90));
        return region.save(outputPath, "PNG");
    }
    void hideApplicationWindows() override { calls << QStringLiteral("hide"); }
    void restoreApplicationWindows() override { calls << QStringLiteral("restore"); }
    void activateApplication() override { calls << QStringLiteral("activate"); }

  private:
    template <class T> static T next(std::deque<T>& script) {
        if (script.empty()) return T{};
        T answer = script.front();
        script.pop_front();
        return answer;
    }
};
