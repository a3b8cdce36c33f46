#include "ui/inspector/AdjustTab.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/EditorBindings.h"
#include "ui/inspector/HistogramView.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace inspector {

AdjustTab::AdjustTab(EditorViewModel& editor, QWidget* parent) : TabPage(editor, parent) {
    QVBoxLayout* stack = sectionStack(this);
    buildHistogram(stack);
    buildTransform(stack);
    buildFilters(stack);
    buildLight(stack);
    stack->addStretch(1);

    connect(&editor_, &EditorViewModel::histogramChanged, this,
            [this] { histogram_->setHistogram(editor_.histogram()); });
    for (auto signal :
         {&EditorViewModel::adjustmentsChanged, &EditorViewModel::isCropModeChanged,
          &EditorViewModel::selectedAspectRatioChanged, &EditorViewModel::copiedAdjustmentsChanged,
          &EditorViewModel::annotationsChanged, &EditorViewModel::bgSettingsChanged})
        connect(&editor_, signal, this, &AdjustTab::syncRecipe);
    onImagePresenceChanged([this] { syncRecipe(); });
    connect(&editor_, &EditorViewModel::customPresetsChanged, this, &AdjustTab::syncCustomPresets);
    connect(&editor_, &EditorViewModel::newPresetNameChanged, this, [this] {
        if (presetName_->text() != editor_.newPresetName()) presetName_->setText(editor_.newPresetName());
    });
    histogram_->setHistogram(editor_.histogram());
    syncCustomPresets();
    syncRecipe();
}

void AdjustTab::buildHistogram(QVBoxLayout* stack) {
    QVBoxLayout* column = addSection(stack, texts_, QStringLiteral("chart.bar.xaxis"), &S::histogramTitle);
    histogram_ = new HistogramView;
    histogram_->setObjectName(QStringLiteral("histogram"));
    column->addWidget(histogram_);
}

void AdjustTab::buildTransform(QVBoxLayout* stack) {
    QVBoxLayout* column = addSection(stack, texts_, QStringLiteral("crop.rotate"), &S::transformTitle);

    struct Compact {
        const char* symbol;
        QString (*title)();
        void (EditorViewModel::*operation)();
    };
    const Compact compacts[] = {
        {"rotate.left", &S::rotateLeft, &EditorViewModel::rotateLeft},
        {"rotate.right", &S::rotateRight, &EditorViewModel::rotateRight},
        {"arrow.left.and.right.righttriangle.left.righttriangle.right", &S::flipH,
         &EditorViewModel::toggleFlipHorizontal},
        {"arrow.up.and.down.righttriangle.up.righttriangle.down", &S::flipV,
         &EditorViewModel::toggleFlipVertical},
    };
    auto* compactRow = new QWidget;
    auto* compactLayout = new QHBoxLayout(compactRow);
    compactLayout->setContentsMargins(0, 0, 0, 0);
    compactLayout->setSpacing(6);
    for (const Compact& c : compacts) {
        QToolButton* button = compactButton(QString::fromLatin1(c.symbol));
        texts_.text(button, c.title);
        connect(button, &QToolButton::clicked, this, [this, op = c.operation] { (editor_.*op)(); });
        compactLayout->addWidget(button, 1);
    }
    compactRow->setObjectName(QStringLiteral("transformButtons"));
    column->addWidget(compactRow);

    cropButton_ = pill(QStringLiteral("crop"));
    cropButton_->setObjectName(QStringLiteral("cropButton"));
    connect(cropButton_, &QPushButton::clicked, this, [this] { editor_.toggleCropMode(); });
    resetCropButton_ = pill(QStringLiteral("arrow.counterclockwise"));
    resetCropButton_->setObjectName(QStringLiteral("resetCropButton"));
    texts_.text(resetCropButton_, &S::resetCrop);
    connect(resetCropButton_, &QPushButton::clicked, this, [this] { editor_.resetCrop(); });
    cropRow_ = new ButtonRow({cropButton_, resetCropButton_});
    column->addWidget(cropRow_);

    ratioBox_ = new QWidget;
    ratioBox_->setObjectName(QStringLiteral("cropRatios"));
    auto* ratioColumn = new QVBoxLayout(ratioBox_);
    ratioColumn->setContentsMargins(0, 0, 0, 0);
    ratioColumn->setSpacing(6);
    ratioColumn->addWidget(caption(texts_, &S::cropAspect));
    ratioGrid_ = new ChipGrid(4);
    for (const auto& [ratio, name] : EnumCases<CropAspectRatio>::cases) {
        QPushButton* c = ratioGrid_->addChip();
        c->setText(shortLabel(ratio));
    }
    connect(ratioGrid_, &ChipGrid::chipClicked, this,
            [this](int index) { editor_.applyAspectRatio(EnumCases<CropAspectRatio>::cases[index].first); });
    ratioColumn->addWidget(ratioGrid_);
    column->addWidget(ratioBox_);

    auto* straighten = new AdjustmentSliderRow(-45, 45, 0, QStringLiteral("\u00B0"));
    straighten->setObjectName(QStringLiteral("straightenRow"));
    texts_.add([straighten] { straighten->setLabel(S::straighten()); });
    bindSlider(
        straighten, editor_, [this] { return editor_.adjustments().straightenDegrees; },
        [this](double v) {
            EditAdjustments a = editor_.adjustments();
            a.straightenDegrees = v;
            editor_.setAdjustments(a);
        });
    rows_.emplace_back(straighten, &EditAdjustments::straightenDegrees);
    column->addWidget(straighten);
}

void AdjustTab::buildFilters(QVBoxLayout* stack) {
    QVBoxLayout* column = addSection(stack, texts_, QStringLiteral("camera.filters"), &S::filtersTitle);

    autoEnhance_ = pill(QStringLiteral("wand.and.stars"));
    autoEnhance_->setObjectName(QStringLiteral("autoEnhance"));
    texts_.text(autoEnhance_, &S::autoEnhance);
    connect(autoEnhance_, &QPushButton::clicked, this, [this] { editor_.toggleAutoEnhance(); });
    column->addWidget(autoEnhance_);

    presetGrid_ = new ChipGrid(3);
    presetGrid_->setObjectName(QStringLiteral("looks"));
    for (const auto& [preset, name] : EnumCases<PhotoFilterPreset>::cases) {
        QPushButton* c = presetGrid_->addChip();
        texts_.text(c, [preset] { return S::presetName(preset); });
    }
    connect(presetGrid_, &ChipGrid::chipClicked, this,
            [this](int index) { editor_.selectPreset(EnumCases<PhotoFilterPreset>::cases[index].first); });
    column->addWidget(presetGrid_);

    QPushButton* copyEdits = pill(QStringLiteral("doc.on.doc"));
    texts_.text(copyEdits, &S::copyEdits);
    connect(copyEdits, &QPushButton::clicked, this, [this] { editor_.copyCurrentEdits(); });
    pasteEdits_ = pill(QStringLiteral("doc.on.clipboard"));
    pasteEdits_->setObjectName(QStringLiteral("pasteEdits"));
    texts_.text(pasteEdits_, &S::pasteEdits);
    connect(pasteEdits_, &QPushButton::clicked, this, [this] { editor_.pasteCopiedEdits(); });
    column->addWidget(row({copyEdits, pasteEdits_}));

    presetName_ = new QLineEdit;
    presetName_->setObjectName(QStringLiteral("presetName"));
    presetName_->setText(editor_.newPresetName());
    texts_.add([this] {
        presetName_->setPlaceholderText(
            S::t(QStringLiteral("Preset name\u2026"), QStringLiteral("Ön ayar adı\u2026")));
    });
    connect(presetName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.setNewPresetName(text); });
    connect(presetName_, &QLineEdit::returnPressed, this, [this] { editor_.saveCurrentAsCustomPreset(); });
    QToolButton* save = iconButton(QStringLiteral("plus"));
    save->setObjectName(QStringLiteral("savePreset"));
    texts_.tooltip(save, &S::savePreset);
    save->setAccessibleName(S::savePreset());
    connect(save, &QToolButton::clicked, this, [this] { editor_.saveCurrentAsCustomPreset(); });
    auto* nameRow = new QWidget;
    auto* nameLayout = new QHBoxLayout(nameRow);
    nameLayout->setContentsMargins(0, 0, 0, 0);
    nameLayout->setSpacing(6);
    nameLayout->addWidget(presetName_, 1);
    nameLayout->addWidget(save);
    column->addWidget(nameRow);

    customBox_ = new QWidget;
    customBox_->setObjectName(QStringLiteral("customPresets"));
    auto* customColumn = new QVBoxLayout(customBox_);
    customColumn->setContentsMargins(0, 0, 0, 0);
    customColumn->setSpacing(4);
    customColumn->addWidget(caption(texts_, &S::customPresetsTitle));
    customList_ = new QVBoxLayout;
    customList_->setSpacing(4);
    customColumn->addLayout(customList_);
    column->addWidget(customBox_);
}

void AdjustTab::buildLight(QVBoxLayout* stack) {
    resetAll_ = new QPushButton;
    resetAll_->setObjectName(QStringLiteral("resetAll"));
    resetAll_->setProperty("role", QStringLiteral("link"));
    resetAll_->setCursor(Qt::PointingHandCursor);
    texts_.text(resetAll_, &S::resetAll);
    connect(resetAll_, &QPushButton::clicked, this, [this] { editor_.resetAllEdits(); });
    QVBoxLayout* column =
        addSection(stack, texts_, QStringLiteral("sun.max"), &S::lightColorTitle, resetAll_);
    column->setSpacing(10);

    addRecipeSlider(column, "exposure", &S::exposure, &EditAdjustments::exposure, -2, 2);
    addRecipeSlider(column, "brightness", &S::brightness, &EditAdjustments::brightness, -0.4, 0.4);
    addRecipeSlider(column, "contrast", &S::contrast, &EditAdjustments::contrast, 0.5, 1.75);
    addRecipeSlider(column, "highlights", &S::highlights, &EditAdjustments::highlights, 0, 1);
    addRecipeSlider(column, "shadows", &S::shadows, &EditAdjustments::shadows, -0.5, 0.8);
    addRecipeSlider(column, "saturation", &S::saturation, &EditAdjustments::saturation, 0, 2);
    addRecipeSlider(column, "vibrance", &S::vibrance, &EditAdjustments::vibrance, -1, 1);
    addRecipeSlider(column, "warmth", &S::warmth, &EditAdjustments::warmth, -1, 1);
    addRecipeSlider(column, "tint", &S::tint, &EditAdjustments::tint, -1, 1);
    addRecipeSlider(column, "clarity", &S::clarity, &EditAdjustments::clarity, 0, 1.5);
    addRecipeSlider(column, "sharpness", &S::sharpness, &EditAdjustments::sharpness, 0, 2);
    addRecipeSlider(column, "vignette", &S::vignette, &EditAdjustments::vignette, 0, 2);
    addRecipeSlider(column, "grain", &S::grain, &EditAdjustments::grain, 0, 1);
}

AdjustmentSliderRow* AdjustTab::addRecipeSlider(QVBoxLayout* column, const char* name,
                                                std::function<QString()> label,
                                                double EditAdjustments::*field, double minimum,
                                                double maximum, const QString& unit) {
    auto* slider = new AdjustmentSliderRow(minimum, maximum, EditAdjustments{}.*field, unit);
    slider->setObjectName(QStringLiteral("slider_") + QLatin1String(name));
    texts_.add([slider, label] { slider->setLabel(label()); });
    bindSlider(
        slider, editor_, [this, field] { return editor_.adjustments().*field; },
        [this, field](double v) {
            EditAdjustments a = editor_.adjustments();
            a.*field = v;
            editor_.setAdjustments(a);
        });
    rows_.emplace_back(slider, field);
    column->addWidget(slider);
    return slider;
}

void AdjustTab::sync() {
    syncRecipe();
    syncCustomPresets();
}

void AdjustTab::syncRecipe() {
    const EditAdjustments& a = editor_.adjustments();
    const bool hasImage = editor_.hasImage();
    for (const auto& [row, field] : rows_) {
        row->setValue(a.*field);
        row->setEnabled(hasImage);
    }

    const bool cropping = editor_.isCropMode();
    cropButton_->setText(buttonTitle(cropping ? S::applyCrop() : S::cropMode()));
    setAccented(cropButton_, cropping);
    cropButton_->setEnabled(hasImage);
    resetCropButton_->setVisible(a.cropRect != NormalizedCropRect::full);
    cropRow_->relayout();
    ratioBox_->setVisible(cropping);
    ratioGrid_->setSelectedIndex(caseIndex(editor_.selectedAspectRatio()));
    for (QToolButton* button :
         findChild<QWidget*>(QStringLiteral("transformButtons"))->findChildren<QToolButton*>())
        button->setEnabled(hasImage);

    setAccented(autoEnhance_, a.autoEnhanced);
    autoEnhance_->setEnabled(hasImage);
    presetGrid_->setSelectedIndex(caseIndex(a.filterPreset));
    presetGrid_->setEnabled(hasImage);
    pasteEdits_->setEnabled(hasImage && editor_.copiedAdjustments().has_value());
    resetAll_->setEnabled(editor_.hasUnsavedEdits());
}

void AdjustTab::syncCustomPresets() {
    clearLayout(customList_);
    const PresetList& presets = editor_.customPresets();
    customBox_->setVisible(!presets.isEmpty());
    for (const CustomEditPreset& preset : presets) {
        auto* apply = new QPushButton;
        apply->setProperty("role", QStringLiteral("listRow"));
        apply->setCursor(Qt::PointingHandCursor);
        apply->setIcon(symbols::icon(QStringLiteral("slider.horizontal.3"), theme::secondaryText));
        // A name the user typed may be long: it is shortened to the row, whole in the tooltip.
        const QFontMetrics metrics(apply->font());
        apply->setText(buttonTitle(metrics.elidedText(preset.name, Qt::ElideMiddle, contentWidth - 90)));
        apply->setToolTip(preset.name);
        connect(apply, &QPushButton::clicked, this, [this, preset] { editor_.applyCustomPreset(preset); });
        QToolButton* remove = iconButton(QStringLiteral("xmark"));
        remove->setObjectName(QStringLiteral("deletePreset"));
        remove->setToolTip(S::t(QStringLiteral("Delete"), QStringLiteral("Sil")));
        connect(remove, &QToolButton::clicked, this,
                [this, id = preset.id] { editor_.deleteCustomPreset(id); });
        auto* line = new QWidget;
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        layout->addWidget(apply, 1);
        layout->addWidget(remove);
        customList_->addWidget(line);
    }
}

} // namespace inspector
