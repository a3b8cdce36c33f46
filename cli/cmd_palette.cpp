// palette: the dominant colours of an image, most common first.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "imagecodec/TaviImageCodecEngine.h"

namespace {

const QString kUsage = QStringLiteral("palette FILE [--max N]");

int runPalette(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"max", "Colours at most.", "N"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    int maxColors = 5;
    if (!cli.integer(QStringLiteral("max"), maxColors)) return cli.usageError();
    try {
        TaviImageCodecEngine engine;
        for (const QString& color : engine.extractDominantHexPalette(engine.loadCGImage(file), maxColors))
            cliOut(color);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    return 0;
}

const CliRegistration palette{
    {QStringLiteral("palette"), kUsage,
     QStringLiteral("The dominant colours as #RRGGBB, most common first (at most N, default 5)."), runPalette,
     false}};

} // namespace
