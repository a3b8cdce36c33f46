#pragma once

#include "core/model/NormalizedCropRect.h"
#include "core/model/NormalizedPoint.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <optional>

// The canvas's arithmetic, apart from any pixels: how big the photo is shown, where the stage
// sits, how a pointer position becomes a unit point, and how the crop handles move the crop.
// Every measure is in points (logical pixels) unless a name says device pixels.
namespace canvasgeometry {

// The margin the fitted photo keeps on each side, and the smallest fitted side.
inline constexpr double kFitMargin = 22;
inline constexpr double kMinimumFittedSide = 80;
inline constexpr double kCheckerSquare = 12;
inline constexpr double kMinimumCropSide = 0.05;
inline constexpr double kMinimumSplit = 0.03;
inline constexpr double kMaximumSplit = 0.97;
inline constexpr double kMinimumPinchZoom = 0.15;
inline constexpr double kMaximumPinchZoom = 12;
// A pan starts once the pointer has moved this far from the press.
inline constexpr double kPanThreshold = 10;

// min(max(W - 44, 80) / iw, max(H - 44, 80) / ih), each image side taken as at least 1.
double fitFactor(QSizeF canvas, QSizeF image);

// The photo's size on screen. Fitted, times the zoom; in actual-size mode one image pixel per
// device pixel, so the image side in points is its pixel count over the device pixel ratio.
QSizeF displayedSize(QSizeF canvas, QSizeF imagePixels, double zoomScale, bool actualSize,
                     double devicePixelRatio);

// The stage centred in the canvas and shifted by the pan, its corner on the device pixel grid
// (and its size a whole number of device pixels) so that a bitmap made for it lands pixel for
// pixel.
QRectF stageRect(QSizeF canvas, QSizeF displayed, QSizeF panOffset, double devicePixelRatio);

// A stage location to the unit point: each coordinate over its side (a side under 1 counts as
// 1), clamped to 0...1.
NormalizedPoint unitPoint(QPointF stageLocation, QSizeF stageSize);

// The compare split as shown and as set by a drag: limited to 0.03...0.97.
double clampedSplit(double split);

// The pinch's magnification as the zoom: limited to 0.15...12.
double pinchZoom(double magnification);

// The number of 12-point checker squares across a length (the last one may be cut).
int checkerboardCount(double length);

enum class CropHandle { topLeft, top, topRight, right, bottomRight, bottom, bottomLeft, left };
inline constexpr std::array kCropHandles{
    CropHandle::topLeft,     CropHandle::top,    CropHandle::topRight,   CropHandle::right,
    CropHandle::bottomRight, CropHandle::bottom, CropHandle::bottomLeft, CropHandle::left};

// The crop after dragging a handle to the unit point: the dragged edges follow the pointer but
// stop 0.05 short of the opposite edges; the result goes through the clamping constructor.
NormalizedCropRect dragCropHandle(CropHandle handle, const NormalizedCropRect& crop, NormalizedPoint pointer);

// The crop rectangle on a stage of the given size.
QRectF cropRectOnStage(const NormalizedCropRect& crop, QSizeF stageSize);
// Where a handle is drawn: 16-point squares at the corners, 12-point ones at the edge middles.
QRectF cropHandleRect(CropHandle handle, const QRectF& cropOnStage);
// The handle under a stage location. Handles are small to look at but are grabbed from a
// larger area (the nearest wins), since a 12-point target is hard to hit.
std::optional<CropHandle> cropHandleAt(QPointF stageLocation, const QRectF& cropOnStage);

} // namespace canvasgeometry
