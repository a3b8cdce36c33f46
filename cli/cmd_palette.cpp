// palette: the dominant colours of an image, most common first.
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "imagecodec/TaviImageCodecEngine.h"

namespace {

const QString kUsage = QStringLiteral("palette FILE [--max N]");

int runPalette(const QStringList& args) {
    QString file;
    int maxColors = 5;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--max" && i + 1 < args.size()) {
            bool ok = false;
            maxColors = args[++i].toInt(&ok);
            if (!ok) return cliUsage(kUsage);
        } else if (file.isEmpty() && !args[i].startsWith(u'-')) {
            file = args[i];
        } else {
            return cliUsage(kUsage);
        }
    }
    if (file.isEmpty()) return cliUsage(kUsage);
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
