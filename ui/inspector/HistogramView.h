#pragma once

#include "core/imaging/ImageHistogram.h"

#include <QPainterPath>
#include <QWidget>

namespace inspector {

// The red, green, blue and luma histogram of the preview as four translucent filled areas.
class HistogramView : public QWidget {
    Q_OBJECT
  public:
    explicit HistogramView(QWidget* parent = nullptr);
    void setHistogram(const ImageHistogram& histogram);
    const ImageHistogram& histogram() const { return histogram_; }
    QSize sizeHint() const override { return {256, 92}; }

    // The closed area of one list inside a canvas of `size`: from the bottom-left corner through
    // one point per value to the bottom-right corner. Empty for fewer than two values.
    static QPainterPath areaPath(const QList<double>& values, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ImageHistogram histogram_ = ImageHistogram::empty();
};

} // namespace inspector
