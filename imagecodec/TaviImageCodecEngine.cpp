#include "imagecodec/TaviImageCodecEngine.h"

#include "core/common/AtomicFileWriter.h"
#include "core/files/imageio/ImageDestination.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "core/files/imageio/Orientation.h"
#include "imagecodec/LanczosScaler.h"
#include "imagecodec/OnePagePdf.h"
#include "imagecodec/TaviImageCoreError.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <unordered_map>

namespace {

std::optional<int> intValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return static_cast<int>(std::clamp<qlonglong>(value.toLongLong(), INT_MIN, INT_MAX));
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::abs(d) > 2e9) return std::nullopt;
        return static_cast<int>(d);
    }
    default:
        return std::nullopt;
    }
}

QImage premultipliedRGBA(const QImage& image) {
    return image.format() == QImage::Format_RGBA8888_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// The bitmap stretched onto a small sample with nearest-neighbour picking: the cost depends on the
// sample's size, not the photo's.
QImage lowQualitySample(const QImage& image, int width, int height) {
    if (image.isNull()) return {};
    return premultipliedRGBA(image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

} // namespace

const QSet<QString>& TaviImageCodecEngine::supportedInputExtensions() {
    static const QSet<QString> extensions{
        QStringLiteral("png"),  QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("heic"),
        QStringLiteral("heif"), QStringLiteral("webp"), QStringLiteral("tiff"), QStringLiteral("tif"),
        QStringLiteral("bmp"),  QStringLiteral("gif"),  QStringLiteral("dng"),  QStringLiteral("cr2"),
        QStringLiteral("cr3"),  QStringLiteral("nef"),  QStringLiteral("arw"),  QStringLiteral("raf"),
        QStringLiteral("orf"),  QStringLiteral("rw2")};
    return extensions;
}

QImage TaviImageCodecEngine::loadCGImage(const QString& path) const {
    const QString name = QFileInfo(path).fileName();
    auto source = ImageSource::open(path);
    if (!source) throw TaviImageCoreError::unreadableImage(name);
    std::optional<QImage> image = source->createImage(0);
    if (!image || image->isNull()) throw TaviImageCoreError::unreadableImage(name);
    const std::optional<int> orientation = intValue(source->properties(0).value(ImageProperty::Orientation));
    if (orientation && *orientation >= 2 && *orientation <= 8)
        return premultipliedRGBA(applyOrientation(*image, *orientation));
    return premultipliedRGBA(*image);
}

std::optional<TaviImageMetadataSummary> TaviImageCodecEngine::inspectMetadata(const QString& path) const {
    auto source = ImageSource::open(path);
    if (!source || source->count() < 1) return std::nullopt;
    const QVariantMap props = source->properties(0);
    if (props.isEmpty()) return std::nullopt;

    TaviImageMetadataSummary summary;
    summary.width = intValue(props.value(ImageProperty::PixelWidth)).value_or(0);
    summary.height = intValue(props.value(ImageProperty::PixelHeight)).value_or(0);
    const QVariant model = props.value(ImageProperty::ColorModel);
    summary.colorSpaceName = model.typeId() == QMetaType::QString ? model.toString() : QStringLiteral("RGB");
    const QVariant alpha = props.value(ImageProperty::HasAlpha);
    summary.hasAlpha = alpha.typeId() == QMetaType::Bool && alpha.toBool();
    // Present at all, even empty: the file carries a GPS block.
    summary.hasGPS = props.contains(ImageProperty::GPSDictionary);
    const QVariant camera = props.value(ImageProperty::TIFFDictionary).toMap().value(QStringLiteral("Model"));
    if (camera.typeId() == QMetaType::QString) summary.cameraModel = camera.toString();
    summary.dpi = intValue(props.value(ImageProperty::DPIWidth));
    return summary;
}

QImage TaviImageCodecEngine::resize(const QImage& image, int width, int height) const {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (image.isNull() || (width == image.width() && height == image.height())) return image;
    if (auto scaled = lanczosScaled(image, width, height)) return *scaled;
    return image;
}

QImage TaviImageCodecEngine::aspectFittedResize(const QImage& image, int maxDimension) const {
    const int bound = std::max(maxDimension, 16);
    const int longer = std::max(image.width(), image.height());
    if (image.isNull() || longer <= bound) return image;
    const double scale = static_cast<double>(bound) / longer;
    const int width = static_cast<int>(std::round(image.width() * scale));
    const int height = static_cast<int>(std::round(image.height() * scale));
    return resize(image, width, height);
}

QByteArray TaviImageCodecEngine::encode(const QImage& image, const TaviImageEncodeOptions& options) const {
    const QImage bitmap = options.maxDimension ? aspectFittedResize(image, *options.maxDimension) : image;
    const QString upperRaw = rawValue(options.format).toUpper();
    if (options.format == TaviImageOutputFormat::pdf) {
        const auto made = onepagepdf::make(bitmap);
        if (const auto* bytes = std::get_if<QByteArray>(&made)) return *bytes;
        throw TaviImageCoreError::encodingFailed(QStringLiteral("Could not initialize PDF context"));
    }
    auto destination = ImageDestination::create(utTypeIdentifier(options.format));
    if (!destination)
        throw TaviImageCoreError::encodingFailed(QStringLiteral("Destination could not be created for ") +
                                                 upperRaw);
    // The bitmap carries no metadata, so no GPS block can reach the file whatever
    // stripGPSAndSensitiveEXIF says; the destination writes pixels only.
    destination->addImage(
        bitmap, supportsLossyQuality(options.format) ? std::optional<double>(options.quality) : std::nullopt);
    std::optional<QByteArray> bytes = destination->finalize();
    if (!bytes)
        throw TaviImageCoreError::encodingFailed(QStringLiteral("ImageIO failed to finalize ") + upperRaw);
    return *bytes;
}

void TaviImageCodecEngine::write(const QImage& image, const QString& path,
                                 const TaviImageEncodeOptions& options) const {
    const QByteArray bytes = encode(image, options);
    const QString folder = QFileInfo(path).absolutePath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()),
                                        error);
    if (error) throw FileSystemError(error.value(), folder);
    AtomicFileWriter::write(path, bytes);
}

TaviImageRGBHistogram TaviImageCodecEngine::computeHistogram(const QImage& image, int bins) const {
    bins = std::max(bins, 8);
    TaviImageRGBHistogram histogram;
    histogram.red = histogram.green = histogram.blue = histogram.luma = QList<double>(bins, 0.0);
    const QImage sample =
        lowQualitySample(image, std::clamp(image.width(), 16, 220), std::clamp(image.height(), 16, 220));
    if (sample.isNull()) return histogram;

    // Counted per level first (the preview refreshes it on every slider move), then into bins.
    std::array<std::array<int, 256>, 4> levels{};
    for (int y = 0; y < sample.height(); ++y) {
        const uchar* px = sample.constScanLine(y);
        for (int x = 0; x < sample.width(); ++x, px += 4) {
            const int r = px[0], g = px[1], b = px[2];
            const int luma = static_cast<int>(std::lround(0.2126 * r + 0.7152 * g + 0.0722 * b));
            ++levels[0][r];
            ++levels[1][g];
            ++levels[2][b];
            ++levels[3][std::min(luma, 255)];
        }
    }
    QList<double>* const lists[4] = {&histogram.red, &histogram.green, &histogram.blue, &histogram.luma};
    for (int c = 0; c < 4; ++c) {
        double* const out = lists[c]->data();
        for (int value = 0; value < 256; ++value) out[std::min(bins * value / 256, bins - 1)] += levels[c][value];
    }
    for (QList<double>* list : {&histogram.red, &histogram.green, &histogram.blue, &histogram.luma}) {
        const double peak = std::max(*std::max_element(list->begin(), list->end()), 1.0);
        for (double& value : *list)
            value /= peak;
    }
    return histogram;
}

QStringList TaviImageCodecEngine::extractDominantHexPalette(const QImage& image, int maxColors) const {
    const QImage sample = lowQualitySample(image, 48, 48);
    if (sample.isNull()) return {};

    struct Bucket {
        int key = 0;
        qint64 count = 0, red = 0, green = 0, blue = 0;
    };
    // Buckets in the order their first pixel is met, so ties come out the same way every time.
    std::vector<Bucket> buckets;
    std::unordered_map<int, size_t> slots;
    for (int y = 0; y < sample.height(); ++y) {
        const uchar* px = sample.constScanLine(y);
        for (int x = 0; x < sample.width(); ++x, px += 4) {
            if (px[3] <= 32) continue;
            const int key = (px[0] / 16) * 256 + (px[1] & 0xF0) + px[2] / 16;
            auto [slot, inserted] = slots.try_emplace(key, buckets.size());
            if (inserted) buckets.push_back(Bucket{key});
            Bucket& bucket = buckets[slot->second];
            bucket.count += 1;
            bucket.red += px[0];
            bucket.green += px[1];
            bucket.blue += px[2];
        }
    }
    std::stable_sort(buckets.begin(), buckets.end(),
                     [](const Bucket& a, const Bucket& b) { return a.count > b.count; });
    const size_t take = std::min(buckets.size(), static_cast<size_t>(std::max(1, maxColors)));
    QStringList colors;
    for (size_t i = 0; i < take; ++i) {
        const Bucket& bucket = buckets[i];
        const qint64 count = std::max<qint64>(bucket.count, 1);
        const auto average = [count](qint64 sum) {
            return static_cast<int>(std::min<qint64>(sum / count, 255));
        };
        colors << QString::asprintf("#%02X%02X%02X", average(bucket.red), average(bucket.green),
                                    average(bucket.blue));
    }
    return colors;
}
