#include "ui/browsing/ThumbnailBadges.h"

#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QPainter>
#include <cmath>

namespace thumbnailbadges {

namespace {
const QColor favoriteColor{0xff, 0x4d, 0x6d};
}

void paintPlaceholder(QPainter* painter, const QPainterPath& shape, const QRectF& rect, int symbolPixels) {
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(theme::raised);
    painter->drawPath(shape);
    painter->setFont(symbols::font(symbolPixels));
    painter->setPen(theme::secondaryText.darker(125));
    painter->drawText(rect, Qt::AlignCenter, symbols::glyph(QStringLiteral("photo")));
    painter->restore();
}

void paintFavoriteBadge(QPainter* painter, const QRectF& rect, qreal diameter, qreal inset) {
    const QRectF disc(rect.right() - inset - diameter, rect.top() + inset, diameter, diameter);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, 150));
    painter->drawEllipse(disc);
    painter->setFont(symbols::font(static_cast<int>(std::lround(diameter * 0.66))));
    painter->setPen(favoriteColor);
    painter->drawText(disc, Qt::AlignCenter, symbols::glyph(QStringLiteral("heart.fill")));
    painter->restore();
}

} // namespace thumbnailbadges
