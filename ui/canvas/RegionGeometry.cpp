#include "ui/canvas/RegionGeometry.h"

#include <algorithm>
#include <cmath>

namespace regiongeometry {

QSizeF layoutPixels(QSize previewPixels, QSize fullResolutionPixels, bool actualSize) {
    if (actualSize && !fullResolutionPixels.isEmpty()) return QSizeF(fullResolutionPixels);
    return QSizeF(previewPixels);
}

QRectF visibleUnitRect(const QRectF& stage, const QRectF& canvas) {
    if (stage.width() <= 0 || stage.height() <= 0) return {};
    const QRectF shown = stage.intersected(canvas);
    if (shown.isEmpty()) return {};
    return QRectF((shown.x() - stage.x()) / stage.width(), (shown.y() - stage.y()) / stage.height(),
                  shown.width() / stage.width(), shown.height() / stage.height());
}

QRectF onStage(const QRectF& unitRect, const QRectF& stage) {
    return QRectF(stage.x() + unitRect.x() * stage.width(), stage.y() + unitRect.y() * stage.height(),
                  unitRect.width() * stage.width(), unitRect.height() * stage.height());
}

QSize shownDevicePixels(const QRectF& stage, double devicePixelRatio) {
    const double dpr = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    return QSize(int(std::lround(stage.width() * dpr)), int(std::lround(stage.height() * dpr)));
}

} // namespace regiongeometry
