#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>

// A radial ramp as an 8-bit mask over `region` (pixel coordinates, rows top to bottom): 255
// (colour0, opaque white) up to `radius0` from `centre`, 0 (colour1, clear) from `radius1` on,
// linear in the distance between. Distances are measured to pixel centres. A null image for an
// empty region; radius1 ≤ radius0 gives a hard edge at radius0.
QImage radialRampMask(const QRect& region, QPointF centre, double radius0, double radius1);
