#include "core/files/imageio/RawImageSource.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/ExifDictionaries.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/Orientation.h"
#include "core/files/imageio/QtImageSource.h"
#include "core/files/imageio/VipsSupport.h"

#include <QFile>
#include <QFileInfo>
#include <libraw/libraw.h>
#include <memory>

namespace {
QString rawTypeFor(const QString& ext) {
    if (ext == u"dng") return QStringLiteral("com.adobe.raw-image");
    if (ext == u"cr2") return QStringLiteral("com.canon.cr2-raw-image");
    if (ext == u"cr3") return QStringLiteral("com.canon.cr3-raw-image");
    if (ext == u"nef") return QStringLiteral("com.nikon.raw-image");
    if (ext == u"arw") return QStringLiteral("com.sony.arw-raw-image");
    if (ext == u"orf") return QStringLiteral("com.olympus.raw-image");
    if (ext == u"rw2") return QStringLiteral("com.panasonic.rw2-raw-image");
    if (ext == u"raf") return QStringLiteral("com.fuji.raw-image");
    return ImageType::RawImage;
}

// LibRaw's flip code to EXIF orientation.
int orientationForFlip(int flip) {
    switch (flip) {
    case 3: return 3;
    case 5: return 8;
    case 6: return 6;
    default: return 1;
    }
}

std::unique_ptr<LibRaw> openRaw(const QString& path) {
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    if (raw->open_file(QFile::encodeName(path).constData()) != LIBRAW_SUCCESS) return nullptr;
    return raw;
}

QImage fromProcessed(const libraw_processed_image_t* processed) {
    if (!processed || processed->type != LIBRAW_IMAGE_BITMAP || processed->bits != 8 ||
        (processed->colors != 3 && processed->colors != 1))
        return {};
    const int w = processed->width, h = processed->height, colors = processed->colors;
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return {};
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = processed->data + static_cast<size_t>(y) * w * colors;
        uchar* dst = image.scanLine(y);
        for (int x = 0; x < w; ++x, src += colors, dst += 4) {
            dst[0] = src[0];
            dst[1] = colors == 3 ? src[1] : src[0];
            dst[2] = colors == 3 ? src[2] : src[0];
            dst[3] = 255;
        }
    }
    return image;
}
} // namespace

bool RawImageSource::isRawExtension(const QString& ext) {
    return ext == u"dng" || ext == u"cr2" || ext == u"cr3" || ext == u"nef" || ext == u"arw" || ext == u"orf" ||
           ext == u"rw2" || ext == u"raf";
}

std::unique_ptr<ImageSource> RawImageSource::tryOpen(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (!isRawExtension(ext)) return nullptr;
    auto raw = openRaw(path);
    if (!raw) return nullptr;
    const auto& sizes = raw->imgdata.sizes;
    QVariantMap props;
    // The developed image's size, as stored (before the camera's rotation).
    int width = sizes.iwidth > 0 ? sizes.width : sizes.raw_width;
    int height = sizes.iheight > 0 ? sizes.height : sizes.raw_height;
    if (sizes.flip == 5 || sizes.flip == 6) std::swap(width, height); // LibRaw reports upright sizes
    props.insert(ImageProperty::PixelWidth, width);
    props.insert(ImageProperty::PixelHeight, height);
    props.insert(ImageProperty::HasAlpha, false);
    props.insert(ImageProperty::ColorModel, QStringLiteral("RGB"));
    props.insert(ImageProperty::Depth, 16);
    props.insert(ImageProperty::Orientation, orientationForFlip(sizes.flip));
    exifdict::addMetadataDictionaries(path, {}, {}, props);
    return std::unique_ptr<ImageSource>(new RawImageSource(path, rawTypeFor(ext), props));
}

std::optional<QImage> RawImageSource::createImage(int index) const {
    beginDecode();
    if (index != 0) return std::nullopt;
    auto raw = openRaw(path());
    if (!raw) return std::nullopt;
    if (!admitsDecode(raw->imgdata.sizes.raw_width, raw->imgdata.sizes.raw_height)) return std::nullopt;
    raw->imgdata.params.user_flip = 0; // as stored; callers turn it upright
    raw->imgdata.params.output_bps = 8;
    raw->imgdata.params.use_camera_wb = 1;
    if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) return std::nullopt;
    int error = 0;
    libraw_processed_image_t* processed = raw->dcraw_make_mem_image(&error);
    QImage image = fromProcessed(processed);
    LibRaw::dcraw_clear_mem(processed);
    if (image.isNull()) return std::nullopt;
    return image;
}

std::optional<QImage> RawImageSource::createThumbnail(int maxPixelSize) const {
    beginDecode();
    if (maxPixelSize <= 0) return std::nullopt;
    std::optional<QImage> preview;
    if (auto raw = openRaw(path()); raw && raw->unpack_thumb() == LIBRAW_SUCCESS) {
        const auto& thumb = raw->imgdata.thumbnail;
        if (thumb.tformat == LIBRAW_THUMBNAIL_JPEG && thumb.thumb && thumb.tlength > 0 && vipsio::ensureStarted()) {
            vipsio::Ref image;
            // The embedded JPEG rarely carries the camera's orientation, so don't let it rotate.
            if (vips_thumbnail_buffer(thumb.thumb, thumb.tlength, image.out(), maxPixelSize, "height", maxPixelSize,
                                      "size", VIPS_SIZE_DOWN, "no_rotate", TRUE, NULL) == 0)
                preview = vipsio::toQImage(image.get());
            vipsio::clearError();
        } else if (thumb.tformat == LIBRAW_THUMBNAIL_BITMAP) {
            int error = 0;
            libraw_processed_image_t* processed = raw->dcraw_make_mem_thumb(&error);
            QImage image = fromProcessed(processed);
            LibRaw::dcraw_clear_mem(processed);
            if (!image.isNull()) preview = image;
        }
    }
    if (!preview) preview = createImage(0);
    if (!preview) return std::nullopt;
    QImage upright = applyOrientation(*preview, orientation());
    if (std::max(upright.width(), upright.height()) > maxPixelSize)
        upright = upright.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return toSystemBitmap(std::move(upright));
}
