#include "ui/inspector/InspectorControls.h"

#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariant>
#include <algorithm>
#include <cmath>

namespace inspector {

namespace {

constexpr int kSwatchDiameter = 22;
constexpr int kSwatchRing = 3;

// A value without spaces (a file name, a web address) may be wider than the column: a zero-width
// space after each of its characters lets the label wrap it instead of cutting it.
QString breakable(const QString& text) {
    constexpr int kLongestUnbroken = 22;
    QString out;
    int run = 0;
    for (QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run >= kLongestUnbroken && !c.isHighSurrogate()) out += QChar(0x200B);
    }
    return out;
}

} // namespace

void LocalizedTexts::add(std::function<void()> apply) {
    apply();
    appliers_.push_back(std::move(apply));
}

void LocalizedTexts::tooltip(QWidget* widget, std::function<QString()> text) {
    add([widget, text = std::move(text)] { widget->setToolTip(text()); });
}

void LocalizedTexts::apply() const {
    for (const auto& apply : appliers_)
        apply();
}

QVBoxLayout* sectionStack(QWidget* tab) {
    auto* stack = new QVBoxLayout(tab);
    stack->setContentsMargins(theme::sectionPadding, theme::sectionPadding, theme::sectionPadding, 16);
    stack->setSpacing(20);
    return stack;
}

QVBoxLayout* addSection(QVBoxLayout* stack, LocalizedTexts& texts, const QString& symbol,
                        std::function<QString()> title, QWidget* trailing) {
    auto* section = new QWidget;
    section->setProperty("role", QStringLiteral("section"));
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(theme::spacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(6);
    auto* icon = new QLabel;
    icon->setPixmap(symbols::icon(symbol, theme::accent).pixmap(QSize(16, 16), section->devicePixelRatioF()));
    icon->setFixedSize(18, 18);
    icon->setAlignment(Qt::AlignCenter);
    auto* label = new QLabel;
    label->setProperty("role", QStringLiteral("sectionTitle"));
    label->setWordWrap(true);
    texts.text(label, std::move(title));
    header->addWidget(icon, 0, Qt::AlignTop);
    header->addWidget(label, 1);
    if (trailing) header->addWidget(trailing, 0, Qt::AlignVCenter);
    column->addLayout(header);

    stack->addWidget(section);
    return column;
}

QVBoxLayout* addActionSection(QVBoxLayout* stack) {
    auto* section = new QWidget;
    section->setProperty("role", QStringLiteral("section"));
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(theme::spacing);
    stack->addWidget(section);
    return column;
}

QLabel* caption(LocalizedTexts& texts, std::function<QString()> text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setProperty("role", QStringLiteral("caption"));
    label->setWordWrap(true);
    texts.text(label, std::move(text));
    return label;
}

QLabel* hint(LocalizedTexts& texts, std::function<QString()> text, QWidget* parent) {
    auto* label = caption(texts, std::move(text), parent);
    label->setProperty("role", QStringLiteral("hint"));
    return label;
}

QPushButton* chip(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setProperty("role", QStringLiteral("chip"));
    button->setCheckable(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QPushButton* pill(const QString& symbol, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setProperty("role", QStringLiteral("pill"));
    button->setIcon(symbols::icon(symbol, theme::text));
    button->setIconSize(QSize(16, 16));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void setAccented(QPushButton* button, bool accented) {
    if (button->property("accented").toBool() == accented) return;
    button->setProperty("accented", accented);
    // Property selectors are matched when the style is applied: apply it again.
    button->style()->unpolish(button);
    button->style()->polish(button);
}

QToolButton* compactButton(const QString& symbol, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setProperty("role", QStringLiteral("compact"));
    button->setIcon(symbols::icon(symbol, theme::text));
    button->setIconSize(QSize(18, 18));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QToolButton* iconButton(const QString& symbol, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setProperty("role", QStringLiteral("icon"));
    button->setIcon(symbols::icon(symbol, theme::text));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(28, 28);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QString buttonTitle(const QString& text) {
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

ButtonRow::ButtonRow(std::initializer_list<QWidget*> widgets, QWidget* parent)
    : QWidget(parent), layout_(new QBoxLayout(QBoxLayout::LeftToRight, this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(theme::spacing);
    for (QWidget* widget : widgets)
        layout_->addWidget(widget, 1);
    relayout();
}

void ButtonRow::relayout() {
    int needed = 0;
    int shown = 0;
    for (int i = 0; i < layout_->count(); ++i)
        if (QWidget* widget = layout_->itemAt(i)->widget(); widget && !widget->isHidden()) {
            widget->ensurePolished();
            needed += widget->sizeHint().width();
            ++shown;
        }
    needed += std::max(0, shown - 1) * layout_->spacing();
    layout_->setDirection(needed > contentWidth - 4 ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

QWidget* row(std::initializer_list<QWidget*> widgets, QWidget* parent) {
    return new ButtonRow(widgets, parent);
}

ChipGrid::ChipGrid(int maxColumns, QWidget* parent)
    : QWidget(parent), grid_(new QGridLayout(this)), maxColumns_(std::max(1, maxColumns)) {
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(6);
}

QPushButton* ChipGrid::addChip() {
    auto* button = chip(this);
    const int index = static_cast<int>(chips_.size());
    chips_.append(button);
    connect(button, &QPushButton::clicked, this, [this, index] { Q_EMIT chipClicked(index); });
    columns_ = 0; // lay out again with the new chip
    relayout();
    return button;
}

void ChipGrid::setSelectedIndex(int index) {
    for (int i = 0; i < chips_.size(); ++i)
        chips_[i]->setChecked(i == index);
}

void ChipGrid::relayout() {
    if (chips_.isEmpty()) return;
    int widest = 0;
    for (QPushButton* button : chips_) {
        button->ensurePolished();
        widest = std::max(widest, button->sizeHint().width());
    }
    const int spacing = grid_->horizontalSpacing();
    int columns = maxColumns_;
    while (columns > 1 && columns * widest + (columns - 1) * spacing > contentWidth - 2 * 4)
        --columns;
    if (columns == columns_) return;
    columns_ = columns;
    for (QPushButton* button : chips_)
        grid_->removeWidget(button);
    for (int i = 0; i < chips_.size(); ++i)
        grid_->addWidget(chips_[i], i / columns, i % columns);
    for (int c = 0; c < maxColumns_; ++c)
        grid_->setColumnStretch(c, c < columns ? 1 : 0);
}

ColorSwatchRow::ColorSwatchRow(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ColorSwatchRow::setSelectedColor(const RGBAColor& color) {
    if (selected_ == color) return;
    selected_ = color;
    update();
}

QSize ColorSwatchRow::sizeHint() const {
    const int n = static_cast<int>(RGBAColor::palette.size());
    return {n * kSwatchDiameter + (n - 1) * 8 + 2 * kSwatchRing, kSwatchDiameter + 2 * kSwatchRing + 2};
}

QPoint ColorSwatchRow::swatchCenter(int index) const {
    const int n = static_cast<int>(RGBAColor::palette.size());
    const int usable = width() - 2 * kSwatchRing - kSwatchDiameter;
    const int step = n > 1 ? std::min(usable / (n - 1), kSwatchDiameter + 14) : 0;
    return {kSwatchRing + kSwatchDiameter / 2 + index * step, height() / 2};
}

int ColorSwatchRow::indexAt(QPoint point) const {
    const int n = static_cast<int>(RGBAColor::palette.size());
    for (int i = 0; i < n; ++i) {
        const QPoint d = point - swatchCenter(i);
        if (d.x() * d.x() + d.y() * d.y() <= (kSwatchDiameter / 2 + 3) * (kSwatchDiameter / 2 + 3)) return i;
    }
    return -1;
}

void ColorSwatchRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < static_cast<int>(RGBAColor::palette.size()); ++i) {
        const RGBAColor& color = RGBAColor::palette[i];
        const QPointF c = swatchCenter(i);
        const double r = kSwatchDiameter / 2.0;
        p.setPen(QPen(theme::hairline, 1));
        p.setBrush(color.cgColor());
        p.drawEllipse(c, r, r);
        if (color == selected_) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(theme::text, 2));
            p.drawEllipse(c, r + kSwatchRing - 0.5, r + kSwatchRing - 0.5);
        }
    }
}

void ColorSwatchRow::mousePressEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || index < 0) return QWidget::mousePressEvent(event);
    Q_EMIT colorPicked(RGBAColor::palette[index]);
}

InfoRow::InfoRow(bool copyable, QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), value_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(theme::spacing);
    label_->setProperty("role", QStringLiteral("rowLabel"));
    // Labels are short names; the value takes the rest of the row and wraps when it must.
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    value_->setWordWrap(true);
    value_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    value_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value_->setTextFormat(Qt::PlainText);
    layout->addWidget(label_, 0);
    layout->addWidget(value_, 1);
    if (copyable) {
        copy_ = iconButton(QStringLiteral("doc.on.doc"), this);
        layout->addWidget(copy_, 0, Qt::AlignVCenter);
        connect(copy_, &QToolButton::clicked, this, [this] { Q_EMIT copyRequested(raw_); });
    }
}

void InfoRow::setLabel(const QString& label) {
    label_->setText(label);
}

void InfoRow::setValue(const QString& value) {
    raw_ = value;
    value_->setText(breakable(value));
}

void clearLayout(QBoxLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) delete widget;
        if (auto* inner = qobject_cast<QBoxLayout*>(item->layout())) clearLayout(inner);
        delete item;
    }
}

} // namespace inspector
