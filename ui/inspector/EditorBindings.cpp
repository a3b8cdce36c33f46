#include "ui/inspector/EditorBindings.h"

#include "ui/inspector/AdjustmentSliderRow.h"

namespace inspector {

void bindSlider(AdjustmentSliderRow* row, EditorViewModel& editor, std::function<double()> read,
                std::function<void(double)> write, SliderTarget target) {
    const bool isEdit = target == SliderTarget::edit;
    QObject::connect(row, &AdjustmentSliderRow::editBegan, row, [&editor, isEdit] {
        if (isEdit) editor.pushUndoSnapshot();
    });
    QObject::connect(row, &AdjustmentSliderRow::valueEdited, row, [&editor, write, isEdit](double value) {
        write(value);
        if (isEdit) editor.refreshPreview();
    });
    QObject::connect(row, &AdjustmentSliderRow::resetRequested, row, [row, &editor, read, write, isEdit] {
        if (read() == row->defaultValue()) return;
        if (isEdit) editor.pushUndoSnapshot();
        write(row->defaultValue());
        if (isEdit) editor.refreshPreview();
    });
}

} // namespace inspector
