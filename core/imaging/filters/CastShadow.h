#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <functional>

// A soft drop shadow the way 2D drawing frameworks cast one: the shape's coverage, moved by an
// offset, blurred with a Gaussian and laid under later drawing as a translucent colour.
struct ShadowStyle {
    QPointF offset;        // pixels, rows top to bottom (a positive y falls below the shape)
    double sigma = 0;      // standard deviation of the blur in pixels
    double alpha = 0;      // the shadow colour's alpha (0...1) where the shape is fully covered
    QColor color = Qt::black;
};

// Casts `shadow` of the shape that `paintShape` draws onto `target` (RGBA8 premultiplied). The
// callback paints in target pixel coordinates with any opaque or translucent colour; only the
// coverage it leaves counts, so a translucent shape casts a fainter shadow. `shapeBounds` must
// hold everything the callback paints. Large blurs are computed on a reduced mask (a wide
// Gaussian has no fine detail to lose), so the cost stays near that of the covered area.
// Pixels inside `hiddenArea` are left alone: the caller promises to cover them opaquely next.
// No painter may be active on the target during the call. Does nothing when the target is null
// or not RGBA8 premultiplied, the sigma or alpha are not finite, or the mask can't be allocated.
void castDropShadow(QImage& target, const QRectF& shapeBounds, const ShadowStyle& shadow,
                    const std::function<void(QPainter&)>& paintShape, const QRect& hiddenArea = {});

// The pixels castDropShadow may change for `shapeBounds` and `shadow` (before clipping to the
// target); none outside it.
QRect dropShadowArea(const QRectF& shapeBounds, const ShadowStyle& shadow);

// Gaussian blur of a float plane in place, the area outside it counting as zero (transparent),
// so a shape's blur fades out at the plane's border rather than smearing its edge pixels.
// Direct kernel for small sigmas, three running box passes per axis for larger ones.
void gaussianBlurZeroPadded(float* plane, int width, int height, double sigma);
