#pragma once

#include "editor/EditorViewModel.h"

#include <functional>

namespace inspector {

class AdjustmentSliderRow;

// What a slider edits: the photo's edit (recipe or background studio), with one undo step per
// drag and a fresh preview on every change, or a setting of a tool, which is no edit of the photo.
enum class SliderTarget { edit, toolSetting };

// Connects a row to one number of the editor. The row shows what `read` gives whenever the tab
// syncs; user changes go through `write`.
void bindSlider(AdjustmentSliderRow* row, EditorViewModel& editor, std::function<double()> read,
                std::function<void(double)> write, SliderTarget target = SliderTarget::edit);

// One undoable change of the recipe (a chip, a toggle): a snapshot before it and a fresh preview
// after it. A change that changes nothing leaves the history alone.
template <class Change> void commitRecipe(EditorViewModel& editor, Change change) {
    EditAdjustments a = editor.adjustments();
    change(a);
    if (a == editor.adjustments()) return;
    editor.pushUndoSnapshot();
    editor.setAdjustments(a);
    editor.refreshPreview();
}

// The same for the background studio's settings.
template <class Change> void commitBackground(EditorViewModel& editor, Change change) {
    BackgroundStudioSettings s = editor.bgSettings();
    change(s);
    if (s == editor.bgSettings()) return;
    editor.pushUndoSnapshot();
    editor.setBgSettings(s);
    editor.refreshPreview();
}

} // namespace inspector
