// exif: the privacy-relevant metadata report of one image.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/files/ImageMetadataService.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue optionalText(const std::optional<QString>& v) {
    return v ? QJsonValue(*v) : QJsonValue();
}
QJsonValue optionalNumber(const std::optional<double>& v) {
    return v ? QJsonValue(*v) : QJsonValue();
}

QJsonObject toJson(const ExifMetadataReport& report) {
    QJsonObject o;
    o["cameraMake"] = optionalText(report.cameraMake);
    o["cameraModel"] = optionalText(report.cameraModel);
    o["lensModel"] = optionalText(report.lensModel);
    o["captureDate"] = optionalText(report.captureDate);
    o["focalLength"] = optionalText(report.focalLength);
    o["aperture"] = optionalText(report.aperture);
    o["shutterSpeed"] = optionalText(report.shutterSpeed);
    o["iso"] = optionalText(report.iso);
    o["latitude"] = optionalNumber(report.latitude);
    o["longitude"] = optionalNumber(report.longitude);
    o["sensitiveTagCount"] = report.sensitiveTagCount;
    o["hasGPS"] = report.hasGPS();
    o["gpsFormatted"] = optionalText(report.gpsFormatted());
    QJsonArray entries;
    for (const auto& entry : report.entries)
        entries.append(QJsonObject{
            {"id", entry.id}, {"group", entry.group}, {"label", entry.label}, {"value", entry.value}});
    o["entries"] = entries;
    return o;
}

int runExif(const QStringList& args) {
    const QString usage = QStringLiteral("exif FILE [--json]");
    CliArguments cli(usage, {
        {"json", "Print JSON."},
    });
    if (const auto exit = cli.parse(args, 1)) return *exit;
    const QString file = cli.positional().front();
    const bool json = cli.isSet(QStringLiteral("json"));
    if (!QFileInfo(file).isFile()) {
        cliErr(QStringLiteral("%1: no such file").arg(file));
        return 1;
    }
    const ExifMetadataReport report = ImageMetadataService().inspect(file);
    if (json) {
        cliOut(QString::fromUtf8(QJsonDocument(toJson(report)).toJson(QJsonDocument::Indented)).trimmed());
        return 0;
    }
    if (report.entries.empty()) {
        cliOut(QStringLiteral("No sensitive EXIF or GPS metadata found."));
        return 0;
    }
    int width = 0;
    for (const auto& entry : report.entries)
        width = std::max(width, int(entry.id.size()));
    for (const auto& entry : report.entries)
        cliOut(QStringLiteral("%1  %2").arg(entry.id, -width).arg(entry.value));
    cliOut(QStringLiteral("Sensitive tags: %1").arg(report.sensitiveTagCount));
    return 0;
}

const CliRegistration exif{{QStringLiteral("exif"), QStringLiteral("exif FILE [--json]"),
                            QStringLiteral("The camera, exposure, GPS and author metadata of FILE."),
                            runExif}};
} // namespace
