#include "ui/canvas/DisplayBitmapCache.h"

namespace {

QImage painterFormat(const QImage& image) {
    // The backing store is premultiplied ARGB32: any other format would be converted on every
    // paint, row by row.
    const QImage::Format target =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return image.format() == target ? image : image.convertToFormat(target);
}

// Four bytes a pixel, premultiplied or opaque: a plain mean of each byte is a correct mean of the
// colours, whatever the channel order.
bool averagesBytewise(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

// One level of a mipmap: each pixel the mean of a 2 x 2 block (an odd last row or column is
// dropped, half a source pixel at most).
QImage halved(const QImage& source) {
    const int w = source.width() / 2;
    const int h = source.height() / 2;
    QImage out(w, h, source.format());
    if (out.isNull()) return source;
    // Two channels at a time in 16-bit lanes of a 32-bit word: four bytes summed plus the
    // rounding term fit in 10 bits, so the lanes never spill into each other.
    constexpr quint32 kLanes = 0x00FF00FF;
    constexpr quint32 kRounding = 0x00020002;
    for (int y = 0; y < h; ++y) {
        const auto* a = reinterpret_cast<const quint32*>(source.constScanLine(2 * y));
        const auto* b = reinterpret_cast<const quint32*>(source.constScanLine(2 * y + 1));
        auto* o = reinterpret_cast<quint32*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 p0 = a[2 * x], p1 = a[2 * x + 1], p2 = b[2 * x], p3 = b[2 * x + 1];
            const quint32 even = (p0 & kLanes) + (p1 & kLanes) + (p2 & kLanes) + (p3 & kLanes) + kRounding;
            const quint32 odd = ((p0 >> 8) & kLanes) + ((p1 >> 8) & kLanes) + ((p2 >> 8) & kLanes) +
                                ((p3 >> 8) & kLanes) + kRounding;
            o[x] = ((even >> 2) & kLanes) | (((odd >> 2) & kLanes) << 8);
        }
    }
    return out;
}

} // namespace

QImage highQualityReduction(const QImage& source, QSize size) {
    if (source.isNull() || size.isEmpty()) return {};
    QImage image = averagesBytewise(source.format()) ? source : painterFormat(source);
    // Halving first reads the big bitmap once, cheaply, in its own format; the exact area
    // average then runs on a quarter of the pixels or fewer.
    while (image.width() >= 2 * size.width() && image.height() >= 2 * size.height() &&
           averagesBytewise(image.format()))
        image = halved(image);
    return painterFormat(painterFormat(image).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

bool DisplayBitmapCache::update(const QImage& source, QSize devicePixels, double devicePixelRatio) {
    if (source.isNull() || devicePixels.isEmpty()) {
        clear();
        return false;
    }
    if (source.cacheKey() != sourceKey_ || source.size() != sourceSize_) {
        sourceKey_ = source.cacheKey();
        sourceSize_ = source.size();
        source_ = source;
        paintSource_ = QImage();
        reduced_ = QImage();
        devicePixels_ = QSize();
    }
    const bool reduces = devicePixels.width() < source.width() || devicePixels.height() < source.height();
    if (!reduces) {
        // Magnified: the source itself is drawn, converted once (the reduction never needs it).
        reduced_ = QImage();
        devicePixels_ = devicePixels;
        ratio_ = devicePixelRatio;
        if (!paintSource_.isNull()) return false;
        paintSource_ = painterFormat(source_);
        if (paintSource_.cacheKey() == source_.cacheKey()) return false;
        ++rebuilds_;
        return true;
    }
    if (devicePixels == devicePixels_ && devicePixelRatio == ratio_ && !reduced_.isNull()) return false;
    reduced_ = highQualityReduction(source_, devicePixels);
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
    source_ = QImage();
    paintSource_ = QImage();
    reduced_ = QImage();
}
