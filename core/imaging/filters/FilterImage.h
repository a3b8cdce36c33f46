#pragma once

#include <QImage>
#include <QRectF>
#include <QTransform>
#include <array>
#include <memory>
#include <optional>

// A lazily evaluated image on the filter plane, whose y axis points up and whose origin is the
// bottom-left corner of a wrapped bitmap (the convention the imaging services' geometry is
// written in). Operations build a small tree; FilterContext::render evaluates it into pixels.
// Images may be infinite (a constant colour, an image clamped to its extent).
class FilterImage {
public:
    FilterImage() = default; // the empty image: extent null, renders as transparent

    // A bitmap as an image; its extent is (0, 0, width, height).
    static FilterImage wrap(const QImage& bitmap);
    // An infinite image of one colour; components are straight (not premultiplied) 0...1.
    static FilterImage constantColor(double red, double green, double blue, double alpha = 1.0);

    bool isEmpty() const { return !node_; }
    bool isInfinite() const;
    // The rectangle that holds every non-transparent pixel; infinite images report a huge rect.
    QRectF extent() const;

    // Affine transform on the y-up plane.
    FilterImage transformed(const QTransform& transform) const;
    // Crop to a rectangle (intersected with the extent: a crop never enlarges).
    FilterImage cropped(const QRectF& rect) const;
    // Repeats the edge pixels outward without end (so blurs don't darken at the borders).
    FilterImage clampedToExtent() const;
    // This image drawn over `background` (source-over).
    FilterImage composited(const FilterImage& background) const;

    struct Node;

private:
    explicit FilterImage(std::shared_ptr<const Node> node) : node_(std::move(node)) {}
    std::shared_ptr<const Node> node_;
    friend class FilterContext;
};

// Evaluates filter images into bitmaps (RGBA8 premultiplied sRGB, rows top to bottom).
// One context per service, reused for every render; it holds no per-image state.
class FilterContext {
public:
    // The pixels of `rect` (y-up plane, integral after rounding outward); nothing when the
    // rectangle is empty, non-finite or too large to allocate.
    std::optional<QImage> createImage(const FilterImage& image, const QRectF& rect) const;
};
