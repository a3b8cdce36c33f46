#include "ui/canvas/CanvasGeometry.h"

#include <algorithm>
#include <cmath>

namespace canvasgeometry {
namespace {

double clampUnit(double v) {
    if (!std::isfinite(v)) return 0;
    return std::clamp(v, 0.0, 1.0);
}

double usableRatio(double devicePixelRatio) {
    return std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
}

// Handles are grabbed within this distance of their centre.
constexpr double kHandleGrabRadius = 18;

} // namespace

double fitFactor(QSizeF canvas, QSizeF image) {
    const double iw = std::max(image.width(), 1.0);
    const double ih = std::max(image.height(), 1.0);
    const double aw = std::max(canvas.width() - 2 * kFitMargin, kMinimumFittedSide);
    const double ah = std::max(canvas.height() - 2 * kFitMargin, kMinimumFittedSide);
    return std::min(aw / iw, ah / ih);
}

QSizeF displayedSize(QSizeF canvas, QSizeF imagePixels, double zoomScale, bool actualSize,
                     double devicePixelRatio) {
    const QSizeF image(std::max(imagePixels.width(), 1.0), std::max(imagePixels.height(), 1.0));
    const double f = actualSize ? 1.0 / usableRatio(devicePixelRatio) : fitFactor(canvas, image);
    const double zoom = std::isfinite(zoomScale) && zoomScale > 0 ? zoomScale : 1.0;
    return {image.width() * f * zoom, image.height() * f * zoom};
}

QRectF stageRect(QSizeF canvas, QSizeF displayed, QSizeF panOffset, double devicePixelRatio) {
    const double dpr = usableRatio(devicePixelRatio);
    const double w = std::max(1.0, std::round(displayed.width() * dpr)) / dpr;
    const double h = std::max(1.0, std::round(displayed.height() * dpr)) / dpr;
    const double pw = std::isfinite(panOffset.width()) ? panOffset.width() : 0;
    const double ph = std::isfinite(panOffset.height()) ? panOffset.height() : 0;
    const double x = std::round(((canvas.width() - w) / 2 + pw) * dpr) / dpr;
    const double y = std::round(((canvas.height() - h) / 2 + ph) * dpr) / dpr;
    return {x, y, w, h};
}

NormalizedPoint unitPoint(QPointF stageLocation, QSizeF stageSize) {
    const double w = stageSize.width() >= 1 ? stageSize.width() : 1;
    const double h = stageSize.height() >= 1 ? stageSize.height() : 1;
    return {clampUnit(stageLocation.x() / w), clampUnit(stageLocation.y() / h)};
}

double clampedSplit(double split) {
    if (!std::isfinite(split)) return 0.5;
    return std::clamp(split, kMinimumSplit, kMaximumSplit);
}

double pinchZoom(double magnification) {
    if (!std::isfinite(magnification)) return 1.0;
    return std::clamp(magnification, kMinimumPinchZoom, kMaximumPinchZoom);
}

int checkerboardCount(double length) {
    if (!std::isfinite(length) || length <= 0) return 0;
    return static_cast<int>(std::ceil(length / kCheckerSquare));
}

NormalizedCropRect dragCropHandle(CropHandle handle, const NormalizedCropRect& crop,
                                  NormalizedPoint pointer) {
    const double x = crop.x, y = crop.y, rw = crop.width, rh = crop.height;
    const double px = pointer.x, py = pointer.y;
    const double left = std::min(px, x + rw - kMinimumCropSide);
    const double top = std::min(py, y + rh - kMinimumCropSide);
    const double rightWidth = std::max(px, x + kMinimumCropSide) - x;
    const double bottomHeight = std::max(py, y + kMinimumCropSide) - y;
    switch (handle) {
    case CropHandle::topLeft:
        return NormalizedCropRect(left, top, x + rw - left, y + rh - top);
    case CropHandle::topRight:
        return NormalizedCropRect(x, top, rightWidth, y + rh - top);
    case CropHandle::bottomLeft:
        return NormalizedCropRect(left, y, x + rw - left, bottomHeight);
    case CropHandle::bottomRight:
        return NormalizedCropRect(x, y, rightWidth, bottomHeight);
    case CropHandle::top:
        return NormalizedCropRect(x, top, rw, y + rh - top);
    case CropHandle::bottom:
        return NormalizedCropRect(x, y, rw, bottomHeight);
    case CropHandle::left:
        return NormalizedCropRect(left, y, x + rw - left, rh);
    case CropHandle::right:
        return NormalizedCropRect(x, y, rightWidth, rh);
    }
    return crop;
}

QRectF cropRectOnStage(const NormalizedCropRect& crop, QSizeF stageSize) {
    return {crop.x * stageSize.width(), crop.y * stageSize.height(), crop.width * stageSize.width(),
            crop.height * stageSize.height()};
}

QRectF cropHandleRect(CropHandle handle, const QRectF& r) {
    QPointF centre;
    bool corner = true;
    switch (handle) {
    case CropHandle::topLeft:
        centre = r.topLeft();
        break;
    case CropHandle::topRight:
        centre = r.topRight();
        break;
    case CropHandle::bottomLeft:
        centre = r.bottomLeft();
        break;
    case CropHandle::bottomRight:
        centre = r.bottomRight();
        break;
    case CropHandle::top:
        centre = {r.center().x(), r.top()}, corner = false;
        break;
    case CropHandle::bottom:
        centre = {r.center().x(), r.bottom()}, corner = false;
        break;
    case CropHandle::left:
        centre = {r.left(), r.center().y()}, corner = false;
        break;
    case CropHandle::right:
        centre = {r.right(), r.center().y()}, corner = false;
        break;
    }
    const double side = corner ? 16 : 12;
    return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

std::optional<CropHandle> cropHandleAt(QPointF p, const QRectF& cropOnStage) {
    std::optional<CropHandle> best;
    double bestDistance = kHandleGrabRadius;
    for (CropHandle handle : kCropHandles) {
        const QPointF c = cropHandleRect(handle, cropOnStage).center();
        // Corners win ties: on a small crop the edge middles crowd them.
        const bool corner = handle == CropHandle::topLeft || handle == CropHandle::topRight ||
                            handle == CropHandle::bottomLeft || handle == CropHandle::bottomRight;
        const double d = std::hypot(p.x() - c.x(), p.y() - c.y()) - (corner ? 0.5 : 0);
        if (d <= bestDistance) {
            bestDistance = d;
            best = handle;
        }
    }
    return best;
}

} // namespace canvasgeometry
