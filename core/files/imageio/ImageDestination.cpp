#include "core/files/imageio/ImageDestination.h"

#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/VipsSupport.h"

#include <cmath>

namespace {
bool isOpaque(const QImage& image) {
    if (!image.hasAlphaChannel()) return true;
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* row = rgba.constScanLine(y);
        for (int x = 0; x < rgba.width(); ++x)
            if (row[x * 4 + 3] != 255) return false;
    }
    return true;
}

// libheif is built with whichever HEVC and AV1 encoders the system has, possibly none; a tiny
// encode, once per process, tells whether the format can be written at all.
bool heifEncoderWorks(VipsForeignHeifCompression compression) {
    if (!vipsio::ensureStarted()) return false;
    vipsio::Ref black;
    if (vips_black(black.out(), 16, 16, "bands", 3, NULL) != 0) { vipsio::clearError(); return false; }
    vipsio::Ref pixels;
    if (vips_cast_uchar(black.get(), pixels.out(), NULL) != 0) { vipsio::clearError(); return false; }
    void* buffer = nullptr;
    size_t length = 0;
    const int status = vips_heifsave_buffer(pixels.get(), &buffer, &length, "compression", compression, "effort", 0, NULL);
    if (buffer) g_free(buffer);
    vipsio::clearError();
    return status == 0 && length > 0;
}
} // namespace

bool ImageDestination::canWrite(const QString& type) {
    if (type == ImageType::HEIC) {
        static const bool hevc = heifEncoderWorks(VIPS_FOREIGN_HEIF_COMPRESSION_HEVC);
        return hevc;
    }
    if (type == ImageType::AVIF) {
        static const bool av1 = heifEncoderWorks(VIPS_FOREIGN_HEIF_COMPRESSION_AV1);
        return av1;
    }
    return type == ImageType::JPEG || type == ImageType::PNG || type == ImageType::TIFF || type == ImageType::GIF ||
           type == ImageType::WebP;
}

std::unique_ptr<ImageDestination> ImageDestination::create(const QString& typeIdentifier) {
    if (!canWrite(typeIdentifier) || !vipsio::ensureStarted()) return nullptr;
    return std::unique_ptr<ImageDestination>(new ImageDestination(typeIdentifier));
}

void ImageDestination::addImage(const QImage& image, std::optional<double> lossyQuality) {
    image_ = image;
    quality_ = lossyQuality;
    added_ = !image.isNull();
}

std::optional<QByteArray> ImageDestination::finalize() {
    if (!added_) return std::nullopt;
    const bool opaque = isOpaque(image_);
    // libvips reads the bitmap where it lies and streams it into the encoder, so a full-size
    // export costs no second picture's worth of memory. Opaque pixels read the same
    // premultiplied or not; only translucent ones (and other layouts) are converted first.
    const bool readsAsIs = opaque && (image_.format() == QImage::Format_RGBA8888_Premultiplied ||
                                      image_.format() == QImage::Format_RGBA8888 ||
                                      image_.format() == QImage::Format_RGBX8888);
    QImage straight = readsAsIs ? image_ : image_.convertToFormat(QImage::Format_RGBA8888);
    if (straight.isNull()) return std::nullopt;
    if (straight.bytesPerLine() != qsizetype(straight.width()) * 4) straight = straight.copy();
    vipsio::Ref wrapped(vips_image_new_from_memory(straight.constBits(), size_t(straight.sizeInBytes()),
                                                   straight.width(), straight.height(), 4, VIPS_FORMAT_UCHAR));
    vipsio::Ref in;
    if (!wrapped || vips_copy(wrapped.get(), in.out(), "interpretation", VIPS_INTERPRETATION_sRGB, NULL) != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    vipsio::Ref pixels;
    if (opaque || type_ == ImageType::JPEG) {
        // Formats without alpha (and opaque images) carry three bands. A JPEG of a cut-out is
        // flattened onto white: that is what people expect to see where the background was.
        vipsio::Ref premultipliedLike;
        if (type_ == ImageType::JPEG && !opaque) {
            VipsArrayDouble* white = vips_array_double_newv(3, 255.0, 255.0, 255.0);
            const int flattened = vips_flatten(in.get(), premultipliedLike.out(), "background", white, NULL);
            vips_area_unref(VIPS_AREA(white));
            if (flattened != 0) {
                vipsio::clearError();
                return std::nullopt;
            }
            vipsio::Ref cast;
            if (vips_cast_uchar(premultipliedLike.get(), cast.out(), NULL) != 0) { vipsio::clearError(); return std::nullopt; }
            pixels = std::move(cast);
        } else if (vips_extract_band(in.get(), pixels.out(), 0, "n", 3, NULL) != 0) {
            vipsio::clearError();
            return std::nullopt;
        }
    } else {
        pixels = std::move(in);
    }
    const int q = std::clamp(static_cast<int>(std::lround(quality_.value_or(0.9) * 100.0)), 1, 100);
    void* buffer = nullptr;
    size_t length = 0;
    int status = -1;
    VipsImage* image = pixels.get();
    if (type_ == ImageType::JPEG)
        status = vips_jpegsave_buffer(image, &buffer, &length, "Q", q, "strip", TRUE, NULL);
    else if (type_ == ImageType::PNG)
        status = vips_pngsave_buffer(image, &buffer, &length, "strip", TRUE, "compression", 6, NULL);
    else if (type_ == ImageType::HEIC)
        status = vips_heifsave_buffer(image, &buffer, &length, "Q", q, "strip", TRUE, "compression",
                                      VIPS_FOREIGN_HEIF_COMPRESSION_HEVC, NULL);
    else if (type_ == ImageType::AVIF)
        status = vips_heifsave_buffer(image, &buffer, &length, "Q", q, "strip", TRUE, "compression",
                                      VIPS_FOREIGN_HEIF_COMPRESSION_AV1, "effort", 2, NULL);
    else if (type_ == ImageType::TIFF)
        status = vips_tiffsave_buffer(image, &buffer, &length, "strip", TRUE, "compression",
                                      VIPS_FOREIGN_TIFF_COMPRESSION_LZW, NULL);
    else if (type_ == ImageType::GIF)
        status = vips_gifsave_buffer(image, &buffer, &length, "strip", TRUE, NULL);
    else if (type_ == ImageType::WebP)
        status = vips_webpsave_buffer(image, &buffer, &length, "Q", q, "strip", TRUE, NULL);
    if (status != 0 || !buffer) {
        vipsio::clearError();
        if (buffer) g_free(buffer);
        return std::nullopt;
    }
    QByteArray bytes(static_cast<const char*>(buffer), static_cast<qsizetype>(length));
    g_free(buffer);
    return bytes;
}
