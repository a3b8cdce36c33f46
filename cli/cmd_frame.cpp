// frame: the studio effects from the shell — a text watermark and the screenshot social frame.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliRecipe.h"
#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/StudioEffectsService.h"
#include "core/model/EditAdjustments.h"
#include "imagecodec/TaviImageCodecEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString usage = QStringLiteral(
    "frame FILE -o OUT [--recipe R.json] [--no-frame] [--wallpaper W] [--aspect A] [--padding F] "
    "[--radius R] [--shadow S] [--window-bar] [--watermark TEXT] [--position P] [--opacity O] "
    "[--font-size PT] [--color #RRGGBB]");


std::optional<TaviImageOutputFormat> formatForPath(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const auto format : allCases<TaviImageOutputFormat>())
        if (fileExtension(format) == extension) return format;
    if (extension == u"jpg") return TaviImageOutputFormat::jpeg;
    if (extension == u"tif") return TaviImageOutputFormat::tiff;
    return std::nullopt;
}

template <typename E>
bool parseEnum(const QString& option, const QString& value, E& out) {
    if (const auto parsed = fromRawValue<E>(value)) {
        out = *parsed;
        return true;
    }
    QStringList names;
    for (const auto c : allCases<E>()) names << rawValue(c);
    cliErr(QStringLiteral("%1: unknown value \"%2\" (one of %3)").arg(option, value, names.join(u", ")));
    return false;
}

bool parseNumber(const QString& option, const QString& value, double& out) {
    bool ok = false;
    const double parsed = value.toDouble(&ok);
    if (!ok || !std::isfinite(parsed)) {
        cliErr(QStringLiteral("%1: \"%2\" is not a number").arg(option, value));
        return false;
    }
    out = parsed;
    return true;
}

int runFrame(const QStringList& args) {
    CliArguments cli(usage, {
        {"o", "The file to write; its extension names the format.", "OUT"},
        {"recipe", "Take the frame and watermark from this recipe.", "R.json"},
        {"no-frame", "No frame, only the watermark."},
        {"wallpaper", "The frame's wallpaper.", "W"},
        {"aspect", "The frame's aspect ratio.", "A"},
        {"padding", "Padding, a fraction of the longer side.", "F"},
        {"radius", "Corner radius.", "R"},
        {"shadow", "Shadow intensity.", "S"},
        {"window-bar", "Draw a window bar above the photo."},
        {"watermark", "Watermark text.", "TEXT"},
        {"position", "Watermark position.", "P"},
        {"opacity", "Watermark opacity.", "O"},
        {"font-size", "Watermark font size.", "PT"},
        {"color", "Watermark colour.", "#RRGGBB"},
    });
    if (const auto exit = cli.parse(args)) return *exit;
    const QString output = cli.value(QStringLiteral("o"));
    const QString recipePath = cli.value(QStringLiteral("recipe"));
    if (cli.positional().size() != 1 || output.isEmpty()) return cli.usageError();
    const QString input = cli.positional().front();

    // Without a recipe the command frames; with one it applies exactly what the recipe holds,
    // and options change (and switch on) the effect they belong to.
    BeautifySettings frame;
    WatermarkSettings watermark;
    frame.enabled = true;
    if (!recipePath.isEmpty()) {
        const auto recipe = cliReadRecipe(recipePath);
        if (!recipe) return 1;
        frame = recipe->beautify;
        watermark = recipe->watermark;
    }
    for (const auto& [name, value] : cli.inOrder()) {
        if (name == u"o" || name == u"recipe") continue;
        const QString option = QStringLiteral("--") + name;
        bool ok = true;
        if (option == u"--no-frame") {
            frame.enabled = false;
            continue;
        }
        if (option == u"--window-bar") {
            frame.showWindowBar = frame.enabled = true;
        } else if (option == u"--wallpaper") {
            ok = parseEnum(option, value, frame.wallpaper), frame.enabled = true;
        } else if (option == u"--aspect") {
            ok = parseEnum(option, value, frame.aspectRatio), frame.enabled = true;
        } else if (option == u"--padding") {
            ok = parseNumber(option, value, frame.padding), frame.enabled = true;
        } else if (option == u"--radius") {
            ok = parseNumber(option, value, frame.cornerRadius), frame.enabled = true;
        } else if (option == u"--shadow") {
            ok = parseNumber(option, value, frame.shadowIntensity), frame.enabled = true;
        } else if (option == u"--watermark") {
            watermark.text = value, watermark.enabled = true;
        } else if (option == u"--position") {
            ok = parseEnum(option, value, watermark.position), watermark.enabled = true;
        } else if (option == u"--opacity") {
            ok = parseNumber(option, value, watermark.opacity), watermark.enabled = true;
        } else if (option == u"--font-size") {
            ok = parseNumber(option, value, watermark.fontSize), watermark.enabled = true;
        } else if (option == u"--color") {
            static const QRegularExpression hex(QStringLiteral("^#?([0-9a-fA-F]{6})$"));
            const auto match = hex.match(value);
            if (match.hasMatch()) {
                const uint rgb = match.captured(1).toUInt(nullptr, 16);
                watermark.color = {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, 1};
                watermark.enabled = true;
            } else {
                cliErr(QStringLiteral("--color: \"%1\" is not a colour like #FF8800").arg(value));
                ok = false;
            }
        }
        if (!ok) return 2;
    }

    const auto format = formatForPath(output);
    if (!format) {
        cliErr(QStringLiteral("%1: unknown output format (use .png, .jpg, .heic, .tiff or .pdf)").arg(output));
        return 2;
    }
    const auto image = FolderBrowserService().loadOrientedCGImage(input);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(input));
        return 1;
    }

    // A frame or watermark that can't be drawn fails the command: the bare photo is not the result.
    const StudioEffectsService effects;
    const auto watermarked = effects.tryApplyWatermark(watermark, *image);
    const auto framed = watermarked ? effects.tryApplyBeautifyFrame(frame, *watermarked) : std::nullopt;
    if (!framed) {
        cliErr(QStringLiteral("%1: the %2 could not be drawn (too large for the photo, or not enough memory)")
                   .arg(input, watermarked ? QStringLiteral("frame") : QStringLiteral("watermark")));
        return 1;
    }
    const QImage& result = *framed;
    try {
        TaviImageCodecEngine().write(result, output, TaviImageEncodeOptions(*format));
    } catch (const TaviError& error) {
        cliErr(QStringLiteral("%1: %2").arg(output, error.description()));
        return 1;
    }
    cliOut(QStringLiteral("%1 x %2 -> %3").arg(result.width()).arg(result.height()).arg(output));
    return 0;
}

const CliRegistration frameCommand{{QStringLiteral("frame"), usage,
                                    QStringLiteral("Stamp a text watermark and put the photo in the screenshot "
                                                   "frame (the recipe's, or the options')."),
                                    runFrame}};
} // namespace
