#pragma once

#include "ui/inspector/TabPage.h"

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace inspector {

class AdjustmentSliderRow;
class ChipGrid;
class ColorSwatchRow;

// The markup tab: the tools, the colour, the options of the chosen tool and the markup commands.
class MarkupTab : public TabPage {
    Q_OBJECT
  public:
    explicit MarkupTab(EditorViewModel& editor, QWidget* parent = nullptr);

  protected:
    void sync() override;

  private:
    ChipGrid* tools_ = nullptr;
    ColorSwatchRow* colors_ = nullptr;
    QWidget* textBox_ = nullptr;
    QLineEdit* textField_ = nullptr;
    QWidget* stepBox_ = nullptr;
    QSpinBox* stepper_ = nullptr;
    AdjustmentSliderRow* redact_ = nullptr;
    AdjustmentSliderRow* brush_ = nullptr;
    AdjustmentSliderRow* stroke_ = nullptr;
    QPushButton* clearAll_ = nullptr;
    QPushButton* deleteSelected_ = nullptr;
    QPushButton* removeLast_ = nullptr;
};

} // namespace inspector
