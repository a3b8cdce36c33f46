#pragma once

#include <QMenu>

class EditorViewModel;

// "Language": the system's language first, then every interface language by English name; the
// one in force is checked. Built anew each time it opens, so it always shows the current state.
class LanguageMenu : public QMenu {
    Q_OBJECT
  public:
    explicit LanguageMenu(EditorViewModel& editor, QWidget* parent = nullptr);
    void rebuild();

  private:
    EditorViewModel& editor_;
};
