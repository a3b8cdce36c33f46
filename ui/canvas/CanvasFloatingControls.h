#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

class QHBoxLayout;
class QLabel;

// The controls that float over the photo: translucent black capsules holding a row of small
// buttons, the round previous/next chevrons and the busy overlay. They never take keyboard
// focus, so the arrow keys and space keep stepping through the folder.
namespace canvascontrols {

// A capsule of black at the given opacity with a row of controls.
class Capsule : public QWidget {
    Q_OBJECT
  public:
    Capsule(double opacity, QWidget* parent);
    QHBoxLayout* row() const { return row_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double opacity_;
    QHBoxLayout* row_;
};

// A flat button for a capsule: a symbol, a text or both, white, with hover and pressed states.
QToolButton* capsuleButton(QWidget* parent, const QString& symbol, const QString& text = {});
// A 12-point vertical hairline between groups of a capsule.
QWidget* capsuleDivider(QWidget* parent);
// A label for the symbol alone (no click), in a colour.
QLabel* symbolLabel(QWidget* parent, const QString& symbol, const QColor& color, int pixelSize = 15);

// A 36-point circle of black at opacity 0.45 with a white 16-point symbol.
class CircleSymbolButton : public QAbstractButton {
    Q_OBJECT
  public:
    CircleSymbolButton(const QString& symbol, QWidget* parent);
    QSize sizeHint() const override { return {36, 36}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QString glyph_;
    bool hovered_ = false;
};

// A spinning progress indicator with a line of white text on a dark rounded rectangle.
class BusyOverlay : public QWidget {
    Q_OBJECT
  public:
    explicit BusyOverlay(QWidget* parent);
    void setText(const QString& text);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QString text_;
    QTimer spin_;
    int angle_ = 0;
};

} // namespace canvascontrols
