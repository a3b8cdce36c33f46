#include "ui/inspector/TabPage.h"

namespace inspector {

TabPage::TabPage(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}

void TabPage::retranslate() {
    texts_.apply();
    for (ChipGrid* grid : findChildren<ChipGrid*>()) grid->relayout();
    for (ButtonRow* buttons : findChildren<ButtonRow*>()) buttons->relayout();
    sync();
}

} // namespace inspector
