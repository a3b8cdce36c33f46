// frames: the frames of an animated image and their display times; optionally saved as PNGs.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/CFormat.h"
#include "core/files/AnimatedImageService.h"

#include <QDir>
#include <QFileInfo>

namespace {

int runFrames(const QStringList& args) {
    const QString usage = QStringLiteral("frames FILE [--max N] [--extract DIR]");
    CliArguments cli(usage, {
        {"max", "Read at most this many frames.", "N"},
        {"extract", "Save each frame as a PNG into this folder.", "DIR"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    const QString extractDir = cli.value(QStringLiteral("extract"));
    int maxFrames = AnimatedImageService::defaultMaxFrames;
    if (!cli.integer(QStringLiteral("max"), maxFrames, 1)) return cli.usageError();
    if (!QFileInfo(file).isFile()) {
        cliErr(QStringLiteral("%1: no such file").arg(file));
        return 1;
    }
    const auto sequence = AnimatedImageService().loadAnimationIfAnimated(file, maxFrames);
    if (!sequence) {
        cliOut(QStringLiteral("Frames: 1 (not animated)"));
        return 0;
    }
    cliOut(QStringLiteral("Frames: %1").arg(sequence->frameCount()));
    double total = 0;
    for (int i = 0; i < sequence->frameCount(); ++i) {
        const AnimatedFrame& frame = sequence->frames()[size_t(i)];
        total += frame.delaySeconds();
        cliOut(QStringLiteral("%1  %2 x %3  %4 s")
                   .arg(i, 3)
                   .arg(frame.image().width())
                   .arg(frame.image().height())
                   .arg(cFormat("%.3f", frame.delaySeconds())));
    }
    cliOut(QStringLiteral("Duration: %1 s").arg(cFormat("%.3f", total)));
    if (extractDir.isEmpty()) return 0;
    if (!QDir().mkpath(extractDir)) {
        cliErr(QStringLiteral("%1: could not create the folder").arg(extractDir));
        return 1;
    }
    const QString stem = QFileInfo(file).completeBaseName();
    for (int i = 0; i < sequence->frameCount(); ++i) {
        const QString out =
            QDir(extractDir)
                .filePath(QStringLiteral("%1_frame_%2.png").arg(stem).arg(i + 1, 3, 10, QChar(u'0')));
        if (!sequence->frames()[size_t(i)].image().save(out, "PNG")) {
            cliErr(QStringLiteral("%1: could not write").arg(out));
            return 1;
        }
    }
    cliOut(QStringLiteral("Wrote %1 PNG files to %2").arg(sequence->frameCount()).arg(extractDir));
    return 0;
}

const CliRegistration frames{
    {QStringLiteral("frames"), QStringLiteral("frames FILE [--max N] [--extract DIR]"),
     QStringLiteral("Frame count and display times of an animated image; --extract saves each frame as PNG."),
     runFrames}};
} // namespace
