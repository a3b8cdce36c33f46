#pragma once

#include <QSize>
#include <cstdint>
#include <memory>
#include <new>

// An RGBA8 premultiplied picture stored by component: each row is four runs of `width` bytes
// (red, green, blue, alpha). A resampler whose taps differ from pixel to pixel reads eight
// neighbouring values of one component with one load, instead of taking interleaved pixels
// apart.
struct PlanarBytes {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint8_t[]> data;
    bool opaque = false; // every alpha 255: resamplers may skip the alpha plane

    static PlanarBytes allocate(QSize size) {
        PlanarBytes p;
        if (size.isEmpty()) return p;
        p.data.reset(new (std::nothrow) std::uint8_t[size_t(size.width()) * size.height() * 4]);
        if (p.data) {
            p.width = size.width();
            p.height = size.height();
        }
        return p;
    }
    bool isNull() const { return !data; }
    std::uint8_t* plane(int y, int component) { return data.get() + (size_t(y) * 4 + component) * width; }
    const std::uint8_t* plane(int y, int component) const {
        return data.get() + (size_t(y) * 4 + component) * width;
    }
};
