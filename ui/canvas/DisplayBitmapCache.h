#pragma once

#include <QImage>
#include <QSize>

// The photo as the screen shows it: a high-quality reduction of the rendered image to the
// displayed size in device pixels, made once when the image or that size changes and then only
// copied to the screen (panning and repainting never scale again). When the photo is shown at
// or above its own pixel size nothing is reduced: the screen draws the source, converted once to
// the format the painter blends fastest.
class DisplayBitmapCache {
  public:
    // Brings the cache up to `source` shown at `devicePixels`. Returns true when it had to make a
    // new bitmap.
    bool update(const QImage& source, QSize devicePixels, double devicePixelRatio);
    void clear();

    // The reduced bitmap (its device pixel ratio set), or a null image when the photo is shown
    // at or above its size.
    const QImage& reduced() const { return reduced_; }
    // The source in the painter's native premultiplied format, for magnified drawing (a null
    // image while the photo is reduced).
    const QImage& paintSource() const { return paintSource_; }

    // How many bitmaps (reductions and conversions) the cache has made; tests count them to
    // prove that a pan or a repaint makes none.
    int rebuildCount() const { return rebuilds_; }

  private:
    qint64 sourceKey_ = 0;
    QSize sourceSize_;
    QSize devicePixels_;
    double ratio_ = 1;
    QImage source_;
    QImage paintSource_;
    QImage reduced_;
    int rebuilds_ = 0;
};

// A reduction that keeps detail without shimmer: 2 x 2 means down to under twice the size (a
// mipmap), then the exact area average of Qt's smooth scale. Lanczos would be a touch crisper
// but costs ten times as much, and the canvas makes a new bitmap for every slider step and markup
// stroke. Exactly `size`, in the painter's premultiplied format.
QImage highQualityReduction(const QImage& source, QSize size);
