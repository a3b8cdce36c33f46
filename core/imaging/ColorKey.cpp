#include "core/imaging/ColorKey.h"

#include <algorithm>
#include <cmath>

namespace {

int byteOf(double component) {
    // Rounded halves away from zero, as std::lround does; out-of-range components are limited.
    if (!std::isfinite(component)) return 0;
    return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

} // namespace

ColorKeyRadii ColorKeyRadii::forTolerance(double tolerance) {
    const double limited = std::isfinite(tolerance) ? std::clamp(tolerance, 0.0, 1.0) : 0.0;
    ColorKeyRadii radii;
    radii.inner = static_cast<int>(std::lround(limited * 441.67));
    radii.softness = std::max(static_cast<int>(radii.inner * 0.35), 12);
    radii.outer = radii.inner + radii.softness;
    return radii;
}

std::uint8_t ColorKeyRadii::rampValue(int d2) const {
    const double ramp = (std::sqrt(static_cast<double>(d2)) - inner) / softness * 255.0;
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(ramp), 0, 255));
}

std::optional<std::vector<std::uint8_t>> colorKeyMaskBytes(const QImage& image, const ColorKeyOptions& options) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
    const QImage pixels = image.format() == QImage::Format_RGBA8888_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pixels.isNull()) return std::nullopt;

    const int width = pixels.width();
    const int height = pixels.height();
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const int tr = byteOf(options.target.r);
    const int tg = byteOf(options.target.g);
    const int tb = byteOf(options.target.b);
    const ColorKeyRadii radii = ColorKeyRadii::forTolerance(options.tolerance);
    const int inner2 = radii.inner * radii.inner;
    const int outer2 = radii.outer * radii.outer;

    std::vector<std::uint8_t> mask;
    try {
        mask.assign(count, 255);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }

    auto distance2 = [&](int x, int y) {
        const uchar* p = pixels.constScanLine(y) + 4 * x;
        const int dr = p[0] - tr, dg = p[1] - tg, db = p[2] - tb;
        return dr * dr + dg * dg + db * db;
    };

    if (!options.contiguous) {
        for (int y = 0; y < height; ++y) {
            const uchar* row = pixels.constScanLine(y);
            std::uint8_t* out = mask.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                const int dr = row[4 * x] - tr, dg = row[4 * x + 1] - tg, db = row[4 * x + 2] - tb;
                const int d2 = dr * dr + dg * dg + db * db;
                out[x] = d2 <= inner2 ? 0 : d2 > outer2 ? 255 : radii.rampValue(d2);
            }
        }
        return mask;
    }

    // Breadth-first fill from the border. Subject pixels are never marked, so a region of
    // background colour enclosed by the subject stays opaque; ramp pixels are marked but not
    // expanded, so they only soften the rim of the filled region.
    std::vector<std::uint8_t> visited;
    std::vector<std::int64_t> work;
    try {
        visited.assign(count, 0);
        work.reserve(2 * static_cast<std::size_t>(width) + 2 * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    auto examine = [&](int x, int y) {
        const std::size_t index = static_cast<std::size_t>(y) * width + x;
        if (visited[index]) return;
        const int d2 = distance2(x, y);
        if (d2 > outer2) return;
        visited[index] = 1;
        if (d2 > inner2) {
            mask[index] = radii.rampValue(d2);
        } else {
            mask[index] = 0;
            work.push_back(static_cast<std::int64_t>(index));
        }
    };
    for (int x = 0; x < width; ++x) {
        examine(x, 0);
        examine(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        examine(0, y);
        examine(width - 1, y);
    }
    for (std::size_t next = 0; next < work.size(); ++next) {
        const int x = static_cast<int>(work[next] % width);
        const int y = static_cast<int>(work[next] / width);
        if (x > 0) examine(x - 1, y);
        if (x + 1 < width) examine(x + 1, y);
        if (y > 0) examine(x, y - 1);
        if (y + 1 < height) examine(x, y + 1);
    }
    return mask;
}

QImage maskBytesToImage(const std::vector<std::uint8_t>& mask, int width, int height) {
    if (width <= 0 || height <= 0 || mask.size() != static_cast<std::size_t>(width) * height) return {};
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return {};
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        const std::uint8_t* in = mask.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = in[x];
            out[4 * x + 3] = 255;
        }
    }
    return image;
}
