#pragma once

#include <QCache>
#include <QImage>
#include <QPixmap>
#include <QSize>

// Thumbnails scaled and cropped once for the cell they fill. Scrolling repaints the same cards
// many times a second: scaling each 220-pixel thumbnail in every paint would cost more than the
// rest of the frame, so each cell size keeps its finished pixmap until the thumbnail changes.
class ThumbnailPixmapCache {
  public:
    explicit ThumbnailPixmapCache(int maxCells = 600) : cache_(maxCells) {}

    // `thumbnail` aspect-filled into `logicalSize` at `devicePixelRatio`, centred and cropped,
    // downscaled with a high-quality filter, its corners rounded by `cornerRadius` (transparent
    // outside, so a paint needs no clipping). A null thumbnail gives a null pixmap.
    QPixmap filled(const QImage& thumbnail, QSize logicalSize, qreal devicePixelRatio, qreal cornerRadius);

    static QImage aspectFill(const QImage& image, QSize devicePixels);

  private:
    struct Key {
        qint64 image;
        int width;
        int height;
        int radius;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) noexcept {
        return qHashMulti(seed, key.image, key.width, key.height, key.radius);
    }
    QCache<Key, QPixmap> cache_;
};
