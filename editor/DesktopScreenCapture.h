#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The desktop's own interactive region-capture tool, for the window layer's
// PlatformServices::runInteractiveScreenCapture. The tools differ by desktop; the first one
// installed is used, and the environment variable TAVIVIEW_SCREENCAPTURE names a program to use
// instead (called with the output path as its last argument).
class DesktopScreenCapture {
  public:
    struct Command {
        QString program;
        QStringList arguments;
        bool operator==(const Command&) const = default;
    };
    // How to capture into `outputPath` here; nothing when no known tool is installed.
    static std::optional<Command> command(const QString& outputPath);
    // Runs the tool and waits until it exits (blocking: call it off the GUI thread). True when it
    // wrote a non-empty file; a cancelled or failed capture leaves no file at `outputPath`.
    static bool run(const QString& outputPath);
};
