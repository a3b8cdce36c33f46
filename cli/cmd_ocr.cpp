// ocr: the text lines of an image.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/VisionAIService.h"

namespace {

const QString kUsage = QStringLiteral("ocr FILE [--lang CODE]");

int runOcr(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"lang", "The recognition language.", "CODE"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    std::optional<QString> language;
    if (cli.isSet(QStringLiteral("lang"))) language = cli.value(QStringLiteral("lang"));
    const auto image = FolderBrowserService().loadOrientedCGImage(file);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(file));
        return 1;
    }
    try {
        const OCRResult result = VisionAIService().recognizeText(*image, language);
        cliOut(result.fullText);
        return 0;
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
}

const CliRegistration ocr{{QStringLiteral("ocr"), kUsage,
                           QStringLiteral("Recognize the text of an image, one line per line read (English plus "
                                          "the interface language CODE, default Turkish)."),
                           runOcr}};
} // namespace
