// trim: crop an image to its visible pixels plus a margin.
#include "cli/BackgroundCliSupport.h"
#include "cli/CliCommand.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/VisionAIService.h"

namespace {

const QString kUsage = QStringLiteral("trim FILE [--margin PX] -o OUT.png");

int runTrim(const QStringList& args) {
    if (args.isEmpty()) return cliUsage(kUsage);
    QString output;
    int margin = 8;
    for (int i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return cliUsage(kUsage);
        if (args[i] == u"-o") {
            output = args[++i];
        } else if (args[i] == u"--margin") {
            bool ok = false;
            margin = args[++i].toInt(&ok);
            if (!ok || margin < 0) return cliUsage(kUsage);
        } else {
            return cliUsage(kUsage);
        }
    }
    if (output.isEmpty()) return cliUsage(kUsage);
    const auto image = FolderBrowserService().loadOrientedCGImage(args[0]);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(args[0]));
        return 1;
    }
    const QImage trimmed = VisionAIService::trimTransparentBorders(*image, margin);
    if (!writePngAtomically(trimmed, output)) return 1;
    cliOut(QStringLiteral("%1 (%2 × %3 from %4 × %5)")
               .arg(output)
               .arg(trimmed.width())
               .arg(trimmed.height())
               .arg(image->width())
               .arg(image->height()));
    return 0;
}

const CliRegistration trim{{QStringLiteral("trim"), kUsage,
                            QStringLiteral("Crops away fully transparent borders, keeping a margin (8 px by default)."),
                            runTrim, false}};
} // namespace
