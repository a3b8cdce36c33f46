// scan: the barcodes and QR codes of an image.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/TaviError.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/RetouchAndBarcodeService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kUsage = QStringLiteral("scan FILE [--json]");

int runScan(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"json", "Print JSON."},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    const bool json = cli.isSet(QStringLiteral("json"));
    const auto image = FolderBrowserService().loadOrientedCGImage(file);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(file));
        return 1;
    }
    QList<DetectedBarcode> barcodes;
    try {
        barcodes = RetouchAndBarcodeService().detectBarcodes(*image);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    if (json) {
        QJsonArray list;
        for (const auto& barcode : barcodes) {
            QJsonObject o;
            o["id"] = barcode.id;
            o["symbology"] = barcode.symbology;
            o["payload"] = barcode.payload;
            const auto url = barcode.url();
            o["url"] = url ? QJsonValue(url->toString()) : QJsonValue();
            list.append(o);
        }
        cliOut(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented)).trimmed());
    } else {
        for (const auto& barcode : barcodes) cliOut(barcode.symbology + u'\t' + barcode.payload);
    }
    if (barcodes.isEmpty()) {
        cliErr(QStringLiteral("No QR code or barcode detected."));
        return 1;
    }
    return 0;
}

const CliRegistration scan{{QStringLiteral("scan"), kUsage,
                            QStringLiteral("Read the QR codes and barcodes of an image: symbology, tab, payload."),
                            runScan}};
} // namespace
