#include "core/imaging/filters/DropShadow.h"

#include "core/files/imageio/ImageLimits.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"

#include <cmath>

void drawDropShadow(QPainter& painter, const QPainterPath& path, QPointF offset, double blur, const QColor& color) {
    if (path.isEmpty() || color.alpha() == 0 || !std::isfinite(blur)) return;
    const QTransform world = painter.worldTransform();
    const QPainterPath devicePath = world.map(path);
    const double sigma = std::max(blur, 0.0) / 2;
    const int margin = static_cast<int>(std::ceil(3 * sigma)) + 2;
    QRect area = devicePath.boundingRect().toAlignedRect().adjusted(-margin, -margin, margin, margin);
    // Only the part that can land on the target matters (a badge half off the edge).
    if (const QPaintDevice* device = painter.device())
        area = area.intersected(QRect(-margin, -margin, device->width() + 2 * margin, device->height() + 2 * margin)
                                    .translated(-offset.toPoint()));
    if (area.isEmpty() || !isDecodableSize(area.width(), area.height())) return;

    QImage layer(area.size(), QImage::Format_RGBA8888_Premultiplied);
    if (layer.isNull()) return;
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-area.topLeft());
        p.fillPath(devicePath, color);
    }
    // The layer's border is transparent margin, so clamping its edges adds nothing.
    const QImage soft = sigma > 0 ? clampedGaussianBlur(layer, sigma) : layer;
    painter.save();
    painter.resetTransform();
    painter.drawImage(QPointF(area.topLeft()) + offset, soft);
    painter.restore();
}
