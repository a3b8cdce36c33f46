#pragma once

#include "ui/inspector/InspectorControls.h"

#include <QWidget>
#include <functional>

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
    // Calls `slot` when a photo comes or goes. Every preview refresh republishes the image; the
    // controls only care whether there is one.
    void onImagePresenceChanged(std::function<void()> slot);

    EditorViewModel& editor_;
    LocalizedTexts texts_;
};

} // namespace inspector
