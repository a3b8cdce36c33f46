#include "ui/inspector/MarkupTab.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/EditorBindings.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace inspector {

namespace {

// The markup tool settings are the same for every photo; the editor starts with these.
constexpr double kDefaultStrokeWidth = 5.0;
constexpr double kDefaultRedactStrength = 0.72;

} // namespace

MarkupTab::MarkupTab(EditorViewModel& editor, QWidget* parent) : TabPage(editor, parent) {
    QVBoxLayout* stack = sectionStack(this);
    QVBoxLayout* column = addSection(stack, texts_, QStringLiteral("pencil.tip"), &S::markupToolsTitle);

    tools_ = new ChipGrid(3);
    tools_->setObjectName(QStringLiteral("tools"));
    for (const auto& [tool, name] : EnumCases<AnnotationTool>::cases) {
        QPushButton* c = tools_->addChip();
        c->setIcon(symbols::icon(symbolName(tool), theme::text));
        c->setIconSize(QSize(15, 15));
        texts_.text(c, [tool] { return S::toolName(tool); });
    }
    connect(tools_, &ChipGrid::chipClicked, this, [this](int index) {
        editor_.selectAnnotationTool(EnumCases<AnnotationTool>::cases[index].first);
    });
    column->addWidget(tools_);

    column->addWidget(caption(texts_, &S::colorTitle));
    colors_ = new ColorSwatchRow;
    colors_->setObjectName(QStringLiteral("markupColors"));
    connect(colors_, &ColorSwatchRow::colorPicked, this,
            [this](const RGBAColor& c) { editor_.setMarkupColor(c); });
    column->addWidget(colors_);

    textBox_ = new QWidget;
    textBox_->setObjectName(QStringLiteral("markupTextBox"));
    auto* textColumn = new QVBoxLayout(textBox_);
    textColumn->setContentsMargins(0, 0, 0, 0);
    textColumn->setSpacing(6);
    textColumn->addWidget(caption(texts_, &S::textInputLabel));
    textField_ = new QLineEdit;
    textField_->setObjectName(QStringLiteral("markupText"));
    texts_.add([this] { textField_->setPlaceholderText(S::textPlaceholder()); });
    connect(textField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.setMarkupTextInput(text); });
    textColumn->addWidget(textField_);
    column->addWidget(textBox_);

    stepBox_ = new QWidget;
    stepBox_->setObjectName(QStringLiteral("markupStepBox"));
    auto* stepRow = new QHBoxLayout(stepBox_);
    stepRow->setContentsMargins(0, 0, 0, 0);
    auto* stepLabel = new QLabel;
    texts_.text(stepLabel, &S::stepNextLabel);
    stepper_ = new QSpinBox;
    stepper_->setObjectName(QStringLiteral("markupStep"));
    stepper_->setRange(1, 99);
    stepper_->setSingleStep(1);
    connect(stepper_, &QSpinBox::valueChanged, this, [this](int value) { editor_.setNextStepNumber(value); });
    stepRow->addWidget(stepLabel, 1);
    stepRow->addWidget(stepper_);
    column->addWidget(stepBox_);

    redact_ = new AdjustmentSliderRow(0.25, 1, kDefaultRedactStrength);
    redact_->setObjectName(QStringLiteral("markupRedactStrength"));
    texts_.add([this] { redact_->setLabel(S::redactStrength()); });
    bindSlider(
        redact_, editor_, [this] { return editor_.markupRedactStrength(); },
        [this](double v) { editor_.setMarkupRedactStrength(v); }, SliderTarget::toolSetting);
    column->addWidget(redact_);

    brush_ = new AdjustmentSliderRow(2, 16, kDefaultStrokeWidth);
    brush_->setObjectName(QStringLiteral("markupBrushSize"));
    texts_.add(
        [this] { brush_->setLabel(S::t(QStringLiteral("Brush Size"), QStringLiteral("Fırça Boyutu"))); });
    stroke_ = new AdjustmentSliderRow(2, 16, kDefaultStrokeWidth);
    stroke_->setObjectName(QStringLiteral("markupStroke"));
    texts_.add([this] { stroke_->setLabel(S::strokeWidth()); });
    for (AdjustmentSliderRow* width : {brush_, stroke_}) {
        bindSlider(
            width, editor_, [this] { return editor_.markupStrokeWidth(); },
            [this](double v) { editor_.setMarkupStrokeWidth(v); }, SliderTarget::toolSetting);
        column->addWidget(width);
    }

    clearAll_ = pill(QStringLiteral("trash"));
    clearAll_->setObjectName(QStringLiteral("clearMarkups"));
    texts_.text(clearAll_, &S::clearMarkups);
    connect(clearAll_, &QPushButton::clicked, this, [this] { editor_.clearAllAnnotations(); });
    deleteSelected_ = pill(QStringLiteral("xmark"));
    deleteSelected_->setObjectName(QStringLiteral("deleteSelectedMarkup"));
    texts_.text(deleteSelected_, &S::removeSelectedMarkup);
    connect(deleteSelected_, &QPushButton::clicked, this, [this] { editor_.deleteSelectedAnnotation(); });
    column->addWidget(row({clearAll_, deleteSelected_}));
    removeLast_ = pill(QStringLiteral("arrow.uturn.backward"));
    removeLast_->setObjectName(QStringLiteral("removeLastMarkup"));
    texts_.text(removeLast_, &S::removeLastMarkup);
    connect(removeLast_, &QPushButton::clicked, this, [this] { editor_.removeLastAnnotation(); });
    column->addWidget(removeLast_);

    column->addWidget(hint(texts_, &S::markupHint));
    stack->addStretch(1);

    for (auto signal :
         {&EditorViewModel::activeToolChanged, &EditorViewModel::markupColorChanged,
          &EditorViewModel::markupTextInputChanged, &EditorViewModel::nextStepNumberChanged,
          &EditorViewModel::markupRedactStrengthChanged, &EditorViewModel::markupStrokeWidthChanged,
          &EditorViewModel::annotationsChanged, &EditorViewModel::selectedAnnotationIDChanged})
        connect(&editor_, signal, this, &MarkupTab::sync);
    sync();
}

void MarkupTab::sync() {
    const AnnotationTool tool = editor_.activeTool();
    tools_->setSelectedIndex(caseIndex(tool));
    colors_->setSelectedColor(editor_.markupColor());

    textBox_->setVisible(tool == AnnotationTool::text);
    if (textField_->text() != editor_.markupTextInput()) textField_->setText(editor_.markupTextInput());
    stepBox_->setVisible(tool == AnnotationTool::stepNumber);
    {
        const QSignalBlocker blocker(stepper_);
        stepper_->setValue(editor_.nextStepNumber());
    }
    redact_->setVisible(tool == AnnotationTool::blurRedact || tool == AnnotationTool::pixelateRedact);
    redact_->setValue(editor_.markupRedactStrength());
    brush_->setVisible(tool == AnnotationTool::spotHeal);
    stroke_->setVisible(tool != AnnotationTool::spotHeal && tool != AnnotationTool::select &&
                        tool != AnnotationTool::spotlight);
    brush_->setValue(editor_.markupStrokeWidth());
    stroke_->setValue(editor_.markupStrokeWidth());

    const bool hasMarkup = !editor_.annotations().isEmpty();
    clearAll_->setEnabled(hasMarkup);
    removeLast_->setEnabled(hasMarkup);
    deleteSelected_->setEnabled(editor_.selectedAnnotationID().has_value());
}

} // namespace inspector
