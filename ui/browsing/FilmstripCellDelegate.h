#pragma once

#include "ui/browsing/ThumbnailPixmapCache.h"

#include <QStyledItemDelegate>

// Paints one 52-point cell of the filmstrip: the thumbnail filling a square with corners of
// radius 7 (the "photo" symbol on a neutral fill while it loads), a 2.5-point accent border on
// the current photo and a faint one on the others, and a small heart on favourites.
class FilmstripCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int cellSize = 52;
    static constexpr qreal cornerRadius = 7;

    explicit FilmstripCellDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    mutable ThumbnailPixmapCache pixmaps_;
};
