#pragma once

#include <QWidget>

class EditorViewModel;

// The single-image canvas: the rendered photo on its backdrop, zoom, pan, compare, crop, markup, eyedropper and the floating bars.
class CanvasStageView : public QWidget {
    Q_OBJECT
  public:
    explicit CanvasStageView(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
