#pragma once

#include <QObject>

class EditorViewModel;

// The application's single-key commands (F, G, 1, 2, 0, the arrows, space, Delete, Escape),
// seen before any view. Installed once on the application. A key typed into a text field, or
// pressed with Ctrl, Alt or Meta held (menu shortcuts), is left alone; so is a key whose
// command does not apply now.
class KeyMonitor : public QObject {
    Q_OBJECT
  public:
    explicit KeyMonitor(EditorViewModel& editor, QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The key table alone: runs the key's command and says whether the key was used.
    bool handleKey(int key);

  private:
    EditorViewModel& editor_;
};
