// cutout: the background studio from the command line: cut out the subject, fill the background.
#include "cli/BackgroundCliSupport.h"
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/VisionAIService.h"

#include <QColor>

namespace {

const QString kUsage = QStringLiteral(
    "cutout FILE [--engine autoAI|portraitAI|colorKeyMagic] [--fill STYLE] [--feather PX] [--blur PX] "
    "[--key-color #RRGGBB] [--tolerance 0..1] [--non-contiguous] [--color #RRGGBB] [--mask] -o OUT.png");

std::optional<RGBAColor> colorArgument(const QString& text) {
    const QColor color = QColor::fromString(text);
    if (!color.isValid()) return std::nullopt;
    return RGBAColor{color.redF(), color.greenF(), color.blueF(), 1};
}

int runCutout(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"o", "The PNG to write.", "OUT.png"},
        {"engine", "How the subject is found.", "ENGINE"},
        {"fill", "What replaces the background.", "STYLE"},
        {"feather", "Edge feather in pixels.", "PX"},
        {"blur", "Background blur radius in pixels.", "PX"},
        {"key-color", "The colour the colour key removes.", "#RRGGBB"},
        {"tolerance", "Colour key tolerance, 0 to 1.", "T"},
        {"non-contiguous", "Key out the colour everywhere, not only where it touches the border."},
        {"color", "The custom fill colour.", "#RRGGBB"},
        {"mask", "Write the subject mask instead."},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString input = cli.positional().front();
    BackgroundStudioSettings settings;
    QString output;
    bool maskOnly = false;
    for (const auto& [option, value] : cli.inOrder()) {
        // A lambda may not name a structured binding before C++20's rule reached every compiler
        // (clang 14 refuses it), so it reads the value through a reference of its own.
        const QString& text = value;
        auto number = [&](double& target, double lowest) {
            bool ok = false;
            const double parsed = text.toDouble(&ok);
            if (!ok || parsed < lowest) return false;
            target = parsed;
            return true;
        };
        if (option == u"non-contiguous") {
            settings.colorKeyContiguous = false;
        } else if (option == u"mask") {
            maskOnly = true;
        } else if (option == u"o") {
            output = value;
        } else if (option == u"engine") {
            const auto engine = fromRawValue<BackgroundCutoutEngine>(value);
            if (!engine) return cli.usageError();
            settings.engine = *engine;
        } else if (option == u"fill") {
            const auto fill = fromRawValue<BackgroundFillStyle>(value);
            if (!fill) {
                QStringList names;
                for (auto style : allCases<BackgroundFillStyle>()) names << rawValue(style);
                cliErr(QStringLiteral("fill styles: %1").arg(names.join(QStringLiteral(", "))));
                return 2;
            }
            settings.fillStyle = *fill;
        } else if (option == u"feather") {
            if (!number(settings.edgeFeather, 0)) return cli.usageError();
        } else if (option == u"blur") {
            if (!number(settings.blurRadius, 0)) return cli.usageError();
        } else if (option == u"tolerance") {
            if (!number(settings.colorKeyTolerance, 0) || settings.colorKeyTolerance > 1)
                return cli.usageError();
        } else if (option == u"key-color" || option == u"color") {
            const auto color = colorArgument(value);
            if (!color) return cli.usageError();
            (option == u"color" ? settings.customFillColor : settings.colorKeyTarget) = *color;
        }
    }
    if (output.isEmpty()) return cliUsage(kUsage);
    const auto image = FolderBrowserService().loadOrientedCGImage(input);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(input));
        return 1;
    }
    QImage result;
    try {
        const VisionAIService service;
        const QImage mask = service.generateSubjectMask(*image, settings);
        result = maskOnly ? mask : service.compositeWithBackground(*image, mask, settings);
    } catch (const TaviError& error) {
        cliErr(QStringLiteral("%1: %2").arg(input, error.description()));
        return 1;
    }
    if (!writePngAtomically(result, output)) return 1;
    cliOut(QStringLiteral("%1 (%2 × %3)").arg(output).arg(result.width()).arg(result.height()));
    return 0;
}

const CliRegistration cutout{{QStringLiteral("cutout"), kUsage,
                              QStringLiteral("Cuts out the subject (automatic, person or colour key) and fills the "
                                             "background; --mask writes the mask instead."),
                              runCutout, false}};
} // namespace
