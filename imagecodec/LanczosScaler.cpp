#include "imagecodec/LanczosScaler.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/VipsSupport.h"

#include <algorithm>

namespace {

struct Target {
    QImage* image;
};

// Copies computed tiles into the bitmap. Lanczos lobes can ring a colour channel above its alpha,
// which premultiplied pixels must never hold; the clamp is a no-op on opaque pixels.
int storeRegion(VipsRegion* region, VipsRect* area, void* a) {
    QImage& image = *static_cast<Target*>(a)->image;
    for (int y = area->top; y < area->top + area->height; ++y) {
        const auto* src = reinterpret_cast<const uchar*>(VIPS_REGION_ADDR(region, area->left, y));
        uchar* dst = image.scanLine(y) + area->left * 4;
        for (int x = 0; x < area->width; ++x, src += 4, dst += 4) {
            const uchar alpha = src[3];
            dst[0] = std::min(src[0], alpha);
            dst[1] = std::min(src[1], alpha);
            dst[2] = std::min(src[2], alpha);
            dst[3] = alpha;
        }
    }
    return 0;
}

} // namespace

std::optional<QImage> lanczosScaled(const QImage& image, int width, int height) {
    if (image.isNull() || width < 1 || height < 1 || !isDecodableSize(width, height)) return std::nullopt;
    if (!vipsio::ensureStarted()) return std::nullopt;

    QImage source = image.format() == QImage::Format_RGBA8888_Premultiplied
                        ? image
                        : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (source.isNull()) return std::nullopt;
    if (source.bytesPerLine() != static_cast<qsizetype>(source.width()) * 4) source = source.copy();

    // The bitmap's own memory, read in place: no copy of a 24 MP photo before scaling it.
    const size_t length = static_cast<size_t>(source.bytesPerLine()) * static_cast<size_t>(source.height());
    vipsio::Ref in(vips_image_new_from_memory(source.constBits(), length, source.width(), source.height(), 4,
                                              VIPS_FORMAT_UCHAR));
    if (!in) {
        vipsio::clearError();
        return std::nullopt;
    }
    const double hscale = static_cast<double>(width) / source.width();
    const double vscale = static_cast<double>(height) / source.height();
    vipsio::Ref scaled;
    if (vips_resize(in.get(), scaled.out(), hscale, "vscale", vscale, "kernel", VIPS_KERNEL_LANCZOS3, NULL) !=
        0) {
        vipsio::clearError();
        return std::nullopt;
    }
    // libvips rounds the output size itself; pin it to the exact request (at most a pixel off).
    if (scaled.get()->Xsize != width || scaled.get()->Ysize != height) {
        vipsio::Ref exact;
        if (vips_embed(scaled.get(), exact.out(), 0, 0, width, height, "extend", VIPS_EXTEND_COPY, NULL) !=
            0) {
            vipsio::clearError();
            return std::nullopt;
        }
        scaled = std::move(exact);
    }
    if (scaled.get()->Bands != 4 || scaled.get()->BandFmt != VIPS_FORMAT_UCHAR) return std::nullopt;

    QImage result(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (result.isNull()) return std::nullopt;
    Target target{&result};
    if (vips_sink_disc(scaled.get(), storeRegion, &target) != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    return result;
}
