#pragma once

#include <QRect>
#include <cstdint>
#include <memory>
#include <new>

// A render's working image over a region of its source (red, green and blue, sRGB-encoded and
// not premultiplied) as half floats: each row is three runs of `region.width()` values. Alpha
// is not kept; it is the source's own.
struct HalfPlanes {
    QRect region;
    bool opaque = false; // every alpha of the source known to be 255 (false when not known)
    std::unique_ptr<std::uint16_t[]> data;

    // Null when memory runs out.
    static HalfPlanes allocate(const QRect& region) {
        HalfPlanes p;
        if (region.isEmpty()) return p;
        p.data.reset(new (std::nothrow) std::uint16_t[size_t(region.width()) * region.height() * 3]);
        if (p.data) p.region = region;
        return p;
    }
    bool isNull() const { return !data; }
    qint64 bytes() const { return isNull() ? 0 : qint64(region.width()) * region.height() * 3 * 2; }
    // Component c of row j (counted from the region's top).
    std::uint16_t* row(int j, int c) { return data.get() + (size_t(j) * 3 + c) * region.width(); }
    const std::uint16_t* row(int j, int c) const { return data.get() + (size_t(j) * 3 + c) * region.width(); }
};
