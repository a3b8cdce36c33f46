#pragma once

#include "core/imaging/ColorTableMemo.h"
#include "core/imaging/HalfPlanes.h"
#include "core/imaging/PlanarBytes.h"
#include "core/imaging/filters/BlurredLuminance.h"
#include "core/imaging/filters/ColorLut3D.h"
#include "core/imaging/filters/PixelRow.h"

#include <QImage>
#include <QRect>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

// The colour half of a render: an ordered chain of per-pixel steps over the working space
// (float, unpremultiplied, sRGB-encoded), executed as fused passes over row bands.
//
// Steps come in three kinds. Colour steps depend on nothing but the pixel's colour; each run
// of them is baked into one 33³ table, so the run costs one lookup per pixel whatever its
// length. Position steps (vignette, grain) also read the pixel's place. Detail steps read the
// blurred luminance of their own input; for each of them one extra pass evaluates the chain up
// to that step, keeps only the (possibly reduced) luminance plane, and blurs it. The final pass
// then runs the whole chain from the 8-bit source once more and writes 8-bit output. Nothing
// but the planes outlives a band, so memory stays near the source and output bitmaps.
class RenderPlan {
  public:
    // A colour step over arrays of components (see ColorLut3D::RowTransform).
    using ColorStep = ColorLut3D::RowTransform;
    using DetailStep = std::function<void(PixelRow&, const float* blurred)>;
    using PositionStep = std::function<void(PixelRow&)>;

    // `key`, when given, names the step exactly (its kind and every parameter value, see
    // colorKey): a run of keyed steps is baked once and its table reused by later renders.
    void addColor(ColorStep step, std::optional<colorTableMemo::Key> key = {});
    // A step written per pixel.
    void addColor(ColorLut3D::Transform step);
    // A prepared table (the film looks) joins the colour run it falls in; `key` as for addColor.
    void addTable(const ColorLut3D* table, std::optional<colorTableMemo::Key> key = {});
    // A key for a colour step: `kind` tells the steps apart, `values` are its parameters.
    static colorTableMemo::Key colorKey(int kind, std::initializer_list<double> values);
    // `sigma`: blur of the luminance the step reads, in pixels of the image being rendered.
    // `sparse`: the step only steers a tone curve and may read a coarser mask.
    // `lumaGain`: given when the step does nothing but add k·(luma − blurred) to each of red,
    // green and blue, unclamped. The luma after it is then (1 + k)·luma − k·blurred (the luma
    // weights sum to 1), so with a kept working image a detail step right after it builds its
    // plane from this step's planes, with no pass over the image.
    void addDetail(double sigma, bool sparse, DetailStep step, std::optional<float> lumaGain = {});
    void addPosition(PositionStep step);

    bool isEmpty() const { return items_.empty(); }

    // For a render of a window cut from a larger frame: the window's top-left pixel sits at
    // `origin` of a frame of `size`. Position steps (vignette, grain) then place each pixel on
    // that frame, so a window renders as the same pixels of the whole frame would. Neighbourhood
    // steps still read only the window: give it margin() pixels more on every side than the
    // pixels wanted, and a corner on a multiple of alignment().
    void setFrame(QPoint origin, QSize size) {
        frameOrigin_ = origin;
        frameSize_ = size;
    }
    // How far, in pixels, the detail steps together reach from a pixel: beyond it a window's
    // edge changes nothing.
    int margin() const;
    // The block size every reduced luminance plane samples on; a window whose corner lies on a
    // multiple of it samples the same blocks as the whole frame.
    int alignment() const;

    // The largest source, in pixels, whose working image may be kept as floats between passes
    // (12 bytes a pixel) and whose planes may take more memory for speed; larger ones are
    // recomputed from the 8-bit source in each pass, with compact planes. The result is the
    // same either way, to the rounding of a level.
    void setKeptPixelLimit(qint64 pixels) { keptPixelLimit_ = pixels; }

    // Runs the chain over `region` of `source` (RGBA8 premultiplied); the result has the
    // region's size. Neighbourhoods are read from the whole source, so a region renders exactly
    // as the same pixels of a full render would. `reuse`, when given, is the source itself
    // (sole owner, region the whole frame): each row of the result then replaces the row it
    // came from (the last pass reads nothing but its own row) and the image is moved out of it.
    //
    // A render that canKeep() (a preview with detail steps) rounds its working image to half
    // floats at the input of the trailing position steps (vignette, grain): one resumed from that
    // image then gives the same bytes as one from the source. `keep`, when given, receives it
    // (null if memory runs out). Other renders don't round.
    QImage render(const QImage& source, const QRect& region, QImage* reuse = nullptr, HalfPlanes* keep = nullptr);
    // The same result stored by component; null if memory runs out.
    PlanarBytes renderPlanar(const QImage& source, const QRect& region, HalfPlanes* keep = nullptr);
    // Whether a render of a source of `size` can keep its working image before the trailing
    // position steps for a later resume: the source is within the kept-pixel limit (only such
    // renders round there), every position step trails the chain, and a detail step comes
    // before them (without one the kept image would save no more than the decode and a lookup).
    bool canKeep(QSize size) const;
    // The render of `kept.region` from the image a render of the same source kept with a plan
    // whose steps before its trailing position steps were these: only the position steps run.
    QImage resume(const QImage& source, const HalfPlanes& kept);
    PlanarBytes resumePlanar(const QImage& source, const HalfPlanes& kept);

  private:
    struct Item {
        enum class Kind { Color, Table, Detail, Position } kind = Kind::Color;
        ColorStep color;
        std::optional<colorTableMemo::Key> key;
        const ColorLut3D* table = nullptr;
        double sigma = 0;
        bool sparse = false;
        DetailStep detail;
        std::optional<float> lumaGain;
        PositionStep position;
    };
    struct Op {
        const ColorLut3D* table = nullptr; // colour run
        DetailStep detail;
        std::optional<float> lumaGain;
        int plane = -1;
        PositionStep position;
    };

    // `keep`: a preview-sized render, whose planes may trade memory for speed.
    void compile(int width, int height, bool keep);
    // The passes; the last hands each finished row of the region (row index from its top) to
    // `deliver`, from several threads at once.
    void run(const QImage& source, const QRect& region,
             const std::function<void(int, const PixelRow&)>& deliver, HalfPlanes* keep);
    void runFrom(const QImage& source, const HalfPlanes& kept,
                 const std::function<void(int, const PixelRow&)>& deliver);
    // The index of the first of the items that end the chain and are all position steps.
    size_t trailingPositions() const;
    // `luma`, when given, receives the luma of the row's result (row.count values).
    void runOps(PixelRow& row, int begin, int end, std::vector<float>& blurred, float* luma = nullptr) const;

    std::vector<Item> items_;
    qint64 keptPixelLimit_ = 6'000'000;
    QPoint frameOrigin_;
    QSize frameSize_; // empty: the source is the frame
    std::vector<Op> ops_;
    std::vector<std::shared_ptr<const ColorLut3D>> tables_;
    std::vector<std::unique_ptr<BlurredLuminance>> planes_;
};
