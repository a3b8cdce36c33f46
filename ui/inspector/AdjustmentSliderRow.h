#pragma once

#include <QSlider>
#include <QWidget>

class QLabel;
class QPushButton;

namespace inspector {

// A slider that follows the pointer from the first press: a press beside the handle moves the
// handle there and the same press drags on. The wheel is left to the scrolling panel, so that
// scrolling past a slider never changes a photo.
class ContinuousSlider : public QSlider {
    Q_OBJECT
  public:
    explicit ContinuousSlider(QWidget* parent = nullptr);
    bool isPressed() const { return pressed_; }

  Q_SIGNALS:
    // A press of the pointer, before the value moves.
    void pressBegan();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool pressed_ = false;
};

// A label with the current value at the right and a continuous slider below. The value reads
// with two decimals and the unit, in the accent colour while it is more than 0.01 from the
// default; clicking it asks for the default back.
class AdjustmentSliderRow : public QWidget {
    Q_OBJECT
  public:
    AdjustmentSliderRow(double minimum, double maximum, double defaultValue, QString unit = {},
                        QWidget* parent = nullptr);

    void setLabel(const QString& label);
    // Shows a value of the editor; emits nothing.
    void setValue(double value);
    double value() const { return value_; }
    double defaultValue() const { return default_; }
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    QString valueText() const;
    QPushButton* valueButton() const { return valueButton_; }
    ContinuousSlider* slider() const { return slider_; }

    static QString format(double value, const QString& unit);

  Q_SIGNALS:
    // An edit starts: a press on the slider, or a single step from the keyboard. One per drag.
    void editBegan();
    // The user moved the value.
    void valueEdited(double value);
    // The value was clicked: back to the default.
    void resetRequested();

  private:
    void showValue();
    int position(double value) const;

    QLabel* label_;
    QPushButton* valueButton_;
    ContinuousSlider* slider_;
    double minimum_;
    double maximum_;
    double default_;
    double value_;
    QString unit_;
};

} // namespace inspector
