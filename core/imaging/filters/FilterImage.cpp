#include "core/imaging/filters/FilterImage.h"

#include "core/common/ImageLimits.h"

#include <QPainter>
#include <cmath>

namespace {
constexpr double kInfinite = 1e15;
const QRectF kInfiniteRect(-kInfinite / 2, -kInfinite / 2, kInfinite, kInfinite);
} // namespace

struct FilterImage::Node {
    enum class Kind { Bitmap, Constant, Transform, Crop, Clamp, Over } kind;
    QImage bitmap;                      // Bitmap
    std::array<double, 4> color{};      // Constant, straight alpha
    QTransform transform;               // Transform
    QRectF rect;                        // Crop
    std::shared_ptr<const Node> a, b;   // children (b: background of Over)
    QRectF extent;
    bool infinite = false;
};

FilterImage FilterImage::wrap(const QImage& bitmap) {
    if (bitmap.isNull()) return {};
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Bitmap;
    node->bitmap = bitmap.format() == QImage::Format_RGBA8888_Premultiplied
                       ? bitmap
                       : bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    node->extent = QRectF(0, 0, bitmap.width(), bitmap.height());
    return FilterImage(node);
}

FilterImage FilterImage::constantColor(double red, double green, double blue, double alpha) {
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Constant;
    node->color = {std::clamp(red, 0.0, 1.0), std::clamp(green, 0.0, 1.0), std::clamp(blue, 0.0, 1.0),
                   std::clamp(alpha, 0.0, 1.0)};
    node->extent = kInfiniteRect;
    node->infinite = true;
    return FilterImage(node);
}

bool FilterImage::isInfinite() const { return node_ && node_->infinite; }

QRectF FilterImage::extent() const { return node_ ? node_->extent : QRectF(); }

FilterImage FilterImage::transformed(const QTransform& transform) const {
    if (!node_ || !transform.isInvertible()) return {};
    if (transform.isIdentity()) return *this;
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Transform;
    node->transform = transform;
    node->a = node_;
    node->infinite = node_->infinite;
    node->extent = node_->infinite ? kInfiniteRect : transform.mapRect(node_->extent);
    return FilterImage(node);
}

FilterImage FilterImage::cropped(const QRectF& rect) const {
    if (!node_) return {};
    const QRectF area = node_->extent.intersected(rect);
    if (area.isEmpty()) return {};
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Crop;
    node->rect = area;
    node->a = node_;
    node->extent = area;
    return FilterImage(node);
}

FilterImage FilterImage::clampedToExtent() const {
    if (!node_ || node_->infinite) return *this;
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Clamp;
    node->a = node_;
    node->rect = node_->extent;
    node->extent = kInfiniteRect;
    node->infinite = true;
    return FilterImage(node);
}

FilterImage FilterImage::composited(const FilterImage& background) const {
    if (!node_) return background;
    if (!background.node_) return *this;
    auto node = std::make_shared<Node>();
    node->kind = Node::Kind::Over;
    node->a = node_;
    node->b = background.node_;
    node->infinite = node_->infinite || background.node_->infinite;
    node->extent = node->infinite ? kInfiniteRect : node_->extent.united(background.node_->extent);
    return FilterImage(node);
}

namespace {

// Draws `node` into `target` (whose pixel (0,0) is the top-left of `area` on the y-up plane),
// with `world` the accumulated transform from the node's plane to the target's plane.
void draw(const FilterImage::Node& node, QImage& target, const QRectF& area, const QTransform& world,
          const std::optional<QRectF>& clip);

// Target pixel coordinates from plane coordinates: x - left, top - y.
QTransform planeToPixels(const QRectF& area) {
    return QTransform(1, 0, 0, -1, -area.left(), area.top() + area.height());
}

void drawClamp(const FilterImage::Node& node, QImage& target, const QRectF& area, const QTransform& world,
               const std::optional<QRectF>& clip) {
    // Render the child's own extent once, then sample it with clamped coordinates for every
    // target pixel (nearest neighbour: the edge replication is the point, not interpolation).
    const QRectF inner = node.rect;
    const QRect innerPixels = inner.toAlignedRect();
    QImage source(innerPixels.width(), innerPixels.height(), QImage::Format_RGBA8888_Premultiplied);
    if (source.isNull()) return;
    source.fill(Qt::transparent);
    draw(*node.a, source, QRectF(innerPixels), QTransform(), std::nullopt);
    bool invertible = false;
    const QTransform toPlane = world.inverted(&invertible);
    if (!invertible) return;
    const QTransform pixelsToPlane = planeToPixels(area).inverted();
    for (int y = 0; y < target.height(); ++y) {
        auto* row = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const QPointF planeOut = pixelsToPlane.map(QPointF(x + 0.5, y + 0.5));
            if (clip && !clip->contains(planeOut)) continue;
            const QPointF p = toPlane.map(planeOut);
            const int sx = std::clamp(static_cast<int>(std::floor(p.x() - innerPixels.left())), 0, source.width() - 1);
            const int sy = std::clamp(static_cast<int>(std::floor(innerPixels.top() + innerPixels.height() - p.y())), 0,
                                      source.height() - 1);
            row[x] = reinterpret_cast<const quint32*>(source.constScanLine(sy))[sx];
        }
    }
}

void draw(const FilterImage::Node& node, QImage& target, const QRectF& area, const QTransform& world,
          const std::optional<QRectF>& clip) {
    using Kind = FilterImage::Node::Kind;
    switch (node.kind) {
    case Kind::Bitmap: {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, !world.isIdentity() && world.type() > QTransform::TxTranslate);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (clip) {
            painter.setTransform(planeToPixels(area));
            painter.setClipRect(*clip);
        }
        // The bitmap's rows run top to bottom; on the plane its top row sits at y = height.
        const QTransform bitmapToPlane(1, 0, 0, -1, 0, node.bitmap.height());
        painter.setTransform(bitmapToPlane * world * planeToPixels(area));
        painter.drawImage(QPointF(0, 0), node.bitmap);
        break;
    }
    case Kind::Constant: {
        QPainter painter(&target);
        const QColor color = QColor::fromRgbF(float(node.color[0]), float(node.color[1]), float(node.color[2]),
                                              float(node.color[3]));
        painter.setTransform(planeToPixels(area));
        painter.fillRect(clip ? *clip : area, color);
        break;
    }
    case Kind::Transform:
        draw(*node.a, target, area, node.transform * world, clip ? std::optional<QRectF>(clip) : std::nullopt);
        break;
    case Kind::Crop: {
        const QRectF cropOnTarget = world.mapRect(node.rect);
        const QRectF combined = clip ? clip->intersected(cropOnTarget) : cropOnTarget;
        if (combined.isEmpty()) break;
        // Clips are expressed on the target's plane; crops under rotations are approximated by
        // their bounding box, which is exact for the axis-aligned geometry the services use.
        draw(*node.a, target, area, world, combined);
        break;
    }
    case Kind::Clamp:
        drawClamp(node, target, area, world, clip);
        break;
    case Kind::Over:
        draw(*node.b, target, area, world, clip);
        draw(*node.a, target, area, world, clip);
        break;
    }
}

} // namespace

std::optional<QImage> FilterContext::createImage(const FilterImage& image, const QRectF& rect) const {
    if (!rect.isValid() || !std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width()) ||
        !std::isfinite(rect.height()))
        return std::nullopt;
    const QRect pixels = rect.toAlignedRect();
    if (!isDecodableSize(pixels.width(), pixels.height())) return std::nullopt;
    QImage out(pixels.width(), pixels.height(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull()) return std::nullopt;
    out.fill(Qt::transparent);
    if (image.node_) draw(*image.node_, out, QRectF(pixels), QTransform(), std::nullopt);
    return out;
}
