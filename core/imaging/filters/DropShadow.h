#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

// A soft shadow of a filled shape, the way a 2D context's shadow state draws one: the shape is
// filled in `color` into a private layer, blurred (Gaussian, sigma = blur / 2), and composited
// under the current transform of `painter` at `offset` (device pixels). Draws nothing for an
// empty path or a fully transparent colour. The caller then draws the shape itself on top.
void drawDropShadow(QPainter& painter, const QPainterPath& path, QPointF offset, double blur, const QColor& color);
