#include "core/imaging/filters/RadialGradient.h"

#include "core/common/ImageLimits.h"

#include <algorithm>
#include <cmath>

QImage radialRampMask(const QRect& region, QPointF centre, double radius0, double radius1) {
    if (region.isEmpty() || !isDecodableSize(region.width(), region.height())) return {};
    QImage mask(region.size(), QImage::Format_Grayscale8);
    if (mask.isNull()) return {};
    const double span = radius1 - radius0;
    for (int y = 0; y < region.height(); ++y) {
        uchar* line = mask.scanLine(y);
        const double dy = region.top() + y + 0.5 - centre.y();
        for (int x = 0; x < region.width(); ++x) {
            const double dx = region.left() + x + 0.5 - centre.x();
            const double d = std::hypot(dx, dy);
            double v;
            if (d <= radius0) v = 1;
            else if (span <= 0 || d >= radius1) v = 0;
            else v = 1 - (d - radius0) / span;
            line[x] = static_cast<uchar>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
        }
    }
    return mask;
}
