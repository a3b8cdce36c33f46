// export and estimate: one image through the export service, written or only measured.
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

// Nothing (after printing the usage) when the arguments don't parse.
std::optional<Request> parse(const QStringList& args, bool wantsOutput) {
    Request request;
    bool hasFormat = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == u"-o" && hasValue && wantsOutput) {
            request.output = args[++i];
        } else if (arg == u"--format" && hasValue) {
            const auto format = fromRawValue<ImageExportFormat>(args[++i].toLower());
            if (!format) return std::nullopt;
            request.options.format = *format;
            hasFormat = true;
        } else if (arg == u"--quality" && hasValue) {
            bool ok = false;
            request.options.quality = args[++i].toDouble(&ok);
            if (!ok) return std::nullopt;
        } else if (arg == u"--size" && hasValue) {
            static const QRegularExpression pattern(QStringLiteral("^(-?\\d{1,9})[xX](-?\\d{1,9})$"));
            const auto match = pattern.match(args[++i]);
            if (!match.hasMatch()) return std::nullopt;
            request.options.resizeEnabled = true;
            request.options.targetWidth = match.captured(1).toInt();
            request.options.targetHeight = match.captured(2).toInt();
        } else if (!arg.startsWith(u'-') && request.input.isEmpty()) {
            request.input = arg;
        } else {
            return std::nullopt;
        }
    }
    if (request.input.isEmpty() || !hasFormat || (wantsOutput && request.output.isEmpty()))
        return std::nullopt;
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
    const auto request = parse(args, true);
    if (!request) return cliUsage(kExportUsage);
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
    const auto request = parse(args, false);
    if (!request) return cliUsage(kEstimateUsage);
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
