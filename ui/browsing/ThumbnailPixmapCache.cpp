#include "ui/browsing/ThumbnailPixmapCache.h"

#include <QPainter>
#include <cmath>

QImage ThumbnailPixmapCache::aspectFill(const QImage& image, QSize devicePixels) {
    if (image.isNull() || devicePixels.isEmpty()) return {};
    // Scale so the image covers the cell, then keep the centre: the thumbnail's own pixels
    // are never stretched out of proportion.
    const QSize covered = image.size().scaled(devicePixels, Qt::KeepAspectRatioByExpanding);
    QImage scaled = image.size() == covered
                        ? image
                        : image.scaled(covered, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect crop(
        QPoint((covered.width() - devicePixels.width()) / 2, (covered.height() - devicePixels.height()) / 2),
        devicePixels);
    return scaled.copy(crop);
}

QPixmap ThumbnailPixmapCache::filled(const QImage& thumbnail, QSize logicalSize, qreal devicePixelRatio,
                                     qreal cornerRadius) {
    if (thumbnail.isNull() || logicalSize.isEmpty()) return {};
    const QSize devicePixels(static_cast<int>(std::lround(logicalSize.width() * devicePixelRatio)),
                             static_cast<int>(std::lround(logicalSize.height() * devicePixelRatio)));
    const Key key{thumbnail.cacheKey(), devicePixels.width(), devicePixels.height(),
                  static_cast<int>(std::lround(cornerRadius * 4))};
    if (const QPixmap* hit = cache_.object(key)) return *hit;
    QImage rounded(devicePixels, QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    {
        QPainter p(&rounded);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(aspectFill(thumbnail, devicePixels)));
        const qreal r = cornerRadius * devicePixelRatio;
        p.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(devicePixels)), r, r);
    }
    auto* pixmap = new QPixmap(QPixmap::fromImage(std::move(rounded)));
    pixmap->setDevicePixelRatio(devicePixelRatio);
    const QPixmap result = *pixmap;
    cache_.insert(key, pixmap);
    return result;
}
