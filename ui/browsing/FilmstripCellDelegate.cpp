#include "ui/browsing/FilmstripCellDelegate.h"

#include "ui/browsing/FolderImagesModel.h"
#include "ui/browsing/ThumbnailBadges.h"
#include "ui/theme/Theme.h"

#include <QPainter>
#include <QPainterPath>

FilmstripCellDelegate::FilmstripCellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize FilmstripCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {cellSize, cellSize};
}

void FilmstripCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const bool current = index.data(FolderImagesModel::IsCurrentRole).toBool();
    const bool hovered = option.state & QStyle::State_MouseOver;
    const QRectF cell(option.rect.x() + (option.rect.width() - cellSize) / 2.0,
                      option.rect.y() + (option.rect.height() - cellSize) / 2.0, cellSize, cellSize);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(cell, cornerRadius, cornerRadius);

    const QImage thumbnail = index.data(FolderImagesModel::ThumbnailRole).value<QImage>();
    const QPixmap pixmap = pixmaps_.filled(thumbnail, cell.size().toSize(),
                                           painter->device()->devicePixelRatioF(), cornerRadius);
    if (!pixmap.isNull()) {
        painter->drawPixmap(cell.topLeft(), pixmap);
        if (!current && !hovered) painter->fillPath(shape, QColor(0, 0, 0, 40)); // the current one stands out
    } else {
        thumbnailbadges::paintPlaceholder(painter, shape, cell, 22);
    }
    if (index.data(FolderImagesModel::IsFavoriteRole).toBool())
        thumbnailbadges::paintFavoriteBadge(painter, cell, 14, 3);

    // Borders are drawn inside the square so neighbours 6 points away never touch them.
    painter->setBrush(Qt::NoBrush);
    if (current) {
        const qreal w = 2.5;
        painter->setPen(QPen(theme::accent, w));
        painter->drawRoundedRect(cell.adjusted(w / 2, w / 2, -w / 2, -w / 2), cornerRadius - w / 2,
                                 cornerRadius - w / 2);
    } else {
        painter->setPen(QPen(hovered ? QColor(255, 255, 255, 110) : QColor(255, 255, 255, 38), 1));
        painter->drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    }
    painter->restore();
}
