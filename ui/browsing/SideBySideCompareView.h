#pragma once

#include <QWidget>

class EditorViewModel;

// Two photos of the folder side by side, with shared zoom and pan.
class SideBySideCompareView : public QWidget {
    Q_OBJECT
  public:
    explicit SideBySideCompareView(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
