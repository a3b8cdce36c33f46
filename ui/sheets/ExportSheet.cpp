#include "ui/sheets/ExportSheet.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/sheets/SheetParts.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr double kMinimumQuality = 0.15;
// Room for 16000 and a little more.
constexpr int kSizeFieldWidth = 84;

// Whole numbers only; the editor clamps the value when it is committed, so the field may hold
// any count of digits the user types (a 10 becomes 16, a 20000 becomes 16000).
QValidator* wholeNumberValidator(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,7}")), parent);
}

} // namespace

ExportSheet::ExportSheet(EditorViewModel& editor, QWidget* parent) : QDialog(parent), editor_(editor) {
    setWindowModality(Qt::WindowModal);
    sheetparts::applySheetStyle(*this);

    header_ = new SheetHeader(QStringLiteral("square.and.arrow.up"), this);
    header_->setMinimumWidth(sheetparts::kContentWidth);

    formatLabel_ = new QLabel(this);
    format_ = new QComboBox(this);
    for (const auto& [format, raw] : EnumCases<ImageExportFormat>::cases)
        format_->addItem(displayName(format), QVariant::fromValue(static_cast<int>(format)));
    formatLabel_->setBuddy(format_);

    quality_ = new QualityRow(kMinimumQuality, this);

    resize_ = new QCheckBox(this);

    sizeRow_ = new QWidget(this);
    widthLabel_ = new QLabel(sizeRow_);
    width_ = new QLineEdit(sizeRow_);
    width_->setPlaceholderText(QStringLiteral("W"));
    width_->setValidator(wholeNumberValidator(width_));
    width_->setAlignment(Qt::AlignRight);
    width_->setFixedWidth(kSizeFieldWidth);
    widthLabel_->setBuddy(width_);
    lock_ = new QToolButton(sizeRow_);
    lock_->setIconSize(QSize(16, 16));
    lock_->setFocusPolicy(Qt::StrongFocus);
    heightLabel_ = new QLabel(sizeRow_);
    height_ = new QLineEdit(sizeRow_);
    height_->setPlaceholderText(QStringLiteral("H"));
    height_->setValidator(wholeNumberValidator(height_));
    height_->setAlignment(Qt::AlignRight);
    height_->setFixedWidth(kSizeFieldWidth);
    heightLabel_->setBuddy(height_);
    auto* sizeLayout = new QHBoxLayout(sizeRow_);
    sizeLayout->setContentsMargins(24, 0, 0, 0);
    sizeLayout->setSpacing(theme::spacing);
    sizeLayout->addWidget(widthLabel_);
    sizeLayout->addWidget(width_);
    sizeLayout->addWidget(lock_);
    sizeLayout->addWidget(heightLabel_);
    sizeLayout->addWidget(height_);
    sizeLayout->addStretch(1);

    strip_ = new QCheckBox(this);

    cancel_ = new QPushButton(this);
    cancel_->setAutoDefault(false);
    save_ = new QPushButton(this);
    save_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(theme::spacing);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(save_);

    auto* formatRow = new QHBoxLayout;
    formatRow->setSpacing(theme::spacing);
    formatRow->addWidget(formatLabel_);
    formatRow->addWidget(format_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(12);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(header_);
    layout->addSpacing(4);
    layout->addLayout(formatRow);
    layout->addWidget(quality_);
    layout->addWidget(resize_);
    layout->addWidget(sizeRow_);
    layout->addWidget(strip_);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    // Each control writes its one field into the editor's options; format, quality and the
    // resize switch change the encoded size and ask for a new estimate, the metadata switch
    // doesn't (no output carries the source's metadata in any case).
    connect(format_, &QComboBox::activated, this, [this](int index) {
        ImageExportOptions options = editor_.exportOptions();
        options.format = static_cast<ImageExportFormat>(format_->itemData(index).toInt());
        editor_.setExportOptions(options);
        editor_.recomputeExportEstimate();
    });
    connect(quality_, &QualityRow::valueEdited, this, [this](double quality) {
        ImageExportOptions options = editor_.exportOptions();
        options.quality = quality;
        editor_.setExportOptions(options);
        editor_.recomputeExportEstimate();
    });
    connect(resize_, &QCheckBox::toggled, this, [this](bool on) {
        ImageExportOptions options = editor_.exportOptions();
        options.resizeEnabled = on;
        editor_.setExportOptions(options);
        editor_.recomputeExportEstimate();
    });
    connect(lock_, &QToolButton::clicked, this, [this] {
        ImageExportOptions options = editor_.exportOptions();
        options.lockAspectRatio = !options.lockAspectRatio;
        editor_.setExportOptions(options);
    });
    connect(strip_, &QCheckBox::toggled, this, [this](bool on) {
        ImageExportOptions options = editor_.exportOptions();
        options.stripMetadata = on;
        editor_.setExportOptions(options);
    });
    connect(width_, &QLineEdit::editingFinished, this, &ExportSheet::commitWidth);
    connect(height_, &QLineEdit::editingFinished, this, &ExportSheet::commitHeight);
    sheetparts::commitOnReturn(*width_, [this] { commitWidth(); });
    sheetparts::commitOnReturn(*height_, [this] { commitHeight(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, [this] {
        // The typed size counts even when the user goes straight from a field to "Save…".
        commitWidth();
        commitHeight();
        editor_.performExportSavePanel();
    });

    connect(&editor_, &EditorViewModel::exportOptionsChanged, this, &ExportSheet::showOptions);
    connect(&editor_, &EditorViewModel::estimatedExportSizeTextChanged, this, &ExportSheet::showEstimate);
    connect(&editor_, &EditorViewModel::languageChanged, this, &ExportSheet::retranslate);
    // A written export ends the sheet from the editor's side.
    connect(&editor_, &EditorViewModel::showExportSheetChanged, this, [this] {
        if (!editor_.showExportSheet() && isVisible()) accept();
    });

    retranslate();
    showOptions();
}

QString ExportSheet::estimateText() const {
    return header_->subtitle();
}

void ExportSheet::retranslate() {
    setWindowTitle(S::exportTitle());
    header_->setTitle(S::exportTitle());
    formatLabel_->setText(sheetparts::literalText(S::formatLabel()));
    quality_->setLabel(S::qualityLabel());
    resize_->setText(sheetparts::literalText(S::resizeToggle()));
    widthLabel_->setText(sheetparts::literalText(S::widthLabel()));
    heightLabel_->setText(sheetparts::literalText(S::heightLabel()));
    strip_->setText(sheetparts::literalText(S::stripMetadataExport()));
    cancel_->setText(sheetparts::literalText(S::cancel()));
    save_->setText(sheetparts::literalText(S::exportSave()));
    showEstimate();
}

void ExportSheet::showOptions() {
    const ImageExportOptions& options = editor_.exportOptions();
    {
        const QSignalBlocker blockFormat(format_);
        format_->setCurrentIndex(format_->findData(static_cast<int>(options.format)));
    }
    quality_->setVisible(supportsQuality(options.format));
    quality_->setValue(options.quality);
    {
        const QSignalBlocker blockResize(resize_);
        resize_->setChecked(options.resizeEnabled);
    }
    sizeRow_->setVisible(options.resizeEnabled);
    // A field the user is typing in keeps its text until it is committed.
    if (!width_->hasFocus() || !width_->isModified()) width_->setText(QString::number(options.targetWidth));
    if (!height_->hasFocus() || !height_->isModified())
        height_->setText(QString::number(options.targetHeight));
    const QString lockSymbol =
        options.lockAspectRatio ? QStringLiteral("lock.fill") : QStringLiteral("lock.open");
    lock_->setIcon(symbols::icon(lockSymbol, options.lockAspectRatio ? theme::accent : theme::secondaryText));
    {
        const QSignalBlocker blockStrip(strip_);
        strip_->setChecked(options.stripMetadata);
    }
}

void ExportSheet::showEstimate() {
    // The size is isolated as left-to-right text, so a right-to-left sentence keeps "64.8 kB" in
    // its own order instead of turning it into "kB 64.8".
    const QString size = editor_.estimatedExportSizeText();
    header_->setSubtitle(S::estimatedSize() + QStringLiteral(": ") +
                         (size.isEmpty() ? size : QChar(0x2066) + size + QChar(0x2069)));
}

void ExportSheet::commitWidth() {
    bool ok = false;
    const int value = width_->text().toInt(&ok);
    if (ok && value != editor_.exportOptions().targetWidth) editor_.updateExportWidth(value);
    // The editor may have clamped the value to what it already held: show what it holds.
    width_->setText(QString::number(editor_.exportOptions().targetWidth));
    width_->setModified(false);
}

void ExportSheet::commitHeight() {
    bool ok = false;
    const int value = height_->text().toInt(&ok);
    if (ok && value != editor_.exportOptions().targetHeight) editor_.updateExportHeight(value);
    height_->setText(QString::number(editor_.exportOptions().targetHeight));
    height_->setModified(false);
}
