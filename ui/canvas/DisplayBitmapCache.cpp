#include "ui/canvas/DisplayBitmapCache.h"

namespace {

QImage painterFormat(const QImage& image) {
    // The backing store is premultiplied ARGB32: any other format would be converted on every
    // paint, row by row.
    const QImage::Format target =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return image.format() == target ? image : image.convertToFormat(target);
}

} // namespace

QImage highQualityReduction(const QImage& source, QSize size) {
    if (source.isNull() || size.isEmpty()) return {};
    return painterFormat(painterFormat(source).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

bool DisplayBitmapCache::update(const QImage& source, QSize devicePixels, double devicePixelRatio) {
    if (source.isNull() || devicePixels.isEmpty()) {
        clear();
        return false;
    }
    bool made = false;
    if (source.cacheKey() != sourceKey_ || source.size() != sourceSize_ || paintSource_.isNull()) {
        sourceKey_ = source.cacheKey();
        sourceSize_ = source.size();
        paintSource_ = painterFormat(source);
        reduced_ = QImage();
        devicePixels_ = QSize();
        if (paintSource_.cacheKey() != source.cacheKey()) ++rebuilds_, made = true;
    }
    const bool reduces =
        devicePixels.width() < source.width() || devicePixels.height() < source.height();
    if (!reduces) {
        reduced_ = QImage();
        devicePixels_ = devicePixels;
        ratio_ = devicePixelRatio;
        return made;
    }
    if (devicePixels == devicePixels_ && devicePixelRatio == ratio_ && !reduced_.isNull()) return made;
    reduced_ = highQualityReduction(paintSource_, devicePixels);
    reduced_.setDevicePixelRatio(devicePixelRatio);
    devicePixels_ = devicePixels;
    ratio_ = devicePixelRatio;
    ++rebuilds_;
    return true;
}

void DisplayBitmapCache::clear() {
    sourceKey_ = 0;
    sourceSize_ = QSize();
    devicePixels_ = QSize();
    paintSource_ = QImage();
    reduced_ = QImage();
}
