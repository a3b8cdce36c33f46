#include "core/files/ImageExportService.h"

#include "core/files/ImageExportError.h"
#include "core/files/imageio/ImageDestination.h"
#include "imagecodec/AtomicFileWriter.h"
#include "imagecodec/OnePagePdf.h"
#include "imagecodec/TaviImageCodecEngine.h"
#include "imagecodec/TaviImageEncodeOptions.h"

QImage ImageExportService::resize(const QImage& image, int width, int height) const {
    return TaviImageCodecEngine().resize(image, width, height);
}

QByteArray ImageExportService::encode(const QImage& image, const ImageExportOptions& options) const {
    const QImage bitmap =
        options.resizeEnabled ? resize(image, options.targetWidth, options.targetHeight) : image;
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
