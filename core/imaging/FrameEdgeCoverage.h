#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <vector>

// The screenshot frame's card edge as coverage: where the photo shows through the antialiased
// rounded outline, and where the translucent hairline lies over the outline. Kept as runs of
// pixels, each with the two coverages, so laying a photo into the frame blends only the thin
// ring around the photo and copies every other pixel. The coverages are the ones a raster
// painter gives the two paths, found once for a frame's geometry; blending with them gives what
// painting the photo through the outline and stroking the hairline over it give, to the
// rounding of a level.
class FrameEdgeCoverage {
  public:
    // A pixel's entry: the photo's coverage (0...255), then the hairline layer's premultiplied
    // RGBA pixel.
    static constexpr int kBytes = 5;
    struct Run {
        int y = 0;
        int x = 0;
        int length = 0;
        size_t offset = 0; // into the coverages: kBytes a pixel
        bool full = false; // the photo covers these fully, no hairline: no coverages kept
    };

    FrameEdgeCoverage() = default;
    // `photoArea` is filled and `outline` stroked with `hairline`, both antialiased, in
    // canvas pixels; only pixels inside `bounds` count. Inside `interior` the photo is copied
    // already: pixels there are kept only where the hairline reaches them. `photoArea` must
    // cover `interior` entirely.
    FrameEdgeCoverage(const QPainterPath& photoArea, const QPainterPath& outline, const QPen& hairline,
                      const QRect& bounds, const QRect& interior);

    // The runs of canvas row `y`, left to right.
    std::pair<const Run*, const Run*> row(int y) const;
    // Whether every pixel of `count` RGBA8 pixels is opaque.
    static bool opaque(const uchar* pixels, int count);
    // Copies `count` RGBA8 pixels and tells whether every one was opaque: one read of the pixels
    // where checking and then copying takes two.
    static bool copyOpaque(uchar* to, const uchar* from, int count);
    // Blends row `y` of the paths' coordinates into `row`, a canvas row of `rowWidth` RGBA8
    // premultiplied pixels on which column x of the paths is column x + shiftX. The row holds the
    // backdrop, with the photo copied inside the interior; `photoRow` is the photo's row y (null
    // when the photo has none), its column x at the paths' x: the paths are drawn in the photo's
    // own coordinates, so one edge serves every canvas the photo is centred on.
    void blendRow(int y, uchar* row, int rowWidth, int shiftX, const uchar* photoRow, int photoWidth) const;

    qint64 bytes() const;

  private:
    struct Piece {
        std::vector<Run> runs;
        std::vector<uchar> coverage;
    };
    // The runs of one rectangle of the ring.
    static Piece addStrip(const QPainterPath& photoArea, const QPainterPath& outline, const QPen& hairline,
                          const QRect& strip, const QRect& interior);

    std::vector<Run> runs_;
    std::vector<uchar> coverage_;
    std::vector<int> rowStart_; // runs of row y: [rowStart_[y - top_], rowStart_[y - top_ + 1])
    int top_ = 0;
};
