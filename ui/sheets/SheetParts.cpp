#include "ui/sheets/SheetParts.h"

#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace sheetparts {

namespace {

class ReturnCommits : public QObject {
  public:
    ReturnCommits(QLineEdit& field, std::function<void()> commit)
        : QObject(&field), commit_(std::move(commit)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        commit_();
        return true;
    }

  private:
    std::function<void()> commit_;
};

} // namespace

void commitOnReturn(QLineEdit& field, std::function<void()> commit) {
    field.installEventFilter(new ReturnCommits(field, std::move(commit)));
}

void applySheetStyle(QDialog& sheet) {
    sheet.setStyleSheet(QStringLiteral(
        "QDialog { background: #24262b; }"
        "QLineEdit { background: #2e3036; border: 1px solid #3a3c42; border-radius: 6px;"
        "  padding: 4px 6px; selection-background-color: #3d8bfd; }"
        "QLineEdit:focus { border-color: #3d8bfd; }"
        "QLineEdit:disabled { color: #6b6d74; }"
        "QPushButton { background: #2e3036; border: 1px solid #3a3c42; border-radius: 6px;"
        "  padding: 5px 14px; min-width: 64px; }"
        "QPushButton:hover { background: #383a41; }"
        "QPushButton:pressed { background: #24262b; }"
        "QPushButton:focus { border-color: #3d8bfd; }"
        "QPushButton:disabled { color: #6b6d74; background: #282a2f; }"
        "QPushButton:default { background: #3d8bfd; border-color: #3d8bfd; color: white; }"
        "QPushButton:default:hover { background: #5599fd; }"
        "QPushButton:default:pressed { background: #2f74d8; }"
        "QPushButton:default:disabled { background: #2b3f5e; border-color: #2b3f5e; color: #8a9bb5; }"
        "QToolButton { background: transparent; border: 1px solid transparent; border-radius: 6px;"
        "  padding: 3px; }"
        "QToolButton:hover { background: #2e3036; border-color: #3a3c42; }"
        "QToolButton:pressed { background: #24262b; }"
        "QToolButton:focus { border-color: #3d8bfd; }"
        "QCheckBox { spacing: 8px; }"
        "QCheckBox:disabled { color: #6b6d74; }"
        "QLabel[role=\"caption\"] { color: #9b9ca3; }"));
}

QString literalText(const QString& text) {
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace sheetparts

SheetHeader::SheetHeader(const QString& symbolName, QWidget* parent) : QWidget(parent) {
    auto* symbol = new QLabel(this);
    symbol->setFont(symbols::font(30));
    symbol->setText(symbols::glyph(symbolName));
    QPalette symbolPalette = symbol->palette();
    symbolPalette.setColor(QPalette::WindowText, theme::accent);
    symbol->setPalette(symbolPalette);
    symbol->setFixedSize(36, 36);
    symbol->setAlignment(Qt::AlignCenter);

    title_ = new QLabel(this);
    QFont titleFont = title_->font();
    titleFont.setPixelSize(17);
    titleFont.setWeight(QFont::DemiBold);
    title_->setFont(titleFont);

    subtitle_ = new QLabel(this);
    subtitle_->setProperty("role", QStringLiteral("caption"));
    QPalette captionPalette = subtitle_->palette();
    captionPalette.setColor(QPalette::WindowText, theme::secondaryText);
    subtitle_->setPalette(captionPalette);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addWidget(symbol, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
}

void SheetHeader::setTitle(const QString& title) {
    title_->setText(title);
}

void SheetHeader::setSubtitle(const QString& subtitle) {
    subtitle_->setText(subtitle);
}

QString SheetHeader::subtitle() const {
    return subtitle_->text();
}

QualityRow::QualityRow(double minimum, QWidget* parent) : QWidget(parent) {
    label_ = new QLabel(this);
    value_ = new QLabel(this);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the widest value, so the row doesn't shift while the slider moves.
    value_->setMinimumWidth(value_->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 2);
    // Secondary while enabled; a disabled row greys it like the rest of the sheet.
    QPalette valuePalette = value_->palette();
    valuePalette.setColor(QPalette::Active, QPalette::WindowText, theme::secondaryText);
    valuePalette.setColor(QPalette::Inactive, QPalette::WindowText, theme::secondaryText);
    value_->setPalette(valuePalette);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setLayoutDirection(Qt::LeftToRight); // more to the right, in every language
    slider_->setRange(static_cast<int>(std::lround(minimum * 100)), 100);
    slider_->setPageStep(5);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(label_);
    top->addStretch(1);
    top->addWidget(value_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addLayout(top);
    column->addWidget(slider_);

    connect(slider_, &QSlider::valueChanged, this, [this](int percent) {
        showPercent(percent);
        Q_EMIT valueEdited(percent / 100.0);
    });
}

void QualityRow::setValue(double quality) {
    const QSignalBlocker blocker(slider_);
    slider_->setValue(static_cast<int>(std::lround(quality * 100)));
    // The text tells the stored value even where the slider's range stops short of it.
    showPercent(static_cast<int>(std::lround(quality * 100)));
}

void QualityRow::setLabel(const QString& label) {
    label_->setText(label);
}

QString QualityRow::valueText() const {
    return value_->text();
}

void QualityRow::showPercent(int percent) {
    value_->setText(QString::number(percent) + QLatin1Char('%'));
}
