#pragma once

#include <QListView>
#include <utility>

class GridCardDelegate;

// The grid gallery's scrolling area: a list view that lays its uniform cards out in as many
// columns of 156 to 210 points as the width allows, 14 points apart, centred. Only the cards in
// view are ever painted, so a folder of ten thousand photos scrolls like one of ten.
class AdaptiveGridListView : public QListView {
    Q_OBJECT
  public:
    static constexpr int minimumCardWidth = 156;
    static constexpr int maximumCardWidth = 210;
    static constexpr int cardSpacing = 14;
    static constexpr int outerPadding = 16;

    AdaptiveGridListView(GridCardDelegate* delegate, QWidget* parent = nullptr);

    int columnCount() const { return columns_; }
    int cardWidth() const { return cardWidth_; }
    // The rows of the cards at least partly in view (first > last when there are none).
    std::pair<int, int> visibleRows() const;

  Q_SIGNALS:
    // The cards in view may be others now (scrolled, resized, new rows).
    void visibleRangeChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void layoutColumns();
    GridCardDelegate* delegate_;
    int columns_ = 1;
    int cardWidth_ = minimumCardWidth;
};
