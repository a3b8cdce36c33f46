// render: one image through the recipe render, written in the format its extension names.
#include "cli/CliArguments.h"
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

// Nothing when the arguments don't make a request; `exit` is then the command's exit code.
std::optional<Request> parse(const QStringList& args, int& exit) {
    Request request;
    const std::map<QString, double EditAdjustments::*> numbers{
        {QStringLiteral("exposure"), &EditAdjustments::exposure},
        {QStringLiteral("brightness"), &EditAdjustments::brightness},
        {QStringLiteral("contrast"), &EditAdjustments::contrast},
        {QStringLiteral("saturation"), &EditAdjustments::saturation},
        {QStringLiteral("vibrance"), &EditAdjustments::vibrance},
        {QStringLiteral("warmth"), &EditAdjustments::warmth},
        {QStringLiteral("tint"), &EditAdjustments::tint},
        {QStringLiteral("highlights"), &EditAdjustments::highlights},
        {QStringLiteral("shadows"), &EditAdjustments::shadows},
        {QStringLiteral("clarity"), &EditAdjustments::clarity},
        {QStringLiteral("sharpness"), &EditAdjustments::sharpness},
        {QStringLiteral("vignette"), &EditAdjustments::vignette},
        {QStringLiteral("grain"), &EditAdjustments::grain},
        {QStringLiteral("straighten"), &EditAdjustments::straightenDegrees},
    };
    CliArguments cli(kUsage, {
        {"o", "The file to write; its extension names the format.", "OUT"},
        {"recipe", "An edit recipe (JSON) to start from.", "R.json"},
        {"quarter-turns", "Quarter turns clockwise.", "N"},
        {"flip-horizontal", "Mirror left to right."},
        {"flip-vertical", "Mirror top to bottom."},
        {"crop", "The crop, normalised to the photo.", "X,Y,W,H"},
        {"look", "A look by name (vivid, noirBW, ...).", "NAME"},
        {"auto", "Switch on the automatic enhancement."},
        {"no-crop", "Leave the crop out."},
        {"max-size", "Render a copy reduced to this longest side.", "PIXELS"},
        {"quality", "Encoder quality, 0 to 1.", "Q"},
        {"time", "Print how long the render took."},
    });
    for (const auto& [name, field] : numbers)
        cli.option({name}, QStringLiteral("Set the recipe's %1.").arg(name),
                   field == &EditAdjustments::straightenDegrees ? QStringLiteral("DEGREES") : QStringLiteral("X"));
    if (const auto code = cli.parse(args)) {
        exit = *code;
        return std::nullopt;
    }
    exit = 2;
    const QStringList positional = cli.positional();
    if (positional.size() != 1) {
        cli.usageError();
        return std::nullopt;
    }
    request.input = positional[0];
    for (const auto& [option, value] : cli.inOrder()) {
        bool ok = true;
        if (auto number = numbers.find(option); number != numbers.end()) {
            const double parsed = value.toDouble(&ok);
            const auto field = number->second;
            request.edits.push_back([field, parsed](EditAdjustments& a) {
                a.*field = parsed;
                return true;
            });
        } else if (option == u"o") {
            request.output = value;
        } else if (option == u"recipe") {
            request.recipePath = value;
        } else if (option == u"quarter-turns") {
            const qint64 turns = value.toLongLong(&ok);
            request.edits.push_back([turns](EditAdjustments& a) { a.quarterTurns = turns; return true; });
        } else if (option == u"flip-horizontal") {
            request.edits.push_back([](EditAdjustments& a) { return a.flipHorizontal = true; });
        } else if (option == u"flip-vertical") {
            request.edits.push_back([](EditAdjustments& a) { return a.flipVertical = true; });
        } else if (option == u"auto") {
            request.edits.push_back([](EditAdjustments& a) { return a.autoEnhanced = true; });
        } else if (option == u"crop") {
            const QStringList parts = value.split(u',');
            ok = parts.size() == 4;
            double v[4] = {};
            for (int k = 0; k < 4 && ok; ++k) v[k] = parts[k].toDouble(&ok);
            const auto rect = NormalizedCropRect::unclamped(v[0], v[1], v[2], v[3]);
            request.edits.push_back([rect](EditAdjustments& a) { a.cropRect = rect; return true; });
        } else if (option == u"look") {
            const auto look = fromRawValue<PhotoFilterPreset>(value);
            if (!look) {
                cliErr(QStringLiteral("unknown look: %1").arg(value));
                cli.usageError();
                return std::nullopt;
            }
            request.edits.push_back([look](EditAdjustments& a) { a.filterPreset = *look; return true; });
        } else if (option == u"no-crop") {
            request.includeCrop = false;
        } else if (option == u"time") {
            request.time = true;
        } else if (option == u"max-size") {
            request.maxSize = value.toInt(&ok);
            ok = ok && *request.maxSize > 0;
        } else if (option == u"quality") {
            request.quality = value.toDouble(&ok);
        }
        if (!ok) {
            cli.usageError();
            return std::nullopt;
        }
    }
    if (request.output.isEmpty()) {
        cli.usageError();
        return std::nullopt;
    }
    return request;
}

std::optional<ImageExportFormat> formatFor(const QString& path) {
    const QString extension = pathExtension(path).toLower();
    if (extension == u"jpg") return ImageExportFormat::jpeg;
    if (extension == u"tif") return ImageExportFormat::tiff;
    return fromRawValue<ImageExportFormat>(extension);
}

int runRender(const QStringList& args) {
    int exit = 0;
    const auto request = parse(args, exit);
    if (!request) return exit;
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
    auto result = ImageRenderEngine().tryRender(std::move(source), adjustments, request->includeCrop, scale);
    const qint64 elapsed = timer.elapsed();
    // The unedited photo must not be written as if it were the edit.
    if (!result || result->isNull()) {
        cliErr(QStringLiteral("%1: the edit could not be rendered (not enough memory, or an image or crop of "
                              "no usable size)")
                   .arg(request->input));
        return 1;
    }
    const QImage rendered = std::move(*result);
    result.reset();
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
