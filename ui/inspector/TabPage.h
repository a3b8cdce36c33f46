#pragma once

#include "ui/inspector/InspectorControls.h"

#include <QWidget>

class EditorViewModel;

namespace inspector {

// One tab of the inspector: its controls read the editor and call its operations; the texts
// follow the interface language.
class TabPage : public QWidget {
    Q_OBJECT
  public:
    TabPage(EditorViewModel& editor, QWidget* parent);
    // Every text again in the interface language, chip grids laid out for the new titles.
    void retranslate();

  protected:
    // Texts made from the editor's state (counts, lists) in the current language.
    virtual void sync() = 0;

    EditorViewModel& editor_;
    LocalizedTexts texts_;
};

} // namespace inspector
