// trim: crop an image to its visible pixels plus a margin.
#include "cli/BackgroundCliSupport.h"
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/VisionAIService.h"

namespace {

const QString kUsage = QStringLiteral("trim FILE [--margin PX] -o OUT.png");

int runTrim(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"o", "The PNG to write.", "OUT.png"},
        {"margin", "Pixels kept around the content.", "PX"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString input = cli.positional().front(), output = cli.value(QStringLiteral("o"));
    int margin = 8;
    if (output.isEmpty() || !cli.integer(QStringLiteral("margin"), margin, 0)) return cli.usageError();
    const auto image = FolderBrowserService().loadOrientedCGImage(input);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(input));
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
