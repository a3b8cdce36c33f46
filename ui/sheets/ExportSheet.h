#pragma once

#include <QDialog>

class EditorViewModel;

// The export sheet, modal to the window.
class ExportSheet : public QDialog {
    Q_OBJECT
  public:
    explicit ExportSheet(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
