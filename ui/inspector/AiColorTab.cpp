#include "ui/inspector/AiColorTab.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/EditorBindings.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace inspector {

namespace {

QVBoxLayout* subColumn(QWidget* box) {
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(theme::spacing);
    return column;
}

} // namespace

AiColorTab::AiColorTab(EditorViewModel& editor, QWidget* parent) : TabPage(editor, parent) {
    QVBoxLayout* stack = sectionStack(this);
    buildBackgroundStudio(stack);
    buildRecognition(stack);
    buildEyedropper(stack);
    buildBackdrop(stack);
    stack->addStretch(1);

    for (auto signal : {&EditorViewModel::bgSettingsChanged, &EditorViewModel::isProcessingAIChanged})
        connect(&editor_, signal, this, &AiColorTab::syncBackground);
    for (auto signal :
         {&EditorViewModel::extractedOCRTextChanged, &EditorViewModel::extractedOCRLineCountChanged,
          &EditorViewModel::isProcessingAIChanged})
        connect(&editor_, signal, this, &AiColorTab::syncRecognition);
    connect(&editor_, &EditorViewModel::detectedBarcodesChanged, this, &AiColorTab::syncBarcodes);
    for (auto signal : {&EditorViewModel::isEyedropperActiveChanged,
                        &EditorViewModel::eyedropperPurposeChanged, &EditorViewModel::sampledColorChanged})
        connect(&editor_, signal, this, &AiColorTab::syncEyedropper);
    onImagePresenceChanged([this] {
        syncBackground();
        syncRecognition();
        syncEyedropper();
    });
    connect(&editor_, &EditorViewModel::backdropChanged, this,
            [this] { backdrops_->setSelectedIndex(caseIndex(editor_.backdrop())); });
    sync();
}

void AiColorTab::buildBackgroundStudio(QVBoxLayout* stack) {
    QVBoxLayout* column = addSection(stack, texts_, QStringLiteral("wand.and.stars"), &S::bgStudioTitle);

    column->addWidget(caption(texts_, &S::bgEngineLabel));
    engines_ = new ChipGrid(3);
    engines_->setObjectName(QStringLiteral("engines"));
    for (const auto& [engine, name] : EnumCases<BackgroundCutoutEngine>::cases)
        texts_.text(engines_->addChip(), [engine] { return S::engineName(engine); });
    connect(engines_, &ChipGrid::chipClicked, this, [this](int index) {
        commitBackground(editor_, [index](BackgroundStudioSettings& s) {
            s.engine = EnumCases<BackgroundCutoutEngine>::cases[index].first;
        });
    });
    column->addWidget(engines_);

    keyBox_ = new QWidget;
    keyBox_->setObjectName(QStringLiteral("colorKeyBox"));
    QVBoxLayout* keyColumn = subColumn(keyBox_);
    tolerance_ = new AdjustmentSliderRow(0.03, 0.6, BackgroundStudioSettings{}.colorKeyTolerance);
    texts_.add([this] { tolerance_->setLabel(S::colorTolerance()); });
    bindSlider(
        tolerance_, editor_, [this] { return editor_.bgSettings().colorKeyTolerance; },
        [this](double v) {
            BackgroundStudioSettings s = editor_.bgSettings();
            s.colorKeyTolerance = v;
            editor_.setBgSettings(s);
        });
    keyColumn->addWidget(tolerance_);
    contiguous_ = new QCheckBox;
    texts_.text(contiguous_, &S::contiguousFill);
    connect(contiguous_, &QCheckBox::toggled, this, [this](bool on) {
        commitBackground(editor_, [on](BackgroundStudioSettings& s) { s.colorKeyContiguous = on; });
    });
    keyColumn->addWidget(contiguous_);
    pickKey_ = pill(QStringLiteral("eyedropper"));
    pickKey_->setObjectName(QStringLiteral("pickKeyColor"));
    texts_.text(pickKey_, &S::pickBgKeyColor);
    connect(pickKey_, &QPushButton::clicked, this,
            [this] { editor_.startEyedropper(EyedropperPurpose::pickBackgroundKeyColor); });
    keyColumn->addWidget(pickKey_);
    column->addWidget(keyBox_);

    applyBackground_ = pill(QStringLiteral("scissors"));
    applyBackground_->setObjectName(QStringLiteral("applyBackground"));
    connect(applyBackground_, &QPushButton::clicked, this,
            [this] { editor_.applyOrRecomputeBackgroundStudio(); });
    column->addWidget(applyBackground_);
    restoreBackground_ = pill(QStringLiteral("arrow.counterclockwise"));
    restoreBackground_->setObjectName(QStringLiteral("restoreBackground"));
    texts_.text(restoreBackground_, &S::restoreBackground);
    connect(restoreBackground_, &QPushButton::clicked, this, [this] { editor_.disableBackgroundStudio(); });
    column->addWidget(restoreBackground_);

    feather_ = new AdjustmentSliderRow(0, 4, BackgroundStudioSettings{}.edgeFeather);
    texts_.add([this] { feather_->setLabel(S::edgeFeather()); });
    bindSlider(
        feather_, editor_, [this] { return editor_.bgSettings().edgeFeather; },
        [this](double v) {
            BackgroundStudioSettings s = editor_.bgSettings();
            s.edgeFeather = v;
            editor_.setBgSettings(s);
        });
    column->addWidget(feather_);

    fillBox_ = new QWidget;
    fillBox_->setObjectName(QStringLiteral("fillBox"));
    QVBoxLayout* fillColumn = subColumn(fillBox_);
    fillColumn->addWidget(caption(texts_, &S::bgFillLabel));
    fills_ = new ChipGrid(3);
    fills_->setObjectName(QStringLiteral("fills"));
    for (const auto& [style, name] : EnumCases<BackgroundFillStyle>::cases)
        texts_.text(fills_->addChip(), [style] { return S::fillStyleName(style); });
    connect(fills_, &ChipGrid::chipClicked, this, [this](int index) {
        commitBackground(editor_, [index](BackgroundStudioSettings& s) {
            s.fillStyle = EnumCases<BackgroundFillStyle>::cases[index].first;
        });
    });
    fillColumn->addWidget(fills_);
    blur_ = new AdjustmentSliderRow(5, 55, BackgroundStudioSettings{}.blurRadius);
    texts_.add([this] { blur_->setLabel(S::bokehBlur()); });
    bindSlider(
        blur_, editor_, [this] { return editor_.bgSettings().blurRadius; },
        [this](double v) {
            BackgroundStudioSettings s = editor_.bgSettings();
            s.blurRadius = v;
            editor_.setBgSettings(s);
        });
    fillColumn->addWidget(blur_);
    fillColors_ = new ColorSwatchRow;
    connect(fillColors_, &ColorSwatchRow::colorPicked, this, [this](const RGBAColor& color) {
        commitBackground(editor_, [color](BackgroundStudioSettings& s) { s.customFillColor = color; });
    });
    fillColumn->addWidget(fillColors_);
    trim_ = pill(QStringLiteral("crop"));
    trim_->setObjectName(QStringLiteral("trimTransparent"));
    texts_.text(trim_, &S::trimTransparent);
    connect(trim_, &QPushButton::clicked, this, [this] { editor_.autoTrimTransparentBorders(); });
    fillColumn->addWidget(trim_);
    column->addWidget(fillBox_);
}

void AiColorTab::buildRecognition(QVBoxLayout* stack) {
    // The action is the section's title: a header above it would only repeat it.
    QVBoxLayout* ocrColumn = addActionSection(stack);
    ocr_ = pill(QStringLiteral("text.viewfinder"));
    ocr_->setObjectName(QStringLiteral("runOCR"));
    texts_.text(ocr_, &S::extractTextOCR);
    connect(ocr_, &QPushButton::clicked, this, [this] { editor_.runOCRTextRecognition(); });
    ocrColumn->addWidget(ocr_);
    ocrBox_ = new QWidget;
    ocrBox_->setObjectName(QStringLiteral("ocrResult"));
    QVBoxLayout* resultColumn = subColumn(ocrBox_);
    ocrLines_ = new QLabel;
    ocrLines_->setProperty("role", QStringLiteral("caption"));
    resultColumn->addWidget(ocrLines_);
    ocrText_ = new QLabel;
    ocrText_->setObjectName(QStringLiteral("ocrText"));
    ocrText_->setProperty("role", QStringLiteral("well"));
    ocrText_->setWordWrap(true);
    ocrText_->setTextFormat(Qt::PlainText);
    ocrText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    resultColumn->addWidget(ocrText_);
    QPushButton* copy = pill(QStringLiteral("doc.on.doc"));
    copy->setObjectName(QStringLiteral("copyOCR"));
    texts_.text(copy, &S::copyExtractedText);
    connect(copy, &QPushButton::clicked, this, [this] { editor_.copyOCRText(); });
    resultColumn->addWidget(copy);
    ocrColumn->addWidget(ocrBox_);

    QVBoxLayout* scanColumn = addActionSection(stack);
    scan_ = pill(QStringLiteral("qrcode"));
    scan_->setObjectName(QStringLiteral("scanBarcodes"));
    texts_.text(scan_, &S::scanBarcodes);
    connect(scan_, &QPushButton::clicked, this, [this] { editor_.scanBarcodesInImage(); });
    scanColumn->addWidget(scan_);
    barcodeList_ = new QVBoxLayout;
    barcodeList_->setSpacing(6);
    scanColumn->addLayout(barcodeList_);
}

void AiColorTab::buildEyedropper(QVBoxLayout* stack) {
    QVBoxLayout* column =
        addSection(stack, texts_, QStringLiteral("eyedropper.halffull"), &S::colorPickerTitle);
    eyedropper_ = pill(QStringLiteral("eyedropper"));
    eyedropper_->setObjectName(QStringLiteral("eyedropper"));
    texts_.text(eyedropper_, &S::activateEyedropper);
    connect(eyedropper_, &QPushButton::clicked, this,
            [this] { editor_.startEyedropper(EyedropperPurpose::sampleColor); });
    column->addWidget(eyedropper_);
    eyedropperHint_ = hint(texts_, &S::eyedropperActiveHint);
    column->addWidget(eyedropperHint_);

    sampleBox_ = new QWidget;
    sampleBox_->setObjectName(QStringLiteral("sampledColor"));
    auto* sampleLayout = new QHBoxLayout(sampleBox_);
    sampleLayout->setContentsMargins(0, 0, 0, 0);
    sampleLayout->setSpacing(10);
    sampleSwatch_ = new QLabel;
    sampleSwatch_->setFixedSize(40, 40);
    sampleLayout->addWidget(sampleSwatch_, 0, Qt::AlignTop);
    auto* rows = new QVBoxLayout;
    rows->setSpacing(2);
    hex_ = new InfoRow(true);
    rgb_ = new InfoRow(true);
    hsl_ = new InfoRow(true);
    texts_.add([this] {
        hex_->setLabel(S::t(QStringLiteral("HEX"), QStringLiteral("HEX")));
        rgb_->setLabel(S::t(QStringLiteral("RGB"), QStringLiteral("RGB")));
        hsl_->setLabel(S::t(QStringLiteral("HSL"), QStringLiteral("HSL")));
    });
    for (InfoRow* r : {hex_, rgb_, hsl_}) {
        connect(r, &InfoRow::copyRequested, this,
                [this](const QString& v) { editor_.copyStringToClipboard(v); });
        rows->addWidget(r);
    }
    sampleLayout->addLayout(rows, 1);
    column->addWidget(sampleBox_);
}

void AiColorTab::buildBackdrop(QVBoxLayout* stack) {
    QVBoxLayout* column =
        addSection(stack, texts_, QStringLiteral("checkerboard.rectangle"), &S::canvasBackdrop);
    backdrops_ = new ChipGrid(3);
    backdrops_->setObjectName(QStringLiteral("backdrops"));
    texts_.text(backdrops_->addChip(), [] { return S::t(QStringLiteral("Dark"), QStringLiteral("Koyu")); });
    texts_.text(backdrops_->addChip(), [] { return S::t(QStringLiteral("Grid"), QStringLiteral("Şeffaf")); });
    texts_.text(backdrops_->addChip(), [] { return S::t(QStringLiteral("Light"), QStringLiteral("Açık")); });
    connect(backdrops_, &ChipGrid::chipClicked, this,
            [this](int index) { editor_.setBackdrop(EnumCases<CanvasBackdrop>::cases[index].first); });
    column->addWidget(backdrops_);
}

void AiColorTab::sync() {
    syncBackground();
    syncRecognition();
    syncBarcodes();
    syncEyedropper();
    backdrops_->setSelectedIndex(caseIndex(editor_.backdrop()));
}

void AiColorTab::syncBackground() {
    const BackgroundStudioSettings& s = editor_.bgSettings();
    const bool hasImage = editor_.hasImage();
    const bool busy = editor_.isProcessingAI();
    engines_->setSelectedIndex(caseIndex(s.engine));
    keyBox_->setVisible(s.engine == BackgroundCutoutEngine::colorKeyMagic);
    tolerance_->setValue(s.colorKeyTolerance);
    {
        const QSignalBlocker blocker(contiguous_);
        contiguous_->setChecked(s.colorKeyContiguous);
    }
    pickKey_->setEnabled(hasImage);
    // Shown in the key colour it would remove, so the user sees what was picked.
    if (pickKey_->property("keyColor").value<QColor>() != s.colorKeyTarget.cgColor()) {
        pickKey_->setProperty("keyColor", s.colorKeyTarget.cgColor());
        pickKey_->setIcon(symbols::icon(QStringLiteral("eyedropper"), s.colorKeyTarget.cgColor()));
    }

    applyBackground_->setText(buttonTitle(s.enabled ? S::reapplyBackground() : S::removeBackground()));
    setAccented(applyBackground_, !s.enabled);
    applyBackground_->setEnabled(hasImage && !busy);
    restoreBackground_->setVisible(s.enabled);
    restoreBackground_->setEnabled(hasImage && !busy);
    feather_->setValue(s.edgeFeather);

    fillBox_->setVisible(s.enabled);
    fills_->setSelectedIndex(caseIndex(s.fillStyle));
    blur_->setVisible(s.fillStyle == BackgroundFillStyle::portraitBlur);
    blur_->setValue(s.blurRadius);
    fillColors_->setVisible(s.fillStyle == BackgroundFillStyle::customColor);
    fillColors_->setSelectedColor(s.customFillColor);
    trim_->setVisible(s.fillStyle == BackgroundFillStyle::transparent);
    trim_->setEnabled(hasImage && !busy);
}

void AiColorTab::syncRecognition() {
    const bool ready = editor_.hasImage() && !editor_.isProcessingAI();
    ocr_->setEnabled(ready);
    scan_->setEnabled(ready);
    const QString& text = editor_.extractedOCRText();
    ocrBox_->setVisible(!text.isEmpty());
    ocrText_->setText(text);
    ocrLines_->setText(
        S::t(QStringLiteral("Lines: %1"), QStringLiteral("Satır: %1")).arg(editor_.extractedOCRLineCount()));
}

void AiColorTab::syncBarcodes() {
    clearLayout(barcodeList_);
    for (const DetectedBarcode& barcode : editor_.detectedBarcodes()) {
        auto* line = new QWidget;
        line->setObjectName(QStringLiteral("barcode"));
        line->setProperty("role", QStringLiteral("well"));
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(8, 6, 4, 6);
        layout->setSpacing(4);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(0);
        auto* kind = new QLabel(barcode.symbology);
        kind->setProperty("role", QStringLiteral("caption"));
        auto* payload = new QLabel(barcode.payload);
        payload->setTextFormat(Qt::PlainText);
        payload->setWordWrap(true);
        payload->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(kind);
        texts->addWidget(payload);
        layout->addLayout(texts, 1);
        QToolButton* copy = iconButton(QStringLiteral("doc.on.doc"));
        copy->setObjectName(QStringLiteral("copyBarcode"));
        copy->setToolTip(S::copyImage());
        connect(copy, &QToolButton::clicked, this,
                [this, text = barcode.payload] { editor_.copyStringToClipboard(text); });
        layout->addWidget(copy, 0, Qt::AlignVCenter);
        if (const std::optional<QUrl> url = barcode.url()) {
            QToolButton* open = iconButton(QStringLiteral("arrow.up.right.square"));
            open->setObjectName(QStringLiteral("openBarcode"));
            open->setToolTip(S::t(QStringLiteral("Open"), QStringLiteral("Aç")));
            connect(open, &QToolButton::clicked, this, [this, u = *url] { editor_.openExternalURL(u); });
            layout->addWidget(open, 0, Qt::AlignVCenter);
        }
        barcodeList_->addWidget(line);
    }
}

void AiColorTab::syncEyedropper() {
    const bool sampling =
        editor_.isEyedropperActive() && editor_.eyedropperPurpose() == EyedropperPurpose::sampleColor;
    eyedropper_->setEnabled(editor_.hasImage());
    setAccented(eyedropper_, sampling);
    setAccented(pickKey_, editor_.isEyedropperActive() &&
                              editor_.eyedropperPurpose() == EyedropperPurpose::pickBackgroundKeyColor);
    eyedropperHint_->setVisible(editor_.isEyedropperActive());
    const std::optional<SampledColor>& color = editor_.sampledColor();
    sampleBox_->setVisible(color.has_value());
    if (!color) return;
    sampleSwatch_->setStyleSheet(QStringLiteral("background: rgb(%1, %2, %3); border: 1px solid #3a3c42; "
                                                "border-radius: 6px;")
                                     .arg(color->r)
                                     .arg(color->g)
                                     .arg(color->b));
    hex_->setValue(color->hexString());
    rgb_->setValue(color->rgbString());
    hsl_->setValue(color->hslString());
}

} // namespace inspector
