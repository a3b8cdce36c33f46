#pragma once

#include <QWidget>

class EditorViewModel;

// The 320-point inspector with its five tabs.
class InspectorPanel : public QWidget {
    Q_OBJECT
  public:
    explicit InspectorPanel(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
