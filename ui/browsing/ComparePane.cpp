#include "ui/browsing/ComparePane.h"

#include "ui/browsing/CompareImageView.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* makeChevron(QWidget* parent, const QString& symbol) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbols::icon(symbol, theme::text));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(28, 24);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QToolButton { background: %1; border: 1px solid %2; border-radius: %3px; }"
                       "QToolButton:hover { border-color: %4; }"
                       "QToolButton:pressed { background: %2; }"
                       "QToolButton:focus { border-color: %5; }")
            .arg(theme::raised.name(), theme::hairline.name())
            .arg(theme::controlRadius)
            .arg(theme::hairline.lighter(150).name(), theme::accent.name()));
    return button;
}

} // namespace

ComparePane::ComparePane(EditorViewModel& editor, QWidget* parent) : QWidget(parent) {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("comparePaneHeader"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setStyleSheet(
        QStringLiteral("#comparePaneHeader { background: %1; border-bottom: 1px solid %2; }")
            .arg(theme::panel.name(), theme::hairline.name()));
    header->setFixedHeight(40);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(8);
    previous_ = makeChevron(header, QStringLiteral("chevron.left"));
    next_ = makeChevron(header, QStringLiteral("chevron.right"));
    title_ = new QLabel(header);
    title_->setAlignment(Qt::AlignCenter);
    QFont titleFont = title_->font();
    titleFont.setWeight(QFont::DemiBold);
    title_->setFont(titleFont);
    title_->setMinimumWidth(40);
    title_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(previous_);
    row->addWidget(title_, 1);
    row->addWidget(next_);

    image_ = new CompareImageView(editor, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header);
    column->addWidget(image_, 1);

    title_->installEventFilter(this);
    connect(previous_, &QToolButton::clicked, this, &ComparePane::previousClicked);
    connect(next_, &QToolButton::clicked, this, &ComparePane::nextClicked);
}

void ComparePane::setTitle(const QString& title) {
    fullTitle_ = title;
    title_->setToolTip(title);
    elideTitle();
}

void ComparePane::setButtonTips(const QString& previous, const QString& next) {
    previous_->setToolTip(previous);
    next_->setToolTip(next);
}

bool ComparePane::eventFilter(QObject* watched, QEvent* event) {
    // The label learns its width from the header's layout after the pane's own resize.
    if (watched == title_ && event->type() == QEvent::Resize) elideTitle();
    return QWidget::eventFilter(watched, event);
}

void ComparePane::elideTitle() {
    // One line, shortened in the middle so both the start of the name and its extension show.
    title_->setText(
        title_->fontMetrics().elidedText(fullTitle_, Qt::ElideMiddle, std::max(0, title_->width() - 4)));
}
