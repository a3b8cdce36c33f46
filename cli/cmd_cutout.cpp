// cutout: the background studio from the command line: cut out the subject, fill the background.
#include "cli/BackgroundCliSupport.h"
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
    if (args.isEmpty()) return cliUsage(kUsage);
    BackgroundStudioSettings settings;
    QString output;
    bool maskOnly = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto number = [&](double& target, double lowest) {
            bool ok = false;
            const double value = args[++i].toDouble(&ok);
            if (!ok || value < lowest) return false;
            target = value;
            return true;
        };
        if (arg == u"--non-contiguous") {
            settings.colorKeyContiguous = false;
        } else if (arg == u"--mask") {
            maskOnly = true;
        } else if (!hasValue) {
            return cliUsage(kUsage);
        } else if (arg == u"-o") {
            output = args[++i];
        } else if (arg == u"--engine") {
            const auto engine = fromRawValue<BackgroundCutoutEngine>(args[++i]);
            if (!engine) return cliUsage(kUsage);
            settings.engine = *engine;
        } else if (arg == u"--fill") {
            const auto fill = fromRawValue<BackgroundFillStyle>(args[++i]);
            if (!fill) {
                QStringList names;
                for (auto style : allCases<BackgroundFillStyle>()) names << rawValue(style);
                cliErr(QStringLiteral("fill styles: %1").arg(names.join(QStringLiteral(", "))));
                return 2;
            }
            settings.fillStyle = *fill;
        } else if (arg == u"--feather") {
            if (!number(settings.edgeFeather, 0)) return cliUsage(kUsage);
        } else if (arg == u"--blur") {
            if (!number(settings.blurRadius, 0)) return cliUsage(kUsage);
        } else if (arg == u"--tolerance") {
            if (!number(settings.colorKeyTolerance, 0) || settings.colorKeyTolerance > 1) return cliUsage(kUsage);
        } else if (arg == u"--key-color" || arg == u"--color") {
            const auto color = colorArgument(args[++i]);
            if (!color) return cliUsage(kUsage);
            (arg == u"--color" ? settings.customFillColor : settings.colorKeyTarget) = *color;
        } else {
            return cliUsage(kUsage);
        }
    }
    if (output.isEmpty()) return cliUsage(kUsage);
    const auto image = FolderBrowserService().loadOrientedCGImage(args[0]);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(args[0]));
        return 1;
    }
    QImage result;
    try {
        const VisionAIService service;
        const QImage mask = service.generateSubjectMask(*image, settings);
        result = maskOnly ? mask : service.compositeWithBackground(*image, mask, settings);
    } catch (const TaviError& error) {
        cliErr(QStringLiteral("%1: %2").arg(args[0], error.description()));
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
