#pragma once

#include <QImage>
#include <QString>
#include <QVariantMap>
#include <cstdint>
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

    // Why the last createImage or createThumbnail gave nothing, when the reason is known (a
    // declared size beyond the decode limits, see ImageLimits.h); empty after a success or when
    // the decoder simply failed.
    const QString& lastDecodeError() const { return lastDecodeError_; }

protected:
    explicit ImageSource(QString path) : path_(std::move(path)) {}

    // Starts a decode: forgets the previous reason, then refuses a declared size beyond the limits
    // (recording why) before any pixel memory is allocated.
    bool admitsDecode(std::int64_t width, std::int64_t height) const;
    void beginDecode() const { lastDecodeError_.clear(); }

private:
    QString path_;
    mutable QString lastDecodeError_;
};
