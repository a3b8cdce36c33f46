#include "ui/browsing/FilmstripView.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/browsing/FilmstripCellDelegate.h"
#include "ui/browsing/FolderImagesModel.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdlib>

namespace {

constexpr int kCellGap = 6;

// A horizontal row: the wheel most mice have turns vertically, and here that means sideways.
class HorizontalStrip : public QListView {
  public:
    using QListView::QListView;

  protected:
    void wheelEvent(QWheelEvent* event) override {
        const QPoint delta = event->angleDelta();
        if (std::abs(delta.y()) > std::abs(delta.x())) {
            QScrollBar* bar = horizontalScrollBar();
            const QPoint pixels = event->pixelDelta();
            const int step = !pixels.isNull()
                                 ? pixels.y()
                                 : delta.y() * (FilmstripCellDelegate::cellSize + kCellGap) / 120;
            bar->setValue(bar->value() - step);
            event->accept();
            return;
        }
        QListView::wheelEvent(event);
    }
};

QToolButton* makeIconButton(QWidget* parent, const QString& symbol, const QColor& color,
                            const QString& name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(symbols::icon(symbol, color));
    button->setIconSize(QSize(17, 17));
    button->setFixedSize(30, 30);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; border-radius: %1px; background: transparent; }"
                       "QToolButton:hover { background: %2; }"
                       "QToolButton:pressed { background: %3; }"
                       "QToolButton:disabled { background: transparent; }")
            .arg(theme::controlRadius)
            .arg(theme::raised.name(), theme::hairline.name()));
    return button;
}

} // namespace

FilmstripView::FilmstripView(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setFixedHeight(barHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 1, 10, 0); // the top pixel is the divider
    row->setSpacing(10);

    // What the current photo is.
    auto* info = new QWidget(this);
    info->setFixedWidth(infoWidth);
    auto* infoColumn = new QVBoxLayout(info);
    infoColumn->setContentsMargins(0, 0, 0, 0);
    infoColumn->setSpacing(3);
    name_ = new QLabel(info);
    name_->setObjectName(QStringLiteral("filmstripName"));
    QFont nameFont = name_->font();
    nameFont.setPixelSize(theme::bodyPixelSize);
    nameFont.setWeight(QFont::DemiBold);
    name_->setFont(nameFont);
    detail_ = new QLabel(info);
    detail_->setObjectName(QStringLiteral("filmstripDetail"));
    QFont detailFont = detail_->font();
    detailFont.setPixelSize(theme::captionPixelSize);
    detail_->setFont(detailFont);
    QPalette detailPalette = detail_->palette();
    detailPalette.setColor(QPalette::WindowText, theme::secondaryText);
    detail_->setPalette(detailPalette);
    infoColumn->addStretch();
    infoColumn->addWidget(name_);
    infoColumn->addWidget(detail_);
    infoColumn->addStretch();

    // Every photo of the folder.
    model_ = new FolderImagesModel(editor_, FolderImagesModel::Rows::wholeFolder, this);
    strip_ = new HorizontalStrip(this);
    strip_->setObjectName(QStringLiteral("filmstripCells"));
    strip_->setItemDelegate(new FilmstripCellDelegate(strip_));
    strip_->setViewMode(QListView::ListMode);
    strip_->setFlow(QListView::LeftToRight);
    strip_->setWrapping(false);
    strip_->setUniformItemSizes(true);
    strip_->setSpacing(kCellGap / 2);
    strip_->setSelectionMode(QAbstractItemView::NoSelection);
    strip_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    strip_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    strip_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strip_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strip_->setFrameShape(QFrame::NoFrame);
    strip_->setFocusPolicy(Qt::NoFocus); // the arrow keys keep stepping through the folder
    strip_->setMouseTracking(true);
    strip_->viewport()->setAttribute(Qt::WA_Hover);
    strip_->viewport()->setCursor(Qt::PointingHandCursor);
    strip_->setFixedHeight(FilmstripCellDelegate::cellSize + kCellGap);
    strip_->setStyleSheet(
        QStringLiteral("QListView { background: %1; border: none; }").arg(theme::panel.name()));
    strip_->setModel(model_);

    reveal_ = makeIconButton(this, QStringLiteral("folder"), theme::text, QStringLiteral("filmstripReveal"));
    trash_ =
        makeIconButton(this, QStringLiteral("trash"), theme::destructive, QStringLiteral("filmstripTrash"));

    row->addWidget(info);
    row->addWidget(strip_, 1, Qt::AlignVCenter);
    row->addWidget(reveal_, 0, Qt::AlignVCenter);
    row->addWidget(trash_, 0, Qt::AlignVCenter);

    connect(strip_, &QListView::clicked, this, [this](const QModelIndex& index) {
        const int position = model_->folderIndexAt(index.row());
        if (position >= 0) editor_.selectImage(position, false);
    });
    connect(reveal_, &QToolButton::clicked, this, [this] { editor_.revealCurrentInFinder(); });
    connect(trash_, &QToolButton::clicked, this, [this] { editor_.moveCurrentToTrash(); });

    requestTimer_.setSingleShot(true);
    requestTimer_.setInterval(30);
    connect(&requestTimer_, &QTimer::timeout, this, &FilmstripView::requestVisibleThumbnails);
    connect(strip_->horizontalScrollBar(), &QScrollBar::valueChanged, &requestTimer_,
            qOverload<>(&QTimer::start));
    connect(&editor_, &EditorViewModel::thumbnailsChanged, this, [this] {
        if (!isVisible()) return;
        const auto [first, last] = visibleRows();
        model_->refreshThumbnails(first, last);
    });
    for (auto signal : {&EditorViewModel::currentIndexChanged, &EditorViewModel::folderImagesChanged,
                        &EditorViewModel::documentInfoChanged})
        connect(&editor_, signal, this, &FilmstripView::updateInfo);
    connect(&editor_, &EditorViewModel::languageChanged, this, &FilmstripView::updateTexts);
    // The row is laid out again after a new folder; scroll once that is done.
    connect(&editor_, &EditorViewModel::currentIndexChanged, this, &FilmstripView::scrollToCurrent);
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { QTimer::singleShot(0, this, &FilmstripView::scrollToCurrent); });

    updateTexts();
    updateInfo();
}

void FilmstripView::updateTexts() {
    reveal_->setToolTip(S::revealInFinder());
    trash_->setToolTip(S::moveToTrash());
}

void FilmstripView::updateInfo() {
    const std::optional<QString> url = editor_.currentURL();
    reveal_->setEnabled(url.has_value());
    trash_->setEnabled(url.has_value());
    const QString fileName = url ? url->section(u'/', -1) : QString();
    name_->setText(name_->fontMetrics().elidedText(fileName, Qt::ElideMiddle, infoWidth));
    name_->setToolTip(fileName);
    if (!url) {
        detail_->clear();
        return;
    }
    QString detail =
        QStringLiteral("%1 / %2").arg(editor_.currentIndex() + 1).arg(editor_.folderImages().size());
    if (const std::optional<ImageDocumentInfo>& info = editor_.documentInfo(); info && info->url == *url)
        detail += QStringLiteral(" · ") + info->dimensionsText() + QStringLiteral(" · ") +
                  info->formattedFileSize();
    detail_->setText(detail_->fontMetrics().elidedText(detail, Qt::ElideRight, infoWidth));
}

void FilmstripView::scrollToCurrent() {
    const int row = model_->rowOfFolderIndex(editor_.currentIndex());
    if (row >= 0) strip_->scrollTo(model_->index(row), QAbstractItemView::EnsureVisible);
    requestTimer_.start();
}

void FilmstripView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    scrollToCurrent();
}

std::pair<int, int> FilmstripView::visibleRows() const {
    const int count = model_->rowCount();
    if (count == 0) return {0, -1};
    const int pitch = FilmstripCellDelegate::cellSize + kCellGap;
    const int left = strip_->horizontalScrollBar()->value();
    return {std::min(count - 1, left / pitch),
            std::min(count - 1, (left + strip_->viewport()->width()) / pitch)};
}

void FilmstripView::requestVisibleThumbnails() {
    if (!isVisible()) return;
    const auto [first, last] = visibleRows();
    if (first > last) return;
    const int screen = last - first + 1;
    // Those in view first, then a screen to either side for the next arrow presses.
    QList<int> positions = model_->folderIndices(first, last);
    positions += model_->folderIndices(last + 1, last + screen);
    positions += model_->folderIndices(first - screen, first - 1);
    editor_.requestThumbnails(positions);
    model_->refreshThumbnails(first, last);
}

void FilmstripView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme::panel);
    painter.fillRect(QRect(0, 0, width(), 1), theme::hairline);
}
