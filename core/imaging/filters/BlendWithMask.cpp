#include "core/imaging/filters/BlendWithMask.h"

#include <QColorSpace>

QImage blendWithMask(const QImage& input, const QImage& background, const QImage& mask) {
    if (input.isNull() || input.size() != background.size() || input.size() != mask.size()) return {};
    const QImage in = input.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage m = mask.convertToFormat(QImage::Format_Grayscale8);
    QImage out = background.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (in.isNull() || m.isNull() || out.isNull()) return {};
    for (int y = 0; y < out.height(); ++y) {
        const uchar* s = in.constScanLine(y);
        const uchar* k = m.constScanLine(y);
        uchar* d = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x) {
            const unsigned w = k[x];
            if (w == 0) continue;
            for (int c = 0; c < 4; ++c)
                d[x * 4 + c] = static_cast<uchar>((s[x * 4 + c] * w + d[x * 4 + c] * (255 - w) + 127) / 255);
        }
    }
    return out;
}
