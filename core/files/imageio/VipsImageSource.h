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

    QString loader_;
    QString type_;
    int count_ = 1;
    QVariantMap base_;               // properties of image 0, metadata dictionaries included
    std::vector<int> delaysMs_;      // per frame, for GIF and WebP animations
    bool needsColourTransform_ = false; // an embedded profile or CMYK pixels
    mutable vipsio::Ref framesStrip_;    // every frame of an animation, one below the other
    mutable bool framesStripTried_ = false;
};
