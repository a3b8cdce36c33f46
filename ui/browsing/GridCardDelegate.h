#pragma once

#include "ui/browsing/ThumbnailPixmapCache.h"

#include <QStyledItemDelegate>

// Paints one card of the grid gallery: the thumbnail aspect-filled in a 128-point frame with
// rounded corners (the "photo" symbol while it loads), the file name under it, a heart badge on
// favourites and an accent border on the current photo. The card sits inside its grid cell with
// half the spacing between cards on every side.
class GridCardDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    static constexpr int thumbnailHeight = 128;
    static constexpr int padding = 8;
    static constexpr int nameHeight = 18;
    static constexpr int cardHeight = padding + thumbnailHeight + 6 + nameHeight + padding - 2;

    explicit GridCardDelegate(QObject* parent = nullptr);

    // The grid cell (card plus spacing) every card is laid out in.
    void setCellSize(QSize cell, int spacing);
    QSize cellSize() const { return cell_; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    QSize cell_{170, cardHeight + 14};
    int spacing_ = 14;
    mutable ThumbnailPixmapCache pixmaps_;
};
