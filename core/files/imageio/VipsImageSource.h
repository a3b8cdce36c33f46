#pragma once

#include "core/files/imageio/ImageSource.h"
#include "core/files/imageio/VipsSupport.h"

#include <memory>
#include <vector>

// JPEG, PNG, GIF, WebP, HEIF/AVIF, TIFF and (through ImageMagick) PSD, decoded by libvips.
class VipsImageSource final : public ImageSource {
public:
    static std::unique_ptr<ImageSource> tryOpen(const QString& path);

    int count() const override { return count_; }
    QString typeIdentifier() const override { return type_; }
    QVariantMap properties(int index) const override;
    std::optional<QImage> createImage(int index) const override;
    std::optional<QImage> createThumbnail(int maxPixelSize) const override;

private:
    VipsImageSource(QString path, QString loader, QString type);
    bool loadHeader();
    bool hasPageOption() const;
    std::optional<QImage> framesStripPage(int index) const;
    void readMetadataOnce() const;

    QString loader_;
    QString type_;
    int count_ = 1;
    // Properties of image 0. The metadata dictionaries join them on the first properties() call:
    // bounded decodes (thumbnails, batches) never need them, so they never parse them.
    mutable QVariantMap base_;
    QByteArray exifBlock_, iptcBlock_; // what the decoder found, for containers exiv2 can't read
    mutable bool metadataRead_ = false;
    std::vector<int> delaysMs_;      // per frame, for GIF and WebP animations
    bool needsColourTransform_ = false; // an embedded profile or CMYK pixels
    mutable vipsio::Ref framesStrip_;    // every frame of an animation, one below the other
    mutable bool framesStripTried_ = false;
};
