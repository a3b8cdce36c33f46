#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>

// Where the full-resolution region meets the canvas. The stage shows the whole image; unit
// coordinates (0...1 across it) are the one measure shared by the preview, the region, markup,
// the crop and the eyedropper, so switching between the preview and the region moves nothing.
namespace regiongeometry {

// The pixel size the stage is laid out from: in actual-size mode the full-resolution image's
// (one of its pixels per device pixel), otherwise the preview's (a fitted view only needs the
// shape, which both share).
QSizeF layoutPixels(QSize previewPixels, QSize fullResolutionPixels, bool actualSize);

// The part of the stage inside the canvas, in unit coordinates of the stage (empty when the
// stage is wholly outside).
QRectF visibleUnitRect(const QRectF& stage, const QRectF& canvas);

// A unit rectangle of the image placed on the stage, in the stage's widget coordinates.
QRectF onStage(const QRectF& unitRect, const QRectF& stage);

// The whole stage in device pixels, the measure the editor compares with the preview's pixels.
QSize shownDevicePixels(const QRectF& stage, double devicePixelRatio);

} // namespace regiongeometry
