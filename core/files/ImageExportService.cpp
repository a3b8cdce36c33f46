#include "core/files/ImageExportService.h"

#include "core/common/AtomicFileWriter.h"
#include "core/files/ImageExportError.h"
#include "core/files/imageio/ImageDestination.h"
#include "imagecodec/LanczosScaler.h"
#include "imagecodec/OnePagePdf.h"
#include "imagecodec/TaviImageCodecEngine.h"
#include "imagecodec/TaviImageEncodeOptions.h"

#include <algorithm>

QImage ImageExportService::resize(const QImage& image, int width, int height) const {
    return TaviImageCodecEngine().resize(image, width, height);
}

QByteArray ImageExportService::encode(const QImage& image, const ImageExportOptions& options) const {
    QImage bitmap = image;
    if (options.resizeEnabled) {
        // A resize that can't be made (a size beyond the limits, no memory) fails the export
        // rather than writing the photo at a size nobody asked for.
        const int width = std::max(options.targetWidth, 1), height = std::max(options.targetHeight, 1);
        if (!image.isNull() && image.size() != QSize(width, height)) {
            auto scaled = lanczosScaled(image, width, height);
            if (!scaled)
                throw ImageExportError::encodingFailed(ImageExportError::couldNotResize(width, height));
            bitmap = std::move(*scaled);
        }
    }
    if (options.format == ImageExportFormat::pdf) {
        const auto made = onepagepdf::make(bitmap);
        if (const auto* bytes = std::get_if<QByteArray>(&made)) return *bytes;
        throw ImageExportError::encodingFailed(std::get<onepagepdf::Failure>(made) ==
                                                       onepagepdf::Failure::page
                                                   ? ImageExportError::couldNotCreatePdfPage()
                                                   : ImageExportError::couldNotSerializePdfDocument());
    }
    auto destination = ImageDestination::create(utTypeIdentifier(options.format));
    if (!destination)
        throw ImageExportError::encodingFailed(ImageExportError::unsupportedExportFormat(options.format));
    destination->addImage(bitmap, supportsQuality(options.format)
                                      ? std::optional<double>(clampedEncodeQuality(options.quality))
                                      : std::nullopt);
    std::optional<QByteArray> bytes = destination->finalize();
    if (!bytes) throw ImageExportError::encodingFailed(ImageExportError::couldNotEncode(options.format));
    return *bytes;
}

void ImageExportService::exportImage(const QImage& image, const ImageExportOptions& options,
                                     const QString& path) const {
    AtomicFileWriter::write(path, encode(image, options));
}

std::optional<qint64> ImageExportService::estimateEncodedByteSize(const QImage& image,
                                                                  const ImageExportOptions& options) const {
    try {
        return encode(image, options).size();
    } catch (const TaviError&) {
        return std::nullopt;
    }
}
