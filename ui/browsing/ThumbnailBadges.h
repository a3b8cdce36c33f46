#pragma once

#include <QPainterPath>
#include <QRectF>

class QPainter;

// The small marks the filmstrip cells and the grid cards share, so both read the same.
namespace thumbnailbadges {

// The neutral fill with the "photo" symbol of a thumbnail that isn't loaded yet.
void paintPlaceholder(QPainter* painter, const QPainterPath& shape, const QRectF& rect, int symbolPixels);
// The "heart.fill" badge in the top-right corner of `rect`, `diameter` across, `inset` from
// the edges, on a dark disc so it reads on any photo.
void paintFavoriteBadge(QPainter* painter, const QRectF& rect, qreal diameter, qreal inset);

} // namespace thumbnailbadges
