#include "core/files/ImageExportFormat.h"

#include "core/files/imageio/ImageProperties.h"

QString displayName(ImageExportFormat format) {
    switch (format) {
    case ImageExportFormat::jpeg:
        return QStringLiteral("JPEG (.jpg)");
    case ImageExportFormat::png:
        return QStringLiteral("PNG (.png)");
    case ImageExportFormat::heic:
        return QStringLiteral("HEIC (.heic)");
    case ImageExportFormat::avif:
        return QStringLiteral("AVIF (.avif)");
    case ImageExportFormat::tiff:
        return QStringLiteral("TIFF (.tiff)");
    case ImageExportFormat::pdf:
        return QStringLiteral("PDF (.pdf)");
    }
    return {};
}

QString fileExtension(ImageExportFormat format) {
    return format == ImageExportFormat::jpeg ? QStringLiteral("jpg") : rawValue(format);
}

QString utTypeIdentifier(ImageExportFormat format) {
    switch (format) {
    case ImageExportFormat::jpeg:
        return ImageType::JPEG;
    case ImageExportFormat::png:
        return ImageType::PNG;
    case ImageExportFormat::heic:
        return ImageType::HEIC;
    case ImageExportFormat::avif:
        return ImageType::AVIF;
    case ImageExportFormat::tiff:
        return ImageType::TIFF;
    case ImageExportFormat::pdf:
        return ImageType::PDF;
    }
    return {};
}

bool supportsQuality(ImageExportFormat format) {
    return format == ImageExportFormat::jpeg || format == ImageExportFormat::heic ||
           format == ImageExportFormat::avif;
}
