// sample: the colour of one pixel under a unit point.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/ColorSamplerService.h"

namespace {

const QString kUsage = QStringLiteral("sample FILE X Y");

int runSample(const QStringList& arguments) {
    CliArguments cli(kUsage);
    if (const auto exit = cli.parse(arguments, 3)) return *exit;
    const QStringList args = cli.positional();
    bool okX = false, okY = false;
    const double x = args[1].toDouble(&okX);
    const double y = args[2].toDouble(&okY);
    if (!okX || !okY) return cliUsage(kUsage);
    const auto image = FolderBrowserService().loadOrientedCGImage(args[0]);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(args[0]));
        return 1;
    }
    const auto color = ColorSamplerService().sampleColor(*image, x, y);
    if (!color) {
        cliErr(QStringLiteral("%1: the pixel could not be read").arg(args[0]));
        return 1;
    }
    cliOut(color->hexString());
    cliOut(color->rgbString());
    cliOut(color->hslString());
    cliOut(QStringLiteral("alpha: %1").arg(color->a));
    return 0;
}

const CliRegistration sample{{QStringLiteral("sample"), kUsage,
                              QStringLiteral("The colour at unit point X, Y (0...1 from the top left) as hex, rgb "
                                             "and hsl, with its alpha."),
                              runSample}};
} // namespace
