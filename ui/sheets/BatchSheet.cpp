#include "ui/sheets/BatchSheet.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/sheets/BusySpinner.h"
#include "ui/sheets/SheetParts.h"
#include "ui/theme/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr double kMinimumQuality = 0.2;

void setCheckedQuietly(QCheckBox* box, bool checked) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

} // namespace

BatchSheet::BatchSheet(EditorViewModel& editor, QWidget* parent) : QDialog(parent), editor_(editor) {
    setWindowModality(Qt::WindowModal);
    sheetparts::applySheetStyle(*this);

    header_ = new SheetHeader(QStringLiteral("square.stack.3d.up.fill"), this);
    header_->setMinimumWidth(sheetparts::kContentWidth);

    // Everything the batch copies when it starts; locked while it runs, since a change then
    // would reach no file.
    settings_ = new QWidget(this);
    formatLabel_ = new QLabel(settings_);
    format_ = new QComboBox(settings_);
    for (const auto& [format, raw] : EnumCases<ImageExportFormat>::cases)
        format_->addItem(displayName(format), QVariant::fromValue(static_cast<int>(format)));
    formatLabel_->setBuddy(format_);
    quality_ = new QualityRow(kMinimumQuality, settings_);
    resize_ = new QCheckBox(settings_);
    maxEdgeRow_ = new QWidget(settings_);
    maxEdgeLabel_ = new QLabel(maxEdgeRow_);
    maxEdge_ = new QLineEdit(maxEdgeRow_);
    maxEdge_->setPlaceholderText(QStringLiteral("1920"));
    maxEdge_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), maxEdge_));
    maxEdge_->setAlignment(Qt::AlignRight);
    maxEdge_->setFixedWidth(96);
    maxEdgeLabel_->setBuddy(maxEdge_);
    auto* maxEdgeLayout = new QHBoxLayout(maxEdgeRow_);
    maxEdgeLayout->setContentsMargins(24, 0, 0, 0);
    maxEdgeLayout->setSpacing(theme::spacing);
    maxEdgeLayout->addWidget(maxEdgeLabel_);
    maxEdgeLayout->addWidget(maxEdge_);
    maxEdgeLayout->addStretch(1);
    strip_ = new QCheckBox(settings_);
    watermark_ = new QCheckBox(settings_);
    favoritesOnly_ = new QCheckBox(settings_);

    auto* formatRow = new QHBoxLayout;
    formatRow->setSpacing(theme::spacing);
    formatRow->addWidget(formatLabel_);
    formatRow->addWidget(format_, 1);
    auto* settingsLayout = new QVBoxLayout(settings_);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    settingsLayout->setSpacing(12);
    settingsLayout->addLayout(formatRow);
    settingsLayout->addWidget(quality_);
    settingsLayout->addWidget(resize_);
    settingsLayout->addWidget(maxEdgeRow_);
    settingsLayout->addWidget(strip_);
    settingsLayout->addWidget(watermark_);
    settingsLayout->addWidget(favoritesOnly_);

    progressRow_ = new QWidget(this);
    spinner_ = new BusySpinner(16, progressRow_);
    progress_ = new QLabel(progressRow_);
    auto* progressLayout = new QHBoxLayout(progressRow_);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->setSpacing(theme::spacing);
    progressLayout->addWidget(spinner_);
    progressLayout->addWidget(progress_, 1);

    cancel_ = new QPushButton(this);
    cancel_->setAutoDefault(false);
    run_ = new QPushButton(this);
    run_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(theme::spacing);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(run_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(12);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(header_);
    layout->addSpacing(4);
    layout->addWidget(settings_);
    layout->addWidget(progressRow_);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    connect(format_, &QComboBox::activated, this, [this](int index) {
        editor_.setBatchFormat(static_cast<ImageExportFormat>(format_->itemData(index).toInt()));
    });
    connect(quality_, &QualityRow::valueEdited, this,
            [this](double quality) { editor_.setBatchQuality(quality); });
    connect(resize_, &QCheckBox::toggled, this, [this](bool on) { editor_.setBatchResizeEnabled(on); });
    connect(maxEdge_, &QLineEdit::editingFinished, this, &BatchSheet::commitMaxEdge);
    sheetparts::commitOnReturn(*maxEdge_, [this] { commitMaxEdge(); });
    connect(strip_, &QCheckBox::toggled, this, [this](bool on) { editor_.setBatchStripMetadata(on); });
    connect(watermark_, &QCheckBox::toggled, this, [this](bool on) { editor_.setBatchApplyWatermark(on); });
    connect(favoritesOnly_, &QCheckBox::toggled, this,
            [this](bool on) { editor_.setBatchFavoritesOnly(on); });
    connect(cancel_, &QPushButton::clicked, this, &BatchSheet::reject);
    connect(run_, &QPushButton::clicked, this, [this] {
        commitMaxEdge();
        editor_.runBatchFolderExport();
    });

    connect(&editor_, &EditorViewModel::batchFormatChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchQualityChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchResizeEnabledChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchMaxEdgeChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchStripMetadataChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchApplyWatermarkChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::batchFavoritesOnlyChanged, this, &BatchSheet::showSettings);
    connect(&editor_, &EditorViewModel::folderImagesChanged, this, &BatchSheet::showFolder);
    connect(&editor_, &EditorViewModel::favoritePathsChanged, this, &BatchSheet::showFolder);
    connect(&editor_, &EditorViewModel::isRunningBatchChanged, this, &BatchSheet::showRunState);
    connect(&editor_, &EditorViewModel::batchProgressTextChanged, this, &BatchSheet::showRunState);
    connect(&editor_, &EditorViewModel::languageChanged, this, &BatchSheet::retranslate);
    // The finished batch ends the sheet from the editor's side.
    connect(&editor_, &EditorViewModel::showBatchSheetChanged, this, [this] {
        if (!editor_.showBatchSheet() && isVisible()) accept();
    });

    retranslate();
    showSettings();
    showRunState();
}

void BatchSheet::reject() {
    if (editor_.isRunningBatch()) {
        stopRequested_ = true;
        editor_.cancelBatchExport();
        showRunState();
        return;
    }
    QDialog::reject();
}

void BatchSheet::retranslate() {
    setWindowTitle(S::batchTitle());
    header_->setTitle(S::batchTitle());
    formatLabel_->setText(sheetparts::literalText(S::formatLabel()));
    quality_->setLabel(S::qualityLabel());
    resize_->setText(sheetparts::literalText(S::resizeToggle()));
    maxEdgeLabel_->setText(sheetparts::literalText(S::maxEdgeLabel()));
    strip_->setText(sheetparts::literalText(S::stripMetadataExport()));
    watermark_->setText(sheetparts::literalText(S::applyWatermarkBatch()));
    cancel_->setText(sheetparts::literalText(S::cancel()));
    run_->setText(sheetparts::literalText(S::runBatch()));
    showFolder();
}

void BatchSheet::showSettings() {
    {
        const QSignalBlocker blocker(format_);
        format_->setCurrentIndex(format_->findData(static_cast<int>(editor_.batchFormat())));
    }
    quality_->setVisible(supportsQuality(editor_.batchFormat()));
    quality_->setValue(editor_.batchQuality());
    setCheckedQuietly(resize_, editor_.batchResizeEnabled());
    maxEdgeRow_->setVisible(editor_.batchResizeEnabled());
    if (!maxEdge_->hasFocus() || !maxEdge_->isModified())
        maxEdge_->setText(QString::number(editor_.batchMaxEdge()));
    setCheckedQuietly(strip_, editor_.batchStripMetadata());
    setCheckedQuietly(watermark_, editor_.batchApplyWatermark());
    setCheckedQuietly(favoritesOnly_, editor_.batchFavoritesOnly());
}

void BatchSheet::showFolder() {
    header_->setSubtitle(QString::number(editor_.folderImages().size()) + QLatin1Char(' ') +
                         S::t(QStringLiteral("images"), QStringLiteral("görsel")));
    const int favourites = editor_.favoriteCountInFolder();
    favoritesOnly_->setText(sheetparts::literalText(S::favoritesOnly()) + QStringLiteral(" (") +
                            QString::number(favourites) + QLatin1Char(')'));
    favoritesOnly_->setEnabled(favourites > 0);
    showRunState();
}

void BatchSheet::showRunState() {
    const bool running = editor_.isRunningBatch();
    if (!running) stopRequested_ = false;
    settings_->setEnabled(!running);
    progressRow_->setVisible(running);
    progress_->setText(editor_.batchProgressText());
    run_->setEnabled(!running && !editor_.folderImages().isEmpty());
    // During a run the cancel button stops the batch; once asked, it waits for the file in hand.
    cancel_->setEnabled(!stopRequested_);
}

void BatchSheet::commitMaxEdge() {
    bool ok = false;
    const int value = maxEdge_->text().toInt(&ok);
    if (ok) editor_.setBatchMaxEdge(value);
    maxEdge_->setText(QString::number(editor_.batchMaxEdge()));
    maxEdge_->setModified(false);
}
