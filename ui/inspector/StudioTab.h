#pragma once

#include "ui/inspector/TabPage.h"

class QCheckBox;
class QLineEdit;

namespace inspector {

class AdjustmentSliderRow;
class ChipGrid;
class ColorSwatchRow;
class WallpaperSwatches;

// The studio tab: the social frame and the watermark of the recipe.
class StudioTab : public TabPage {
    Q_OBJECT
  public:
    explicit StudioTab(EditorViewModel& editor, QWidget* parent = nullptr);

  protected:
    void sync() override;

  private:
    QCheckBox* frameEnabled_ = nullptr;
    WallpaperSwatches* wallpapers_ = nullptr;
    ChipGrid* ratios_ = nullptr;
    QCheckBox* windowBar_ = nullptr;
    AdjustmentSliderRow* padding_ = nullptr;
    AdjustmentSliderRow* cornerRadius_ = nullptr;
    AdjustmentSliderRow* shadow_ = nullptr;
    QCheckBox* watermarkEnabled_ = nullptr;
    QLineEdit* watermarkText_ = nullptr;
    ColorSwatchRow* watermarkColors_ = nullptr;
    AdjustmentSliderRow* opacity_ = nullptr;
    AdjustmentSliderRow* fontSize_ = nullptr;
    ChipGrid* positions_ = nullptr;
    // A run of typing in the watermark field is one undo step: it starts with the first key.
    bool typingWatermark_ = false;
};

} // namespace inspector
