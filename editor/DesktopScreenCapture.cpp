#include "editor/DesktopScreenCapture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

std::optional<DesktopScreenCapture::Command> DesktopScreenCapture::command(const QString& outputPath) {
    const QString override = qEnvironmentVariable("TAVIVIEW_SCREENCAPTURE");
    if (!override.isEmpty()) return Command{override, {outputPath}};
#ifdef Q_OS_MACOS
    return Command{QStringLiteral("/usr/sbin/screencapture"),
                   {QStringLiteral("-i"), QStringLiteral("-x"), outputPath}};
#else
    const auto installed = [](const char* name) {
        return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
    };
    if (installed("gnome-screenshot"))
        return Command{QStringLiteral("gnome-screenshot"),
                       {QStringLiteral("-a"), QStringLiteral("-f"), outputPath}};
    if (installed("spectacle"))
        return Command{QStringLiteral("spectacle"),
                       {QStringLiteral("-b"), QStringLiteral("-n"), QStringLiteral("-r"),
                        QStringLiteral("-o"), outputPath}};
    if (installed("maim")) return Command{QStringLiteral("maim"), {QStringLiteral("-s"), outputPath}};
    if (installed("scrot")) return Command{QStringLiteral("scrot"), {QStringLiteral("-s"), outputPath}};
    if (installed("grim") && installed("slurp")) {
        // The region comes from slurp; a cancelled selection makes slurp fail and grim write nothing.
        return Command{QStringLiteral("sh"),
                       {QStringLiteral("-c"), QStringLiteral("region=$(slurp) && grim -g \"$region\" \"$1\""),
                        QStringLiteral("sh"), outputPath}};
    }
    return std::nullopt;
#endif
}

bool DesktopScreenCapture::run(const QString& outputPath) {
    const std::optional<Command> tool = command(outputPath);
    if (!tool) return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(tool->program, tool->arguments);
    // A launch error counts as a cancelled capture; the user simply gets no screenshot.
    if (process.waitForStarted(-1)) process.waitForFinished(-1);
    const bool captured = process.exitStatus() == QProcess::NormalExit && QFileInfo(outputPath).size() > 0;
    // Some tools leave an empty or partial file when the selection is cancelled or they crash.
    if (!captured) QFile::remove(outputPath);
    return captured;
}
