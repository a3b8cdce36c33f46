#include "core/files/imageio/QtImageSource.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/ImageProperties.h"

#include <QColorSpace>
#include <QImageReader>
#include <cstring>

namespace {
// Vector and document formats are not photos; everything else Qt reads is welcome.
bool isRasterFormat(const QByteArray& format) {
    return !format.isEmpty() && format != "svg" && format != "svgz" && format != "pdf";
}

QString typeFor(const QByteArray& format) {
    if (format == "bmp") return ImageType::BMP;
    if (format == "ico" || format == "cur") return ImageType::ICO;
    if (format == "icns") return ImageType::ICNS;
    if (format == "png") return ImageType::PNG;
    if (format == "jpeg" || format == "jpg") return ImageType::JPEG;
    if (format == "gif") return ImageType::GIF;
    if (format == "tiff" || format == "tif") return ImageType::TIFF;
    if (format == "webp") return ImageType::WebP;
    return QStringLiteral("public.") + QString::fromLatin1(format);
}
} // namespace

QImage toSystemBitmap(QImage image) {
    if (image.isNull()) return image;
    const QColorSpace space = image.colorSpace();
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        image.convertToColorSpace(QColorSpace(QColorSpace::SRgb));
    }
    image.setColorSpace(QColorSpace());
    if (image.format() != QImage::Format_RGBA8888_Premultiplied)
        image.convertTo(QImage::Format_RGBA8888_Premultiplied);
    return image;
}

std::unique_ptr<ImageSource> QtImageSource::tryOpen(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) return nullptr;
    const QByteArray format = reader.format();
    if (!isRasterFormat(format)) return nullptr;
    const int count = std::max(1, reader.imageCount());
    return std::unique_ptr<ImageSource>(new QtImageSource(path, format, typeFor(format), count));
}

QVariantMap QtImageSource::properties(int index) const {
    if (index < 0 || index >= count_) return {};
    QImageReader reader(path(), format_);
    if (index > 0 && !reader.jumpToImage(index)) return {};
    QVariantMap props;
    const QSize size = reader.size();
    if (size.isValid()) {
        props.insert(ImageProperty::PixelWidth, size.width());
        props.insert(ImageProperty::PixelHeight, size.height());
    }
    // Plug-ins may report formats outside the known range for damaged files (Qt's JPEG plug-in
    // hands back an uninitialised one when the header is broken), so the value is taken as plain
    // bytes and checked before it is used as a format.
    const QImage::Format reported = reader.imageFormat();
    int rawFormat = 0;
    static_assert(sizeof rawFormat == sizeof reported);
    std::memcpy(&rawFormat, &reported, sizeof rawFormat);
    if (size.isValid() && rawFormat > QImage::Format_Invalid && rawFormat < QImage::NImageFormats) {
        const auto format = static_cast<QImage::Format>(rawFormat);
        const QImage probe(1, 1, format);
        props.insert(ImageProperty::HasAlpha, probe.hasAlphaChannel());
        const bool grey = format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
        props.insert(ImageProperty::ColorModel, grey ? QStringLiteral("Gray") : QStringLiteral("RGB"));
    }
    return props;
}

std::optional<QImage> QtImageSource::createImage(int index) const {
    beginDecode();
    if (index < 0 || index >= count_) return std::nullopt;
    QImageReader reader(path(), format_);
    if (index > 0 && !reader.jumpToImage(index)) return std::nullopt;
    // A plug-in that can't tell the size up front is still held by Qt's own allocation limit.
    const QSize size = reader.size();
    if (size.isValid() && !admitsDecode(size.width(), size.height())) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return toSystemBitmap(std::move(image));
}

std::optional<QImage> QtImageSource::createThumbnail(int maxPixelSize) const {
    beginDecode();
    if (maxPixelSize <= 0) return std::nullopt;
    QImageReader reader(path(), format_);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !admitsDecode(size.width(), size.height())) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    if (std::max(image.width(), image.height()) > maxPixelSize)
        image = image.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return toSystemBitmap(std::move(image));
}
