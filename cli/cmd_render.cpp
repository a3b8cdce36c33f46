// render: one image through the recipe render, written in the format its extension names.
#include "cli/CliCommand.h"
#include "cli/CliRecipe.h"
#include "core/common/Paths.h"
#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/ImageExportService.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/model/EditAdjustments.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>

namespace {

const QString kUsage = QStringLiteral(
    "render FILE -o OUT [--recipe R.json] [--exposure X] [--brightness X] [--contrast X] [--saturation X] "
    "[--vibrance X] [--warmth X] [--tint X] [--highlights X] [--shadows X] [--clarity X] [--sharpness X] "
    "[--vignette X] [--grain X] [--quarter-turns N] [--straighten DEGREES] [--flip-horizontal] [--flip-vertical] "
    "[--crop X,Y,W,H] [--look NAME] [--auto] [--no-crop] [--max-size PIXELS] [--quality Q] [--time]");


struct Request {
    QString input, output;
    std::optional<QString> recipePath;
    bool includeCrop = true;
    bool time = false;
    std::optional<int> maxSize;
    double quality = 0.92;
    std::vector<std::function<bool(EditAdjustments&)>> edits; // applied over the recipe, in order
};

std::optional<Request> parse(const QStringList& args) {
    Request request;
    const std::map<QString, double EditAdjustments::*> numbers{
        {QStringLiteral("--exposure"), &EditAdjustments::exposure},
        {QStringLiteral("--brightness"), &EditAdjustments::brightness},
        {QStringLiteral("--contrast"), &EditAdjustments::contrast},
        {QStringLiteral("--saturation"), &EditAdjustments::saturation},
        {QStringLiteral("--vibrance"), &EditAdjustments::vibrance},
        {QStringLiteral("--warmth"), &EditAdjustments::warmth},
        {QStringLiteral("--tint"), &EditAdjustments::tint},
        {QStringLiteral("--highlights"), &EditAdjustments::highlights},
        {QStringLiteral("--shadows"), &EditAdjustments::shadows},
        {QStringLiteral("--clarity"), &EditAdjustments::clarity},
        {QStringLiteral("--sharpness"), &EditAdjustments::sharpness},
        {QStringLiteral("--vignette"), &EditAdjustments::vignette},
        {QStringLiteral("--grain"), &EditAdjustments::grain},
        {QStringLiteral("--straighten"), &EditAdjustments::straightenDegrees},
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (auto number = numbers.find(arg); number != numbers.end() && hasValue) {
            const double value = args[++i].toDouble(&ok);
            const auto field = number->second;
            request.edits.push_back([field, value](EditAdjustments& a) { a.*field = value; return true; });
        } else if (arg == u"-o" && hasValue) {
            request.output = args[++i];
        } else if (arg == u"--recipe" && hasValue) {
            request.recipePath = args[++i];
        } else if (arg == u"--quarter-turns" && hasValue) {
            const qint64 turns = args[++i].toLongLong(&ok);
            request.edits.push_back([turns](EditAdjustments& a) { a.quarterTurns = turns; return true; });
        } else if (arg == u"--flip-horizontal") {
            request.edits.push_back([](EditAdjustments& a) { return a.flipHorizontal = true; });
        } else if (arg == u"--flip-vertical") {
            request.edits.push_back([](EditAdjustments& a) { return a.flipVertical = true; });
        } else if (arg == u"--auto") {
            request.edits.push_back([](EditAdjustments& a) { return a.autoEnhanced = true; });
        } else if (arg == u"--crop" && hasValue) {
            const QStringList parts = args[++i].split(u',');
            if (parts.size() != 4) return std::nullopt;
            double v[4];
            for (int k = 0; k < 4 && ok; ++k) v[k] = parts[k].toDouble(&ok);
            const auto rect = NormalizedCropRect::unclamped(v[0], v[1], v[2], v[3]);
            request.edits.push_back([rect](EditAdjustments& a) { a.cropRect = rect; return true; });
        } else if (arg == u"--look" && hasValue) {
            const auto look = fromRawValue<PhotoFilterPreset>(args[++i]);
            if (!look) {
                cliErr(QStringLiteral("unknown look: %1").arg(args[i]));
                return std::nullopt;
            }
            request.edits.push_back([look](EditAdjustments& a) { a.filterPreset = *look; return true; });
        } else if (arg == u"--no-crop") {
            request.includeCrop = false;
        } else if (arg == u"--time") {
            request.time = true;
        } else if (arg == u"--max-size" && hasValue) {
            request.maxSize = args[++i].toInt(&ok);
            ok = ok && *request.maxSize > 0;
        } else if (arg == u"--quality" && hasValue) {
            request.quality = args[++i].toDouble(&ok);
        } else if (!arg.startsWith(u'-') && request.input.isEmpty()) {
            request.input = arg;
        } else {
            return std::nullopt;
        }
        if (!ok) return std::nullopt;
    }
    if (request.input.isEmpty() || request.output.isEmpty()) return std::nullopt;
    return request;
}

std::optional<ImageExportFormat> formatFor(const QString& path) {
    const QString extension = pathExtension(path).toLower();
    if (extension == u"jpg") return ImageExportFormat::jpeg;
    if (extension == u"tif") return ImageExportFormat::tiff;
    return fromRawValue<ImageExportFormat>(extension);
}

int runRender(const QStringList& args) {
    const auto request = parse(args);
    if (!request) return cliUsage(kUsage);
    const auto format = formatFor(request->output);
    if (!format) {
        cliErr(QStringLiteral("%1: unknown output format (use .png, .jpg, .heic, .avif, .tiff or .pdf)")
                   .arg(request->output));
        return 2;
    }
    EditAdjustments adjustments;
    if (request->recipePath) {
        const auto recipe = cliReadRecipe(*request->recipePath);
        if (!recipe) return 1;
        adjustments = *recipe;
    }
    for (const auto& edit : request->edits) edit(adjustments);

    FolderBrowserService browser;
    auto full = browser.loadOrientedCGImage(request->input);
    if (!full) {
        cliErr(QStringLiteral("%1: not a readable image").arg(request->input));
        return 1;
    }
    // A bounded render stands for the full image: its radii shrink with it, as in the preview.
    QImage source = std::move(*full);
    full.reset();
    double scale = 1.0;
    if (request->maxSize && std::max(source.width(), source.height()) > *request->maxSize) {
        const int fullWidth = source.width();
        source = source.scaled(*request->maxSize, *request->maxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scale = double(source.width()) / fullWidth;
    }
    QElapsedTimer timer;
    timer.start();
    // The decoded photo is not needed afterwards: the render may write over it.
    const QImage rendered = ImageRenderEngine().render(std::move(source), adjustments, request->includeCrop, scale);
    const qint64 elapsed = timer.elapsed();
    if (rendered.isNull()) {
        cliErr(QStringLiteral("%1: not enough memory to render").arg(request->input));
        return 1;
    }
    ImageExportOptions options;
    options.format = *format;
    options.quality = request->quality;
    try {
        ImageExportService().exportImage(rendered, options, request->output);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    cliOut(QStringLiteral("%1 x %2 -> %3").arg(rendered.width()).arg(rendered.height()).arg(request->output));
    if (request->time) cliOut(QStringLiteral("render: %1 ms").arg(elapsed));
    return 0;
}

const CliRegistration renderCommand{
    {QStringLiteral("render"), kUsage,
     QStringLiteral("Render an edit recipe (from a file and/or flags) onto an image and write the result; "
                    "--max-size renders a reduced copy as the preview does, --no-crop leaves the crop out."),
     runRender, false}};

} // namespace
