#include "ui/browsing/AdaptiveGridListView.h"

#include "ui/browsing/GridCardDelegate.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

AdaptiveGridListView::AdaptiveGridListView(GridCardDelegate* delegate, QWidget* parent)
    : QListView(parent), delegate_(delegate) {
    setItemDelegate(delegate_);
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::SinglePass);
    setSelectionMode(QAbstractItemView::NoSelection);
    setDragEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus); // the arrow keys keep stepping through the folder
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    viewport()->setCursor(Qt::PointingHandCursor);
    verticalScrollBar()->setSingleStep(48);
    setStyleSheet(
        QStringLiteral(
            "QListView { background: %1; border: none; }"
            "QScrollBar:vertical { background: transparent; width: 10px; margin: 4px 2px 4px 0; }"
            "QScrollBar::handle:vertical { background: %2; border-radius: 4px; min-height: 36px; }"
            "QScrollBar::handle:vertical:hover { background: %3; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(theme::window.name(), theme::hairline.name(), theme::secondaryText.darker(130).name()));

    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &AdaptiveGridListView::visibleRangeChanged);
    layoutColumns();
}

void AdaptiveGridListView::layoutColumns() {
    // The scroll bar's width is always kept free, shown or not, so a folder that starts to
    // scroll never changes the column count under the pointer.
    const int scrollBar = verticalScrollBar()->sizeHint().width();
    const int available = std::max(1, width() - scrollBar - 2 * outerPadding);
    columns_ = std::max(1, (available + cardSpacing) / (minimumCardWidth + cardSpacing));
    cardWidth_ = std::clamp((available - (columns_ - 1) * cardSpacing) / columns_, 1, maximumCardWidth);
    const int used = columns_ * cardWidth_ + (columns_ - 1) * cardSpacing;
    // Each cell carries half the spacing on every side; the rest of the width centres the grid.
    const int left = outerPadding - cardSpacing / 2 + (available - used) / 2;
    // The view wraps a line a little before its last cell would touch the edge: half a cell of
    // slack keeps every column, and can never make room for one more.
    const int cellsWidth = columns_ * (cardWidth_ + cardSpacing) + (cardWidth_ + cardSpacing) / 2;
    const int right = std::max(0, width() - scrollBar - left - cellsWidth);
    setViewportMargins(left, outerPadding - cardSpacing / 2, right, 0);
    const QSize cell(cardWidth_ + cardSpacing, GridCardDelegate::cardHeight + cardSpacing);
    delegate_->setCellSize(cell, cardSpacing);
    if (gridSize() != cell) setGridSize(cell);
}

void AdaptiveGridListView::resizeEvent(QResizeEvent* event) {
    layoutColumns();
    QListView::resizeEvent(event);
    Q_EMIT visibleRangeChanged();
}

std::pair<int, int> AdaptiveGridListView::visibleRows() const {
    const int count = model() ? model()->rowCount() : 0;
    const int cellHeight = std::max(1, gridSize().height());
    if (count == 0) return {0, -1};
    const int top = verticalOffset();
    const int firstLine = std::max(0, top / cellHeight);
    const int lastLine = (top + viewport()->height() - 1) / cellHeight;
    return {std::min(count - 1, firstLine * columns_), std::min(count - 1, (lastLine + 1) * columns_ - 1)};
}

void AdaptiveGridListView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (model() && model()->rowCount() > 0) return;
    // Nothing matches: a quiet symbol says the grid is empty on purpose, not still loading.
    QPainter painter(viewport());
    painter.setFont(symbols::font(44));
    painter.setPen(theme::hairline.lighter(130));
    painter.drawText(viewport()->rect().adjusted(0, 0, 0, -viewport()->height() / 6), Qt::AlignCenter,
                     symbols::glyph(QStringLiteral("magnifyingglass")));
}
