// list, info and thumb: folder browsing, document information and bounded upright decoding.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/ImageLimits.h"
#include "core/files/FolderBrowserService.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

int runList(const QStringList& args) {
    CliArguments cli(QStringLiteral("list PATH"));
    if (const auto exit = cli.parse(args, 1)) return *exit;
    FolderBrowserService browser;
    const auto list = browser.siblingImages(cli.positional().front());
    for (int i = 0; i < list.images.size(); ++i)
        cliOut((i == list.selectedIndex ? QStringLiteral("* ") : QStringLiteral("  ")) + list.images[i]);
    cliOut(QStringLiteral("selectedIndex: %1").arg(list.selectedIndex));
    if (list.images.isEmpty()) {
        cliErr(QStringLiteral("No supported images found."));
        return 1;
    }
    return 0;
}

QJsonObject toJson(const ImageDocumentInfo& info) {
    QJsonObject o;
    o["url"] = info.url;
    o["fileName"] = info.fileName;
    o["fileExtension"] = info.fileExtension;
    o["fileSizeBytes"] = static_cast<qint64>(info.fileSizeBytes);
    o["pixelWidth"] = info.pixelWidth;
    o["pixelHeight"] = info.pixelHeight;
    o["colorModel"] = info.colorModel ? QJsonValue(*info.colorModel) : QJsonValue();
    o["colorProfile"] = info.colorProfile ? QJsonValue(*info.colorProfile) : QJsonValue();
    o["dpi"] = info.dpi ? QJsonValue(*info.dpi) : QJsonValue();
    o["hasAlpha"] = info.hasAlpha;
    o["frameCount"] = info.frameCount;
    o["modifiedAt"] = info.modifiedAt ? QJsonValue(info.modifiedAt->toUTC().toString(Qt::ISODate)) : QJsonValue();
    o["dimensionsText"] = info.dimensionsText();
    o["megapixelsText"] = info.megapixelsText();
    o["formattedFileSize"] = info.formattedFileSize();
    o["isAnimated"] = info.isAnimated();
    return o;
}

int runInfo(const QStringList& args) {
    CliArguments cli(QStringLiteral("info FILE [--json]"), {
        {"json", "Print JSON."},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    const bool json = cli.isSet(QStringLiteral("json"));
    FolderBrowserService browser;
    const auto info = browser.readDocumentInfo(file);
    if (!info) {
        cliErr(QStringLiteral("%1: not a readable image").arg(file));
        return 1;
    }
    if (json) {
        cliOut(QString::fromUtf8(QJsonDocument(toJson(*info)).toJson(QJsonDocument::Indented)).trimmed());
        return 0;
    }
    cliOut(QStringLiteral("File:        %1").arg(info->fileName));
    cliOut(QStringLiteral("Format:      %1").arg(info->fileExtension));
    cliOut(QStringLiteral("Dimensions:  %1 (%2)").arg(info->dimensionsText(), info->megapixelsText()));
    cliOut(QStringLiteral("Size:        %1").arg(info->formattedFileSize()));
    cliOut(QStringLiteral("Colour:      %1%2").arg(info->colorModel.value_or(QStringLiteral("-")),
                                                   info->colorProfile ? QStringLiteral(" (%1)").arg(*info->colorProfile) : QString()));
    cliOut(QStringLiteral("DPI:         %1").arg(info->dpi ? QString::number(*info->dpi) : QStringLiteral("-")));
    cliOut(QStringLiteral("Alpha:       %1").arg(info->hasAlpha ? "yes" : "no"));
    cliOut(QStringLiteral("Frames:      %1%2").arg(info->frameCount).arg(info->isAnimated() ? " (animated)" : ""));
    if (info->modifiedAt) cliOut(QStringLiteral("Modified:    %1").arg(info->modifiedAt->toString(Qt::ISODate)));
    // The header is described either way; say so when its pixels will never be decoded.
    if (const QString refusal = decodeSizeRefusal(info->pixelWidth, info->pixelHeight); !refusal.isEmpty())
        cliErr(QStringLiteral("%1: %2").arg(file, refusal));
    return 0;
}

int runThumb(const QStringList& args) {
    CliArguments cli(QStringLiteral("thumb FILE [--max N] -o OUT.png"), {
        {"o", "The PNG to write.", "OUT.png"},
        {"max", "The longest side at most.", "N"},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front(), out = cli.value(QStringLiteral("o"));
    int side = 0;
    if (out.isEmpty() || !cli.integer(QStringLiteral("max"), side, 1)) return cli.usageError();
    const std::optional<int> max = side > 0 ? std::optional<int>(side) : std::nullopt;
    FolderBrowserService browser;
    QString failure;
    const auto image = browser.loadOrientedCGImage(file, max, &failure);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image%2").arg(file, failure.isEmpty() ? QString() : QStringLiteral(": ") + failure));
        return 1;
    }
    if (!image->save(out)) {
        cliErr(QStringLiteral("%1: could not write").arg(out));
        return 1;
    }
    cliOut(QStringLiteral("%1 x %2 -> %3").arg(image->width()).arg(image->height()).arg(out));
    return 0;
}

const CliRegistration list{{QStringLiteral("list"), QStringLiteral("list PATH"),
                            QStringLiteral("The supported images beside PATH in their order; * marks the selected one."), runList, false}};
const CliRegistration info{{QStringLiteral("info"), QStringLiteral("info FILE [--json]"),
                            QStringLiteral("The file's document information and its texts."), runInfo, false}};
const CliRegistration thumb{{QStringLiteral("thumb"), QStringLiteral("thumb FILE [--max N] -o OUT.png"),
                             QStringLiteral("Decode upright, the longer side at most N pixels (full size without --max)."), runThumb, false}};
} // namespace
