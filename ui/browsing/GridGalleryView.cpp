#include "ui/browsing/GridGalleryView.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/browsing/AdaptiveGridListView.h"
#include "ui/browsing/FolderImagesModel.h"
#include "ui/browsing/GridCardDelegate.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// How many lines of cards beyond the screen are asked for after those in view.
constexpr int kLinesAhead = 2;
} // namespace

GridGalleryView::GridGalleryView(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, theme::window);
    setPalette(pal);

    // Header: search, count, favourites only.
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("gridHeader"));
    header->setAttribute(Qt::WA_StyledBackground);
    header->setStyleSheet(QStringLiteral("#gridHeader { background: %1; border-bottom: 1px solid %2; }")
                              .arg(theme::panel.name(), theme::hairline.name()));
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(16, 10, 16, 10);
    headerRow->setSpacing(12);

    search_ = new QLineEdit(header);
    // Only a click puts the cursor in the field: when the grid appears in place of the canvas,
    // the keyboard focus must not land here, or "G" and the arrow keys would type into it.
    search_->setFocusPolicy(Qt::ClickFocus);
    search_->setObjectName(QStringLiteral("gridSearchField"));
    search_->setClearButtonEnabled(false);
    search_->addAction(symbols::icon(QStringLiteral("magnifyingglass"), theme::secondaryText),
                       QLineEdit::LeadingPosition);
    search_->setMinimumWidth(220);
    search_->setMaximumWidth(340);
    search_->setFixedHeight(30);
    search_->setStyleSheet(
        QStringLiteral(
            "QLineEdit { background: %1; border: 1px solid %2; border-radius: %3px; padding: 0 2px;"
            " color: %4; selection-background-color: %5; }"
            "QLineEdit:hover { border-color: %6; }"
            "QLineEdit:focus { border-color: %5; }")
            .arg(theme::raised.name(), theme::hairline.name())
            .arg(theme::controlRadius)
            .arg(theme::text.name(), theme::accent.name(), theme::hairline.lighter(140).name()));

    clear_ = search_->addAction(symbols::icon(QStringLiteral("xmark.circle.fill"), theme::secondaryText),
                                QLineEdit::TrailingPosition);
    clear_->setObjectName(QStringLiteral("gridSearchClear"));

    count_ = new QLabel(header);
    count_->setObjectName(QStringLiteral("gridCount"));
    QFont countFont = count_->font();
    countFont.setPixelSize(12);
    countFont.setStyleHint(QFont::Monospace);
    count_->setFont(countFont);
    count_->setStyleSheet(QStringLiteral("color: %1;").arg(theme::secondaryText.name()));

    favorites_ = new QPushButton(header);
    favorites_->setObjectName(QStringLiteral("gridFavoritesOnly"));
    favorites_->setCheckable(true);
    // Like the search field: the focus must not fall here when the grid appears, or the space
    // bar would flip the filter.
    favorites_->setFocusPolicy(Qt::ClickFocus);
    favorites_->setCursor(Qt::PointingHandCursor);
    favorites_->setFixedHeight(30);
    favorites_->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; border: 1px solid %2; border-radius: %3px; padding: 0 "
                       "12px; color: %4; }"
                       "QPushButton:hover { border-color: %5; }"
                       "QPushButton:pressed { background: %2; }"
                       "QPushButton:checked { background: %6; border-color: %6; color: white; }"
                       "QPushButton:checked:hover { background: %7; }"
                       "QPushButton:focus { outline: none; border-color: %6; }")
            .arg(theme::raised.name(), theme::hairline.name())
            .arg(theme::controlRadius)
            .arg(theme::text.name(), theme::hairline.lighter(140).name(), theme::accent.name(),
                 theme::accent.lighter(112).name()));

    headerRow->addWidget(search_, 1);
    headerRow->addWidget(count_);
    headerRow->addStretch(0);
    headerRow->addWidget(favorites_);

    // The grid.
    model_ = new FolderImagesModel(editor_, FolderImagesModel::Rows::gridFilter, this);
    auto* delegate = new GridCardDelegate(this);
    list_ = new AdaptiveGridListView(delegate, this);
    list_->setModel(model_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header);
    column->addWidget(list_, 1);

    requestTimer_.setSingleShot(true);
    requestTimer_.setInterval(30);
    connect(&requestTimer_, &QTimer::timeout, this, &GridGalleryView::requestVisibleThumbnails);

    // The field and the editor's search text follow each other both ways.
    connect(search_, &QLineEdit::textEdited, this,
            [this](const QString& text) { editor_.setGridSearchText(text); });
    connect(clear_, &QAction::triggered, this, [this] {
        editor_.setGridSearchText(QString());
        search_->setFocus();
    });
    connect(favorites_, &QPushButton::toggled, this, [this](bool on) { editor_.setShowFavoritesOnly(on); });
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) {
        const int position = model_->folderIndexAt(index.row());
        if (position >= 0) editor_.selectImage(position, true);
    });

    connect(&editor_, &EditorViewModel::gridSearchTextChanged, this, &GridGalleryView::updateSearchField);
    for (auto signal : {&EditorViewModel::folderImagesChanged, &EditorViewModel::favoritePathsChanged,
                        &EditorViewModel::showFavoritesOnlyChanged, &EditorViewModel::gridSearchTextChanged,
                        &EditorViewModel::languageChanged})
        connect(&editor_, signal, this, &GridGalleryView::updateHeader);
    connect(&editor_, &EditorViewModel::thumbnailsChanged, this, &GridGalleryView::refreshVisibleThumbnails);
    connect(list_, &AdaptiveGridListView::visibleRangeChanged, &requestTimer_, qOverload<>(&QTimer::start));
    connect(model_, &QAbstractItemModel::modelReset, &requestTimer_, qOverload<>(&QTimer::start));
    connect(&editor_, &EditorViewModel::folderImagesChanged, this, &GridGalleryView::scrollToCurrent);

    updateSearchField();
    updateHeader();
}

void GridGalleryView::updateSearchField() {
    if (search_->text() != editor_.gridSearchText()) search_->setText(editor_.gridSearchText());
    clear_->setVisible(!editor_.gridSearchText().isEmpty());
}

void GridGalleryView::updateHeader() {
    search_->setPlaceholderText(
        S::t(QStringLiteral("Filter folder by filename…"), QStringLiteral("Klasörde ara…")));
    count_->setText(QStringLiteral("%1 / %2").arg(model_->rowCount()).arg(editor_.folderImages().size()));
    favorites_->setText(S::favoritesOnly() + QStringLiteral(" (%1)").arg(editor_.favoriteCountInFolder()));
    if (favorites_->isChecked() != editor_.showFavoritesOnly()) {
        const QSignalBlocker quiet(favorites_);
        favorites_->setChecked(editor_.showFavoritesOnly());
    }
    updateSearchField();
}

void GridGalleryView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scrollToCurrent();
}

void GridGalleryView::scrollToCurrent() {
    // Opening the grid from photo 500 of a folder shows the cards around photo 500.
    const int row = model_->rowOfFolderIndex(editor_.currentIndex());
    if (row >= 0) list_->scrollTo(model_->index(row), QAbstractItemView::PositionAtCenter);
    requestTimer_.start();
}

void GridGalleryView::requestVisibleThumbnails() {
    if (!isVisible()) return;
    const auto [first, last] = list_->visibleRows();
    if (first > last) return;
    // The cards in view first, then the next lines down and the one above.
    QList<int> positions = model_->folderIndices(first, last);
    const int columns = list_->columnCount();
    positions += model_->folderIndices(last + 1, last + kLinesAhead * columns);
    positions += model_->folderIndices(first - columns, first - 1);
    editor_.requestThumbnails(positions);
    refreshVisibleThumbnails();
}

void GridGalleryView::refreshVisibleThumbnails() {
    if (!isVisible()) return;
    const auto [first, last] = list_->visibleRows();
    model_->refreshThumbnails(first, last);
}
