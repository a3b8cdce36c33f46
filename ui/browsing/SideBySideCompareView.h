#pragma once

#include <QWidget>

class ComparePane;
class EditorViewModel;

// Two photos of the folder side by side, with shared zoom and pan: the current one as edited on
// the left, any other of the folder on the right, each with its own previous and next.
class SideBySideCompareView : public QWidget {
    Q_OBJECT
  public:
    explicit SideBySideCompareView(EditorViewModel& editor, QWidget* parent = nullptr);

    ComparePane* leftPane() const { return left_; }
    ComparePane* rightPane() const { return right_; }

  private:
    void updateLeft();
    void updateRight();
    void updateTexts();

    EditorViewModel& editor_;
    ComparePane* left_ = nullptr;
    ComparePane* right_ = nullptr;
};
