#include "../editor/EditorTestSupport.h"
#include "ui/browsing/AdaptiveGridListView.h"
#include "ui/browsing/CompareImageView.h"
#include "ui/browsing/ComparePane.h"
#include "ui/browsing/FilmstripView.h"
#include "ui/browsing/FolderImagesModel.h"
#include "ui/browsing/GridGalleryView.h"
#include "ui/browsing/SideBySideCompareView.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace editortest;

namespace {

struct BrowsingViews : EditorFixture {
    QTemporaryDir dir;
    void openFolder(int count = 3) {
        const QStringList names = {"beach.png", "city.png", "forest.png", "harbour.png", "meadow.png"};
        writeImages(dir, names.mid(0, count));
        editor.openURLs({dir.path()});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_EQ(editor.folderImages().size(), count);
    }
    static void showAndWait(QWidget& widget, QSize size) {
        widget.resize(size);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    static void clickRow(QListView* view, int row) {
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

TEST_F(BrowsingViews, GridSearchThatMatchesNothingShowsZeroAndClearingRestoresEveryCard) {
    openFolder();
    GridGalleryView grid(editor);
    showAndWait(grid, QSize(800, 600));
    EXPECT_FALSE(grid.clearSearchAction()->isVisible());

    QTest::keyClicks(grid.searchField(), QStringLiteral("zzz"));
    EXPECT_EQ(editor.gridSearchText(), QStringLiteral("zzz"));
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.countLabel()->text(), QStringLiteral("0 / 3"));
    EXPECT_TRUE(grid.clearSearchAction()->isVisible());

    grid.clearSearchAction()->trigger();
    EXPECT_TRUE(editor.gridSearchText().isEmpty());
    EXPECT_TRUE(grid.searchField()->text().isEmpty());
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.countLabel()->text(), QStringLiteral("3 / 3"));
    EXPECT_FALSE(grid.clearSearchAction()->isVisible());

    // The editor's text shows in the field too, and a partial name keeps just its card.
    editor.setGridSearchText(QStringLiteral("CIT"));
    EXPECT_EQ(grid.searchField()->text(), QStringLiteral("CIT"));
    ASSERT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.model()->folderIndexAt(0), 1);
}

TEST_F(BrowsingViews, FavoritesOnlyWithNoFavoritesShowsZeroAndAnEmptyGrid) {
    openFolder();
    GridGalleryView grid(editor);
    showAndWait(grid, QSize(800, 600));
    EXPECT_TRUE(grid.favoritesToggle()->text().endsWith(QStringLiteral(" (0)")));

    QTest::mouseClick(grid.favoritesToggle(), Qt::LeftButton);
    EXPECT_TRUE(editor.showFavoritesOnly());
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.countLabel()->text(), QStringLiteral("0 / 3"));

    // Marking one while the filter is on brings its card and the count in at once.
    editor.selectImage(2, false);
    editor.toggleCurrentFavorite();
    EXPECT_TRUE(grid.favoritesToggle()->text().endsWith(QStringLiteral(" (1)")));
    ASSERT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.model()->folderIndexAt(0), 2);
    editor.toggleCurrentFavorite(); // leave the library as it was
}

TEST_F(BrowsingViews, FilmstripClickKeepsTheModeAndAGridClickReturnsToSingle) {
    openFolder();
    editor.toggleSideBySideCompare();
    ASSERT_EQ(editor.viewMode(), WorkspaceViewMode::sideBySide);

    FilmstripView strip(editor);
    showAndWait(strip, QSize(900, FilmstripView::barHeight));
    clickRow(strip.stripView(), 2);
    EXPECT_EQ(editor.currentIndex(), 2);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::sideBySide);
    EXPECT_EQ(strip.nameLabel()->text(), QStringLiteral("forest.png"));
    EXPECT_TRUE(strip.detailLabel()->text().startsWith(QStringLiteral("3 / 3 · 64 × 48 · ")))
        << strip.detailLabel()->text().toStdString();

    editor.toggleGridView();
    ASSERT_EQ(editor.viewMode(), WorkspaceViewMode::grid);
    GridGalleryView grid(editor);
    showAndWait(grid, QSize(800, 600));
    clickRow(grid.listView(), 0);
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
}

// Thousands of cards must not be rebuilt for every thumbnail that arrives: only its cell repaints.
TEST_F(BrowsingViews, ArrivingThumbnailsRepaintTheirCardsWithoutResettingTheGrid) {
    writeImages(dir, {"a.png", "b.png", "c.png", "d.png"});
    GridGalleryView grid(editor);
    showAndWait(grid, QSize(900, 600));
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(grid.model(), &QAbstractItemModel::dataChanged);
    editor.openURLs({dir.filePath("a.png")});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    QTest::qWait(50);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(resets.count(), 1); // the new folder itself
    EXPECT_EQ(grid.model()->rowCount(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_FALSE(grid.model()->index(row).data(FolderImagesModel::ThumbnailRole).value<QImage>().isNull())
            << row;
    EXPECT_GE(changes.count(), 4);
}

TEST_F(BrowsingViews, ComparisonPansBothPanesOnlyWhenZoomedIn) {
    openFolder();
    editor.toggleSideBySideCompare();
    SideBySideCompareView view(editor);
    showAndWait(view, QSize(1000, 600));
    EXPECT_EQ(view.leftPane()->titleLabel()->text(), QStringLiteral("beach.png"));
    EXPECT_EQ(view.rightPane()->titleLabel()->text(), QStringLiteral("city.png"));

    auto drag = [](QWidget* target, QPoint by) {
        const QPoint from = target->rect().center();
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QTest::mouseMove(target, from + by / 2);
        QTest::mouseMove(target, from + by);
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + by);
    };
    CompareImageView* left = view.leftPane()->imageView();
    CompareImageView* right = view.rightPane()->imageView();
    drag(right, QPoint(40, 30));
    EXPECT_EQ(editor.panOffset(), QSizeF(0, 0));

    editor.zoomIn(2.0);
    const QPointF leftCentre = left->imageRect().center();
    drag(right, QPoint(40, 30));
    EXPECT_EQ(editor.panOffset(), QSizeF(40, 30));
    EXPECT_EQ(left->imageRect().center(), leftCentre + QPointF(40, 30));
    EXPECT_EQ(right->imageRect().center(), QRectF(right->rect()).center() + QPointF(40, 30));

    // Each pane steps its own photo.
    QTest::mouseClick(view.rightPane()->nextButton(), Qt::LeftButton);
    EXPECT_EQ(view.rightPane()->titleLabel()->text(), QStringLiteral("forest.png"));
    EXPECT_EQ(editor.currentIndex(), 0);
}
