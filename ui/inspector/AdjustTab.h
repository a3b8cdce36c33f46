#pragma once

#include "core/model/EditAdjustments.h"
#include "ui/inspector/TabPage.h"

#include <functional>
#include <vector>

class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace inspector {

class AdjustmentSliderRow;
class ChipGrid;
class HistogramView;

// The adjust tab: histogram, transform and crop, looks and presets, the light and colour sliders.
class AdjustTab : public TabPage {
    Q_OBJECT
  public:
    explicit AdjustTab(EditorViewModel& editor, QWidget* parent = nullptr);

  protected:
    void sync() override;

  private:
    void buildHistogram(QVBoxLayout* stack);
    void buildTransform(QVBoxLayout* stack);
    void buildFilters(QVBoxLayout* stack);
    void buildLight(QVBoxLayout* stack);
    AdjustmentSliderRow* addRecipeSlider(QVBoxLayout* column, const char* name,
                                         std::function<QString()> label, double EditAdjustments::*field,
                                         double minimum, double maximum, const QString& unit = {});
    void syncRecipe();
    void syncCustomPresets();

    HistogramView* histogram_ = nullptr;
    QPushButton* cropButton_ = nullptr;
    QPushButton* resetCropButton_ = nullptr;
    ButtonRow* cropRow_ = nullptr;
    QWidget* ratioBox_ = nullptr;
    ChipGrid* ratioGrid_ = nullptr;
    QPushButton* autoEnhance_ = nullptr;
    ChipGrid* presetGrid_ = nullptr;
    QPushButton* pasteEdits_ = nullptr;
    QLineEdit* presetName_ = nullptr;
    QWidget* customBox_ = nullptr;
    QVBoxLayout* customList_ = nullptr;
    QPushButton* resetAll_ = nullptr;
    std::vector<std::pair<AdjustmentSliderRow*, double EditAdjustments::*>> rows_;
};

} // namespace inspector
