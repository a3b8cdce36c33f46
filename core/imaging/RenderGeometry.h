#pragma once

#include "core/imaging/SeparableStraighten.h"
#include "core/model/EditAdjustments.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <array>

// The geometry half of a render: flips, quarter turns, straightening and crop, in that order,
// as one map from each output pixel back to a source pixel. Flips and turns are integer
// permutations of pixels, and the crop a window of them, so without straightening pixels are
// copied exactly; straightening resamples with a Catmull-Rom bicubic filter.
//
// Everything here counts in pixels from the top-left corner, rows downwards. The recipe's crop
// is measured that way already; the filter plane's bottom-left origin mirrors y, which for
// flips, quarter turns (clockwise), straightening (positive degrees turn clockwise) and outward
// rounding to whole pixels gives the same pixels.
class RenderGeometry {
  public:
    RenderGeometry(QSize sourceSize, const EditAdjustments& adjustments, bool includeCrop);

    // Nothing moves: the output is the source frame itself.
    bool isIdentity() const { return identity_; }
    QSize outputSize() const { return output_; }
    // The source pixels the output reads (with the bicubic footprint), within the source.
    QRect sourceRegion() const { return region_; }

    // Builds the output from `colored` (RGBA8 premultiplied), source pixels whose top-left one
    // is `origin`; it must cover sourceRegion().
    QImage apply(const QImage& colored, QPoint origin) const;
    // The same for the output pixels `outputRegion` alone (within the output frame): the result
    // has the region's size and equals that part of apply()'s.
    QImage apply(const QImage& colored, QPoint origin, const QRect& outputRegion) const;
    // The source pixels that `outputRegion` reads, with the bicubic footprint, within the source.
    QRect sourceRegionFor(const QRect& outputRegion) const;

    bool straightens() const { return straighten_; }
    // The whole map as an affine one: output pixel (u, v) reads source pixel index
    // (a u + b v + c, d u + e v + f) counted from `origin`.
    separableStraighten::Map affineMap(QPoint origin) const;

  private:
    QPointF sourcePoint(double u, double v) const; // output pixel index -> source pixel index

    QSize source_;
    QSize turned_;
    // Source index = (a u + b v + c, d u + e v + f) for an index (u, v) of the turned frame.
    std::array<int, 6> map_{1, 0, 0, 0, 1, 0};
    bool straighten_ = false;
    double cosA_ = 1, sinA_ = 0, scale_ = 1;
    QRect crop_; // in the turned (and straightened) frame
    QSize output_;
    QRect region_;
    bool identity_ = true;
};
