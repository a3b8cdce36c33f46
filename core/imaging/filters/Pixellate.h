#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <optional>

// Pixellation of an RGBA8 premultiplied bitmap clamped to its extent: square cells of `cellSize`
// pixels on a grid with a cell centred on `centre` (pixel coordinates, rows top to bottom), each
// cell filled with the mean of the pixels it covers (edge pixels repeated outward, so cells that
// reach past the border are not darkened). Returns the pixels of `region` only, a bitmap of its
// size; nothing for an empty region, a cell size below 1 or a region too large to allocate.
std::optional<QImage> pixellatedRegion(const QImage& image, double cellSize, QPointF centre, const QRect& region);
