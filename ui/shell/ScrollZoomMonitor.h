#pragma once

#include <QObject>

class EditorViewModel;

// Ctrl or Alt with the scroll wheel zooms the photo by 1.08 a step, wherever the pointer is in
// the window; in the grid, or with no photo, the wheel scrolls as usual. Installed once on the
// application.
class ScrollZoomMonitor : public QObject {
    Q_OBJECT
  public:
    explicit ScrollZoomMonitor(EditorViewModel& editor, QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EditorViewModel& editor_;
};
