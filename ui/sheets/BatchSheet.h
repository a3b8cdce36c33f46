#pragma once

#include <QDialog>

class EditorViewModel;

// The batch export sheet, modal to the window.
class BatchSheet : public QDialog {
    Q_OBJECT
  public:
    explicit BatchSheet(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
