#pragma once

#include "ui/inspector/TabPage.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace inspector {

class AdjustmentSliderRow;
class ChipGrid;
class ColorSwatchRow;
class InfoRow;

// The AI & BG tab: background studio, text recognition, barcodes, the eyedropper and the
// canvas backdrop.
class AiColorTab : public TabPage {
    Q_OBJECT
  public:
    explicit AiColorTab(EditorViewModel& editor, QWidget* parent = nullptr);

  protected:
    void sync() override;

  private:
    void buildBackgroundStudio(QVBoxLayout* stack);
    void buildRecognition(QVBoxLayout* stack);
    void buildEyedropper(QVBoxLayout* stack);
    void buildBackdrop(QVBoxLayout* stack);
    void syncBackground();
    void syncRecognition();
    void syncBarcodes();
    void syncEyedropper();

    ChipGrid* engines_ = nullptr;
    QWidget* keyBox_ = nullptr;
    AdjustmentSliderRow* tolerance_ = nullptr;
    QCheckBox* contiguous_ = nullptr;
    QPushButton* pickKey_ = nullptr;
    QPushButton* applyBackground_ = nullptr;
    QPushButton* restoreBackground_ = nullptr;
    AdjustmentSliderRow* feather_ = nullptr;
    QWidget* fillBox_ = nullptr;
    ChipGrid* fills_ = nullptr;
    AdjustmentSliderRow* blur_ = nullptr;
    ColorSwatchRow* fillColors_ = nullptr;
    QPushButton* trim_ = nullptr;

    QPushButton* ocr_ = nullptr;
    QWidget* ocrBox_ = nullptr;
    QLabel* ocrLines_ = nullptr;
    QLabel* ocrText_ = nullptr;
    QPushButton* scan_ = nullptr;
    QVBoxLayout* barcodeList_ = nullptr;

    QPushButton* eyedropper_ = nullptr;
    QLabel* eyedropperHint_ = nullptr;
    QWidget* sampleBox_ = nullptr;
    QLabel* sampleSwatch_ = nullptr;
    InfoRow* hex_ = nullptr;
    InfoRow* rgb_ = nullptr;
    InfoRow* hsl_ = nullptr;

    ChipGrid* backdrops_ = nullptr;
};

} // namespace inspector
