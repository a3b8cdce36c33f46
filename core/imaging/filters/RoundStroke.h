#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>

// Strokes a polyline with round caps and round joins straight into an RGBA8 premultiplied
// bitmap: the union of the discs of radius width / 2 swept along every segment, anti-aliased by
// the distance of each pixel centre to the line, and laid over the image once (source-over), so
// a translucent colour does not darken where the line crosses itself.
//
// Why not a painter path: a general rasteriser fills the stroked outline of a long scribble, a
// path of thousands of arcs that crosses itself at every turn, and on large images it restarts
// band after band; here the cost is the ink actually laid, whatever the number of points.
//
// Points that coincide draw a round dot of the stroke's width, as a pen held still does. `points`
// are pixel coordinates with the origin at the top left; a single point draws the dot too.
// Nothing is drawn for an empty list, a width that is not a positive number, or a colour that is
// fully transparent. Only RGBA8888_Premultiplied targets are drawn on.
void strokeRoundPolyline(QImage& target, const QList<QPointF>& points, double width, const QColor& color);
