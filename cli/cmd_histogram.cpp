// histogram: the codec engine's RGB and luma histogram of an image.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/CFormat.h"
#include "core/common/TaviError.h"
#include "imagecodec/TaviImageCodecEngine.h"

namespace {

const QString kUsage = QStringLiteral("histogram FILE [--bins N]");

int runHistogram(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"bins", "Bins per channel.", "N"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    int bins = 48;
    if (!cli.integer(QStringLiteral("bins"), bins, std::numeric_limits<int>::min(), 4096)) return cli.usageError();
    try {
        TaviImageCodecEngine engine;
        const TaviImageRGBHistogram histogram = engine.computeHistogram(engine.loadCGImage(file), bins);
        const auto line = [](const char* name, const QList<double>& values) {
            QStringList numbers;
            for (double v : values)
                numbers << cFormat("%.4f", v);
            cliOut(QStringLiteral("%1 %2").arg(QLatin1String(name), numbers.join(u' ')));
        };
        line("red:  ", histogram.red);
        line("green:", histogram.green);
        line("blue: ", histogram.blue);
        line("luma: ", histogram.luma);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    return 0;
}

const CliRegistration histogram{
    {QStringLiteral("histogram"), kUsage,
     QStringLiteral("Red, green, blue and luma histograms (default 48 bins), each peaking at 1."),
     runHistogram, false}};

} // namespace
