#include "ui/inspector/TabPage.h"

#include "editor/EditorViewModel.h"

#include <memory>

namespace inspector {

TabPage::TabPage(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}

void TabPage::onImagePresenceChanged(std::function<void()> slot) {
    auto seen = std::make_shared<bool>(editor_.hasImage());
    auto check = [this, seen, slot = std::move(slot)] {
        if (editor_.hasImage() == *seen) return;
        *seen = editor_.hasImage();
        slot();
    };
    connect(&editor_, &EditorViewModel::renderedDisplayImageChanged, this, check);
    connect(&editor_, &EditorViewModel::folderImagesChanged, this, check);
    connect(&editor_, &EditorViewModel::currentIndexChanged, this, check);
}

void TabPage::retranslate() {
    texts_.apply();
    for (ChipGrid* grid : findChildren<ChipGrid*>())
        grid->relayout();
    for (ButtonRow* buttons : findChildren<ButtonRow*>())
        buttons->relayout();
    sync();
}

} // namespace inspector
