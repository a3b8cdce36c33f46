#include "imagecodec/TaviImageOutputFormat.h"

#include "core/files/imageio/ImageProperties.h"

QString fileExtension(TaviImageOutputFormat format) {
    return format == TaviImageOutputFormat::jpeg ? QStringLiteral("jpg") : rawValue(format);
}

QString displayName(TaviImageOutputFormat format) {
    return rawValue(format).toUpper();
}

QString utTypeIdentifier(TaviImageOutputFormat format) {
    switch (format) {
    case TaviImageOutputFormat::png:
        return ImageType::PNG;
    case TaviImageOutputFormat::jpeg:
        return ImageType::JPEG;
    case TaviImageOutputFormat::heic:
        return ImageType::HEIC;
    case TaviImageOutputFormat::tiff:
        return ImageType::TIFF;
    case TaviImageOutputFormat::pdf:
        return ImageType::PDF;
    }
    return {};
}

bool supportsLossyQuality(TaviImageOutputFormat format) {
    return format == TaviImageOutputFormat::jpeg || format == TaviImageOutputFormat::heic;
}
