// ocr: the text lines of an image.
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/VisionAIService.h"

namespace {

const QString kUsage = QStringLiteral("ocr FILE [--lang CODE]");

int runOcr(const QStringList& args) {
    QString file;
    std::optional<QString> language;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--lang" && i + 1 < args.size())
            language = args[++i];
        else if (file.isEmpty())
            file = args[i];
        else
            return cliUsage(kUsage);
    }
    if (file.isEmpty()) return cliUsage(kUsage);
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
