#pragma once

#include "core/model/NormalizedCropRect.h"

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// The painted layers of the canvas besides the photo itself. Each draws in widget coordinates;
// none scales a bitmap of the photo.
namespace canvaslayers {

// 12-point squares starting at `origin`, filling `area`: light style 0.94 / 0.78 grey, dark
// style 0.18 / 0.25 grey.
void paintCheckerboard(QPainter& painter, const QRectF& area, QPointF origin, bool lightStyle,
                       double devicePixelRatio);

// The stage's drop shadow: black at opacity 0.45, blur radius 18, 8 points down. The blurred
// edges are made once per device pixel ratio as a nine-patch and only stretched along the sides
// afterwards, so a paint costs the border strip, not a blur.
class StageShadow {
  public:
    void paint(QPainter& painter, const QRectF& stage, double devicePixelRatio);

  private:
    void make(double devicePixelRatio);
    QImage tile_;
    double ratio_ = 0;
    int padPixels_ = 0;
};

// Darkens the photo outside the crop, outlines it, draws the thirds and the eight handles.
void paintCropOverlay(QPainter& painter, const QRectF& stage, const NormalizedCropRect& crop);

// The compare split: the white line with its soft shadow, the round handle and the two labels
// (kept inside `visible` when the photo is larger than the canvas).
void paintCompareSplit(QPainter& painter, const QRectF& stage, double splitX, const QRectF& visible,
                       const QString& before, const QString& after);

} // namespace canvaslayers
