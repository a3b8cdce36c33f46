#include "core/files/ImageMetadataService.h"

#include "core/common/AtomicFileWriter.h"
#include "core/common/CFormat.h"
#include "core/common/FileSystemError.h"
#include "core/common/Paths.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/MetadataStripError.h"
#include "core/files/imageio/ImageDestination.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "core/files/imageio/RawImageSource.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QVariantList>
#include <cmath>

namespace {

using Entry = ExifMetadataReport::Entry;

std::optional<QString> textValue(const QVariantMap& dict, const QString& key) {
    const QVariant v = dict.value(key);
    if (v.typeId() != QMetaType::QString) return std::nullopt;
    return v.toString();
}

bool isNumberType(int type) {
    switch (type) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

std::optional<double> numberOf(const QVariant& v) {
    if (!isNumberType(v.typeId())) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<double> numberValue(const QVariantMap& dict, const QString& key) {
    return numberOf(dict.value(key));
}

// Blanks and line breaks at either end, which cameras pad their strings with.
QString trimmed(const QString& text) {
    return text.trimmed();
}

QString shutterText(double seconds) {
    if (seconds < 1.0) return cFormat("1/%.0f s", std::round(1.0 / seconds));
    return cFormat("%.1f s", seconds);
}

// The coordinate as signed degrees: the stored value is unsigned and its reference says which side.
double signedCoordinate(double value, const std::optional<QString>& reference, QStringView negative) {
    const double magnitude = std::abs(value);
    return reference && reference->toUpper() == negative ? -magnitude : magnitude;
}

} // namespace

ExifMetadataReport ImageMetadataService::reportFromProperties(const QVariantMap& properties) {
    const QVariantMap tiff = properties.value(ImageProperty::TIFFDictionary).toMap();
    const QVariantMap exif = properties.value(ImageProperty::ExifDictionary).toMap();
    const QVariantMap gps = properties.value(ImageProperty::GPSDictionary).toMap();
    const QVariantMap iptc = properties.value(ImageProperty::IPTCDictionary).toMap();

    ExifMetadataReport report;
    auto addRow = [&report](const QString& group, const QString& label, const QString& value, int counted) {
        report.entries.emplace_back(group, label, value);
        report.sensitiveTagCount += counted;
    };

    if (auto make = textValue(tiff, QStringLiteral("Make"))) {
        report.cameraMake = trimmed(*make);
        if (!report.cameraMake->isEmpty())
            addRow(QStringLiteral("Camera"), QStringLiteral("Make"), *report.cameraMake, 1);
    }
    if (auto model = textValue(tiff, QStringLiteral("Model"))) {
        report.cameraModel = trimmed(*model);
        if (!report.cameraModel->isEmpty())
            addRow(QStringLiteral("Camera"), QStringLiteral("Model"), *report.cameraModel, 1);
    }
    if (auto lens = textValue(exif, QStringLiteral("LensModel"))) {
        report.lensModel = trimmed(*lens);
        if (!report.lensModel->isEmpty())
            addRow(QStringLiteral("Camera"), QStringLiteral("Lens"), *report.lensModel, 1);
    }
    if (auto software = textValue(tiff, QStringLiteral("Software")); software && !software->isEmpty())
        addRow(QStringLiteral("Camera"), QStringLiteral("Software"), *software, 1);

    auto date = textValue(exif, QStringLiteral("DateTimeOriginal"));
    if (!date) date = textValue(tiff, QStringLiteral("DateTime"));
    if (date) {
        report.captureDate = *date;
        if (!date->isEmpty()) addRow(QStringLiteral("EXIF"), QStringLiteral("Captured"), *date, 1);
    }

    if (auto focal = numberValue(exif, QStringLiteral("FocalLength"))) {
        report.focalLength = cFormat("%.0f mm", *focal);
        addRow(QStringLiteral("EXIF"), QStringLiteral("Focal Length"), *report.focalLength, 0);
    }
    if (auto fNumber = numberValue(exif, QStringLiteral("FNumber"))) {
        report.aperture = cFormat("f/%.1f", *fNumber);
        addRow(QStringLiteral("EXIF"), QStringLiteral("Aperture"), *report.aperture, 0);
    }
    if (auto exposure = numberValue(exif, QStringLiteral("ExposureTime")); exposure && *exposure > 0) {
        report.shutterSpeed = shutterText(*exposure);
        addRow(QStringLiteral("EXIF"), QStringLiteral("Shutter"), *report.shutterSpeed, 0);
    }
    if (const QVariant ratings = exif.value(QStringLiteral("ISOSpeedRatings"));
        ratings.typeId() == QMetaType::QVariantList) {
        const QVariantList list = ratings.toList();
        if (!list.isEmpty()) {
            // Integer part, as a camera's ISO is; beyond 64 bits it is nonsense and treated as missing.
            if (auto first = numberOf(list.front()); first && std::abs(*first) < 9.0e18) {
                report.iso = QStringLiteral("ISO %1").arg(static_cast<qlonglong>(*first));
                addRow(QStringLiteral("EXIF"), QStringLiteral("ISO"), *report.iso, 0);
            }
        }
    }

    if (auto lat = numberValue(gps, QStringLiteral("Latitude")))
        report.latitude = signedCoordinate(*lat, textValue(gps, QStringLiteral("LatitudeRef")), u"S");
    if (auto lon = numberValue(gps, QStringLiteral("Longitude")))
        report.longitude = signedCoordinate(*lon, textValue(gps, QStringLiteral("LongitudeRef")), u"W");
    if (auto coordinates = report.gpsFormatted())
        addRow(QStringLiteral("GPS"), QStringLiteral("Coordinates"), *coordinates, 2);
    if (auto altitude = numberValue(gps, QStringLiteral("Altitude")))
        addRow(QStringLiteral("GPS"), QStringLiteral("Altitude"), cFormat("%.1f m", *altitude), 1);

    if (const QVariant bylines = iptc.value(QStringLiteral("Byline"));
        bylines.typeId() == QMetaType::QVariantList) {
        QStringList names;
        bool allText = true;
        for (const QVariant& name : bylines.toList()) {
            if (name.typeId() != QMetaType::QString) {
                allText = false;
                break;
            }
            names.append(name.toString());
        }
        const QString joined = names.join(QStringLiteral(", "));
        if (allText && !joined.isEmpty()) addRow(QStringLiteral("IPTC"), QStringLiteral("Author"), joined, 1);
    }
    if (auto copyright = textValue(iptc, QStringLiteral("CopyrightNotice"));
        copyright && !copyright->isEmpty())
        addRow(QStringLiteral("IPTC"), QStringLiteral("Copyright"), *copyright, 1);

    return report;
}

ExifMetadataReport ImageMetadataService::inspect(const QString& path) const {
    auto source = ImageSource::open(standardizedPath(path));
    if (!source || source->count() < 1) return ExifMetadataReport::empty();
    const QVariantMap properties = source->properties(0);
    if (properties.isEmpty()) return ExifMetadataReport::empty();
    return reportFromProperties(properties);
}

void ImageMetadataService::stripMetadataInPlace(const QString& path) const {
    using Code = MetadataStripError::Code;
    // Replace the file a link points to, not the link: the link and its target stay as they were.
    const QFileInfo given(standardizedPath(path));
    const QString target = given.isSymLink() ? given.canonicalFilePath() : given.absoluteFilePath();
    if (target.isEmpty()) throw MetadataStripError(Code::couldNotRead);

    QString type;
    int imageCount = 1;
    {
        auto source = ImageSource::open(target);
        if (!source) throw MetadataStripError(Code::couldNotRead);
        type = source->typeIdentifier();
        imageCount = source->count();
    }
    if (type.isEmpty()) throw MetadataStripError(Code::couldNotRead);
    // Camera raw can't be written back; a raw file read through its embedded TIFF preview must not
    // be replaced by that preview either. Known before decoding, so no full demosaic is wasted.
    const QString extension = pathExtension(target);
    if (!ImageDestination::canWrite(type) || RawImageSource::isRawExtension(extension.toLower()))
        throw MetadataStripError(Code::cannotReencode);
    // One image is written back. For an animation that is its first frame, as a viewer shows it;
    // the further pages of a document (multi-page TIFF, HEIF collections) would be lost, so those
    // files are refused rather than cut down.
    const bool isAnimationType = type == ImageType::GIF || type == ImageType::WebP || type == ImageType::PNG;
    if (imageCount > 1 && !isAnimationType) throw MetadataStripError(Code::cannotReencode);

    const std::optional<QImage> upright = FolderBrowserService().loadOrientedCGImage(target);
    if (!upright || upright->isNull()) throw MetadataStripError(Code::couldNotRead);

    auto destination = ImageDestination::create(type);
    if (!destination) throw MetadataStripError(Code::cannotReencode);
    destination->addImage(*upright, 0.94);
    const std::optional<QByteArray> bytes = destination->finalize();
    if (!bytes || bytes->isEmpty()) throw MetadataStripError(Code::finalizeFailed);

    // The cleaned file replaces the original in one step, keeping its owner and permissions.
    AtomicFileWriter::Options options;
    options.temporaryName =
        QStringLiteral(".taviview_clean_") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    if (!extension.isEmpty()) options.temporaryName += u'.' + extension;
    options.keepOwner = true;
    try {
        AtomicFileWriter::write(target, *bytes, options);
    } catch (const AtomicFileWriter::Error& error) {
        if (error.step() == AtomicFileWriter::Step::rename) throw FileSystemError(error.code(), target);
        throw MetadataStripError(Code::finalizeFailed);
    }
}
