#pragma once

#include <QImage>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

// An image file opened for reading: how many images it holds, what each declares about itself,
// and its pixels. Every bitmap handed out is RGBA8 premultiplied, sRGB, rows top to bottom.
// Not thread-safe; open one source per thread.
class ImageSource {
public:
    virtual ~ImageSource() = default;

    // Opens a source on a file; nullptr when the file can't be read as an image.
    static std::unique_ptr<ImageSource> open(const QString& path);

    // Number of images: frames of an animation, pages of a document.
    virtual int count() const = 0;
    // The uniform type identifier of the file's format (ImageType).
    virtual QString typeIdentifier() const = 0;
    // The property dictionary of image `index` (keys of ImageProperty); empty for a bad index.
    virtual QVariantMap properties(int index) const = 0;
    // The image at `index` as stored (not turned upright), or nothing when it can't be decoded.
    virtual std::optional<QImage> createImage(int index) const = 0;
    // Image 0 turned upright by the file's orientation, its longer side at most `maxPixelSize`,
    // never enlarged; nothing when it can't be decoded.
    virtual std::optional<QImage> createThumbnail(int maxPixelSize) const = 0;

    const QString& path() const { return path_; }

protected:
    explicit ImageSource(QString path) : path_(std::move(path)) {}

private:
    QString path_;
};
