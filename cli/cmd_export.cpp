// export and estimate: one image through the export service, written or only measured.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "core/files/ImageExportService.h"
#include "imagecodec/TaviImageCodecEngine.h"

#include <QRegularExpression>

namespace {

const QString kExportUsage =
    QStringLiteral("export FILE -o OUT --format jpeg|png|heic|avif|tiff|pdf [--quality Q] [--size WxH]");
const QString kEstimateUsage =
    QStringLiteral("estimate FILE --format jpeg|png|heic|avif|tiff|pdf [--quality Q] [--size WxH]");

struct Request {
    QString input;
    QString output;
    ImageExportOptions options;
};

// Nothing when the arguments don't make a request; `exit` is then the command's exit code.
std::optional<Request> parse(const QStringList& args, bool wantsOutput, int& exit) {
    Request request;
    CliArguments cli(wantsOutput ? kExportUsage : kEstimateUsage, {
        {"format", "The format to encode.", "FORMAT"},
        {"quality", "Encoder quality, 0 to 1.", "Q"},
        {"size", "Resize to this size.", "WxH"},
    });
    if (wantsOutput) cli.option({QStringLiteral("o")}, QStringLiteral("The file to write."), QStringLiteral("OUT"));
    if (const auto code = cli.parse(args)) {
        exit = *code;
        return std::nullopt;
    }
    exit = 2;
    const auto fail = [&] {
        cli.usageError();
        return std::nullopt;
    };
    if (cli.positional().size() != 1 || !cli.isSet(QStringLiteral("format"))) return fail();
    request.input = cli.positional().front();
    if (wantsOutput) {
        request.output = cli.value(QStringLiteral("o"));
        if (request.output.isEmpty()) return fail();
    }
    const auto format = fromRawValue<ImageExportFormat>(cli.value(QStringLiteral("format")).toLower());
    if (!format) return fail();
    request.options.format = *format;
    if (cli.isSet(QStringLiteral("quality"))) {
        bool ok = false;
        request.options.quality = cli.value(QStringLiteral("quality")).toDouble(&ok);
        if (!ok) return fail();
    }
    if (cli.isSet(QStringLiteral("size"))) {
        static const QRegularExpression pattern(QStringLiteral("^(-?\\d{1,9})[xX](-?\\d{1,9})$"));
        const auto match = pattern.match(cli.value(QStringLiteral("size")));
        if (!match.hasMatch()) return fail();
        request.options.resizeEnabled = true;
        request.options.targetWidth = match.captured(1).toInt();
        request.options.targetHeight = match.captured(2).toInt();
    }
    return request;
}

std::optional<QImage> load(const QString& path) {
    try {
        return TaviImageCodecEngine().loadCGImage(path);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return std::nullopt;
    }
}

int runExport(const QStringList& args) {
    int exit = 0;
    const auto request = parse(args, true, exit);
    if (!request) return exit;
    const auto image = load(request->input);
    if (!image) return 1;
    try {
        ImageExportService().exportImage(*image, request->options, request->output);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    const QSize size = request->options.resizeEnabled ? QSize(std::max(request->options.targetWidth, 1),
                                                              std::max(request->options.targetHeight, 1))
                                                      : image->size();
    cliOut(QStringLiteral("%1 x %2 %3 -> %4")
               .arg(size.width())
               .arg(size.height())
               .arg(displayName(request->options.format), request->output));
    return 0;
}

int runEstimate(const QStringList& args) {
    int exit = 0;
    const auto request = parse(args, false, exit);
    if (!request) return exit;
    const auto image = load(request->input);
    if (!image) return 1;
    const auto bytes = ImageExportService().estimateEncodedByteSize(*image, request->options);
    if (!bytes) {
        cliErr(QStringLiteral("%1: can't be encoded as %2")
                   .arg(request->input, displayName(request->options.format)));
        return 1;
    }
    cliOut(QString::number(*bytes));
    return 0;
}

const CliRegistration exportCommand{
    {QStringLiteral("export"), kExportUsage,
     QStringLiteral(
         "Export the upright image, optionally resized to exactly W x H; Q is 0.1...1 for jpeg, heic, avif."),
     runExport, false}};
const CliRegistration estimateCommand{{QStringLiteral("estimate"), kEstimateUsage,
                                       QStringLiteral("The exact byte count the same export would write."),
                                       runEstimate, false}};

} // namespace
