#include "ui/browsing/GridCardDelegate.h"

#include "ui/browsing/FolderImagesModel.h"
#include "ui/browsing/ThumbnailBadges.h"
#include "ui/theme/Theme.h"

#include <QPainter>
#include <QPainterPath>

GridCardDelegate::GridCardDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void GridCardDelegate::setCellSize(QSize cell, int spacing) {
    cell_ = cell;
    spacing_ = spacing;
}

QSize GridCardDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return cell_;
}

void GridCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool current = index.data(FolderImagesModel::IsCurrentRole).toBool();
    const bool favorite = index.data(FolderImagesModel::IsFavoriteRole).toBool();
    const bool hovered = option.state & QStyle::State_MouseOver;
    const qreal half = spacing_ / 2.0;
    const QRectF card = QRectF(option.rect).adjusted(half, half, -half, -half);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    // The card.
    painter->setPen(Qt::NoPen);
    painter->setBrush(hovered ? theme::raised : theme::panel);
    painter->drawRoundedRect(card, theme::panelRadius, theme::panelRadius);

    // The thumbnail, filling its frame.
    const QRectF frame(card.left() + padding, card.top() + padding, card.width() - 2 * padding,
                       thumbnailHeight);
    QPainterPath clip;
    clip.addRoundedRect(frame, theme::controlRadius, theme::controlRadius);
    const QImage thumbnail = index.data(FolderImagesModel::ThumbnailRole).value<QImage>();
    const qreal dpr = painter->device()->devicePixelRatioF();
    const QPixmap pixmap = pixmaps_.filled(thumbnail, frame.size().toSize(), dpr, theme::controlRadius);
    if (!pixmap.isNull()) {
        painter->drawPixmap(frame.topLeft(), pixmap);
    } else {
        thumbnailbadges::paintPlaceholder(painter, clip, frame, 30);
    }
    if (favorite) thumbnailbadges::paintFavoriteBadge(painter, frame, 22, 6);

    // The name, one line, shortened in the middle so the extension stays readable.
    QFont nameFont = option.font;
    nameFont.setPixelSize(12);
    if (current) nameFont.setWeight(QFont::DemiBold);
    painter->setFont(nameFont);
    painter->setPen(current ? theme::text : theme::text.darker(112));
    const QRectF nameRect(frame.left() + 2, frame.bottom() + 6, frame.width() - 4, nameHeight);
    const QString name = painter->fontMetrics().elidedText(
        index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, static_cast<int>(nameRect.width()));
    painter->drawText(nameRect, Qt::AlignHCenter | Qt::AlignVCenter, name);

    // The border: the accent on the current photo, a hairline otherwise.
    painter->setBrush(Qt::NoBrush);
    if (current) {
        painter->setPen(QPen(theme::accent, 2));
        painter->drawRoundedRect(card.adjusted(1, 1, -1, -1), theme::panelRadius - 1, theme::panelRadius - 1);
    } else {
        painter->setPen(QPen(hovered ? theme::hairline.lighter(140) : theme::hairline, 1));
        painter->drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), theme::panelRadius, theme::panelRadius);
    }
    painter->restore();
}
