#include "core/files/imageio/VipsImageSource.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/ExifDictionaries.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/VipsSupport.h"

#include <QFileInfo>
#include <cmath>

namespace {

// Loaders we trust with untrusted files; every other libvips loader is ignored.
QString typeForLoader(const QString& loader, const QString& path) {
    if (loader == u"jpegload") return ImageType::JPEG;
    if (loader == u"pngload") return ImageType::PNG;
    if (loader == u"gifload") return ImageType::GIF;
    if (loader == u"webpload") return ImageType::WebP;
    if (loader == u"tiffload") return ImageType::TIFF;
    if (loader == u"heifload") return ImageType::HEIC; // refined from the header (AV1 -> AVIF)
    if (loader == u"magickload") {
        // ImageMagick only for Photoshop documents (their flattened composite).
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.read(4) == "8BPS") return ImageType::PSD;
    }
    return {};
}

QString colorModelOf(VipsImage* image) {
    switch (vips_image_guess_interpretation(image)) {
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_GREY16: return QStringLiteral("Gray");
    case VIPS_INTERPRETATION_CMYK: return QStringLiteral("CMYK");
    case VIPS_INTERPRETATION_LAB:
    case VIPS_INTERPRETATION_LABQ:
    case VIPS_INTERPRETATION_LABS: return QStringLiteral("Lab");
    default: return QStringLiteral("RGB");
    }
}

int bitsPerSample(VipsImage* image) {
    switch (image->BandFmt) {
    case VIPS_FORMAT_UCHAR: case VIPS_FORMAT_CHAR: return 8;
    case VIPS_FORMAT_USHORT: case VIPS_FORMAT_SHORT: return 16;
    default: return 32;
    }
}

QByteArray blob(VipsImage* image, const char* name) {
    if (vips_image_get_typeof(image, name) == 0) return {};
    const void* data = nullptr;
    size_t length = 0;
    if (vips_image_get_blob(image, name, &data, &length) != 0 || !data) {
        vipsio::clearError();
        return {};
    }
    return QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(length));
}

// A zero or tiny frame delay means "as fast as possible", which players show as 0.1 s.
QVariantMap delayDictionary(int delayMs) {
    const double unclamped = delayMs / 1000.0;
    return {{ImageProperty::UnclampedDelayTime, unclamped},
            {ImageProperty::DelayTime, unclamped < 0.011 ? 0.1 : unclamped}};
}

} // namespace

VipsImageSource::VipsImageSource(QString path, QString loader, QString type)
    : ImageSource(std::move(path)), loader_(std::move(loader)), type_(std::move(type)) {}

std::unique_ptr<ImageSource> VipsImageSource::tryOpen(const QString& path) {
    if (!vipsio::ensureStarted()) return nullptr;
    const QByteArray file = QFile::encodeName(path);
    const char* found = vips_foreign_find_load(file.constData());
    if (!found) {
        vipsio::clearError();
        return nullptr;
    }
    const char* nickname = vips_nickname_find(g_type_from_name(found));
    if (!nickname) return nullptr;
    const QString loader = QString::fromLatin1(nickname);
    const QString type = typeForLoader(loader, path);
    if (type.isEmpty()) return nullptr;
    std::unique_ptr<VipsImageSource> source(new VipsImageSource(path, loader, type));
    if (!source->loadHeader()) return nullptr;
    return source;
}

bool VipsImageSource::hasPageOption() const {
    return loader_ == u"gifload" || loader_ == u"webpload" || loader_ == u"tiffload" ||
           loader_ == u"heifload" || loader_ == u"magickload";
}

bool VipsImageSource::loadHeader() {
    const QByteArray file = QFile::encodeName(path());
    vipsio::Ref header(vips_image_new_from_file(file.constData(), NULL));
    if (!header) {
        vipsio::clearError();
        return false;
    }
    VipsImage* image = header.get();

    int pages = 1;
    if (vips_image_get_typeof(image, "n-pages") && vips_image_get_int(image, "n-pages", &pages) == 0)
        count_ = std::clamp(pages, 1, 1'000'000);
    vipsio::clearError();

    if (loader_ == u"heifload" && vips_image_get_typeof(image, "heif-compression")) {
        const char* compression = nullptr;
        if (vips_image_get_string(image, "heif-compression", &compression) == 0 && compression &&
            QByteArray(compression) == "av1")
            type_ = ImageType::AVIF;
        vipsio::clearError();
    }

    base_.insert(ImageProperty::PixelWidth, image->Xsize);
    base_.insert(ImageProperty::PixelHeight, vips_image_get_page_height(image));
    base_.insert(ImageProperty::HasAlpha, static_cast<bool>(vips_image_hasalpha(image)));
    base_.insert(ImageProperty::ColorModel, colorModelOf(image));
    base_.insert(ImageProperty::Depth, bitsPerSample(image));
    // 1 pixel per millimetre is libvips' placeholder for "the file doesn't say".
    if (image->Xres > 0 && std::isfinite(image->Xres) && image->Xres != 1.0) {
        base_.insert(ImageProperty::DPIWidth, std::round(image->Xres * 25.4 * 1000.0) / 1000.0);
        base_.insert(ImageProperty::DPIHeight, std::round(image->Yres * 25.4 * 1000.0) / 1000.0);
    }
    if (vips_image_get_typeof(image, VIPS_META_ORIENTATION)) {
        int orientation = 1;
        if (vips_image_get_int(image, VIPS_META_ORIENTATION, &orientation) == 0 && orientation >= 1 &&
            orientation <= 8)
            base_.insert(ImageProperty::Orientation, orientation);
        vipsio::clearError();
    }
    const QByteArray icc = blob(image, VIPS_META_ICC_NAME);
    needsColourTransform_ = !icc.isEmpty() || vips_image_guess_interpretation(image) == VIPS_INTERPRETATION_CMYK;
    if (!icc.isEmpty()) {
        const QString name = vipsio::iccProfileName(icc.constData(), static_cast<size_t>(icc.size()));
        if (!name.isEmpty()) base_.insert(ImageProperty::ProfileName, name);
    }
    if (vips_image_get_typeof(image, "delay")) {
        int* delays = nullptr;
        int n = 0;
        if (vips_image_get_array_int(image, "delay", &delays, &n) == 0 && delays && n > 0)
            delaysMs_.assign(delays, delays + std::min(n, count_));
        vipsio::clearError();
    }
    exifBlock_ = blob(image, VIPS_META_EXIF_NAME);
    iptcBlock_ = blob(image, VIPS_META_IPTC_NAME);
    return true;
}

void VipsImageSource::readMetadataOnce() const {
    if (metadataRead_) return;
    metadataRead_ = true;
    exifdict::addMetadataDictionaries(path(), exifBlock_, iptcBlock_, base_);
    // The file's orientation, when the decoder didn't surface it, from the TIFF dictionary.
    if (!base_.contains(ImageProperty::Orientation)) {
        const QVariant o = base_.value(ImageProperty::TIFFDictionary).toMap().value(QStringLiteral("Orientation"));
        bool ok = false;
        const int v = o.toInt(&ok);
        if (ok && o.typeId() != QMetaType::QString && v >= 1 && v <= 8) base_.insert(ImageProperty::Orientation, v);
    }
}

QVariantMap VipsImageSource::properties(int index) const {
    if (index < 0 || index >= count_) return {};
    readMetadataOnce();
    QVariantMap props = base_;
    if (index > 0 && hasPageOption() && loader_ != u"gifload" && loader_ != u"webpload") {
        // Pages of a TIFF or images of a HEIF file may differ in size.
        const QByteArray file = QFile::encodeName(path());
        vipsio::Ref page(vips_image_new_from_file(file.constData(), "page", index, NULL));
        if (page) {
            props.insert(ImageProperty::PixelWidth, page.get()->Xsize);
            props.insert(ImageProperty::PixelHeight, page.get()->Ysize);
            props.insert(ImageProperty::HasAlpha, static_cast<bool>(vips_image_hasalpha(page.get())));
        }
        vipsio::clearError();
    }
    if (index < static_cast<int>(delaysMs_.size())) {
        if (loader_ == u"gifload") props.insert(ImageProperty::GIFDictionary, delayDictionary(delaysMs_[index]));
        if (loader_ == u"webpload") props.insert(ImageProperty::WebPDictionary, delayDictionary(delaysMs_[index]));
    }
    return props;
}

// Frames of an animation read one at a time each re-open and re-scan the file (about ten times
// the cost of decoding them together), so a player reading them all shares one decode of the
// whole strip, as long as that strip stays of moderate size.
std::optional<QImage> VipsImageSource::framesStripPage(int index) const {
    constexpr std::int64_t kMaxStripBytes = 512LL * 1024 * 1024;
    const std::int64_t width = base_.value(ImageProperty::PixelWidth).toLongLong();
    const std::int64_t pageHeight = base_.value(ImageProperty::PixelHeight).toLongLong();
    if (!framesStripTried_) {
        framesStripTried_ = true;
        // The page is checked first, so the product below can't overflow.
        if (isDecodableSize(width, pageHeight) && width * pageHeight * count_ * 4 <= kMaxStripBytes) {
            const QByteArray file = QFile::encodeName(path());
            framesStrip_ = vipsio::Ref(vips_image_new_from_file(file.constData(), "n", -1, NULL));
            if (framesStrip_ && (framesStrip_.get()->Xsize != width ||
                                 framesStrip_.get()->Ysize != pageHeight * count_))
                framesStrip_.reset();
            vipsio::clearError();
        }
    }
    if (!framesStrip_) return std::nullopt;
    vipsio::Ref page;
    if (vips_crop(framesStrip_.get(), page.out(), 0, static_cast<int>(index * pageHeight), static_cast<int>(width),
                  static_cast<int>(pageHeight), NULL) != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    auto result = vipsio::toQImage(page.get());
    vipsio::clearError();
    return result;
}

std::optional<QImage> VipsImageSource::createImage(int index) const {
    beginDecode();
    if (index < 0 || index >= count_) return std::nullopt;
    if (index > 0 && count_ > 1 && (loader_ == u"gifload" || loader_ == u"webpload")) {
        if (auto frame = framesStripPage(index)) return frame;
    }
    const QByteArray file = QFile::encodeName(path());
    vipsio::Ref image;
    // HEIF's image 0 is its primary image; other formats count from the first page.
    const bool byPage = hasPageOption() && !(loader_ == u"heifload" && index == 0);
    if (byPage)
        image = vipsio::Ref(vips_image_new_from_file(file.constData(), "page", index, "access",
                                                     VIPS_ACCESS_SEQUENTIAL, NULL));
    else
        image = vipsio::Ref(vips_image_new_from_file(file.constData(), "access", VIPS_ACCESS_SEQUENTIAL, NULL));
    if (!image) {
        vipsio::clearError();
        return std::nullopt;
    }
    if (!admitsDecode(image.get()->Xsize, image.get()->Ysize)) return std::nullopt;
    auto result = vipsio::toQImage(image.get());
    vipsio::clearError();
    return result;
}

std::optional<QImage> VipsImageSource::createThumbnail(int maxPixelSize) const {
    beginDecode();
    if (maxPixelSize <= 0) return std::nullopt;
    const int width = base_.value(ImageProperty::PixelWidth).toInt();
    const int height = base_.value(ImageProperty::PixelHeight).toInt();
    if (!admitsDecode(width, height)) return std::nullopt;
    const QByteArray file = QFile::encodeName(path());
    vipsio::Ref thumb;
    // Shrink-on-load, autorotation and the import of an embedded profile into sRGB in one call.
    const int status =
        needsColourTransform_
            ? vips_thumbnail(file.constData(), thumb.out(), maxPixelSize, "height", maxPixelSize, "size",
                             VIPS_SIZE_DOWN, "export_profile", "srgb", NULL)
            : vips_thumbnail(file.constData(), thumb.out(), maxPixelSize, "height", maxPixelSize, "size",
                             VIPS_SIZE_DOWN, NULL);
    if (status != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    // The thumbnail is sRGB already; drop the profile it carries so it isn't transformed twice.
    vipsio::Ref plain;
    if (vips_copy(thumb.get(), plain.out(), NULL) != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    if (vips_image_get_typeof(plain.get(), VIPS_META_ICC_NAME) &&
        vips_image_guess_interpretation(plain.get()) != VIPS_INTERPRETATION_CMYK)
        vips_image_remove(plain.get(), VIPS_META_ICC_NAME);
    auto result = vipsio::toQImage(plain.get());
    vipsio::clearError();
    return result;
}
