#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

class EditorViewModel;

// One image of the side-by-side comparison: fitted to the pane, then scaled by the editor's zoom
// and shifted by its pan, so both panes move together. The bitmap on screen is made once per
// image, size and zoom with a high-quality downscale, never in a paint event. Dragging pans
// only while the zoom is above 1.01.
class CompareImageView : public QWidget {
    Q_OBJECT
  public:
    explicit CompareImageView(EditorViewModel& editor, QWidget* parent = nullptr);

    void setImage(const std::optional<QImage>& image);
    // Where the image is drawn in this widget, in logical pixels.
    QRectF imageRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QSizeF fittedSize() const;
    void rebuildDisplay();
    void updateCursor();

    EditorViewModel& editor_;
    QImage image_;
    QPixmap display_;
    qint64 displayKey_ = 0;
    QSize displayPixels_;
    qreal displayRatio_ = 1;
    std::optional<QPointF> dragStart_;
};
