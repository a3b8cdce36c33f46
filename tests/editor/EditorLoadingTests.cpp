#include "EditorTestSupport.h"

#include "core/files/AnimatedImageService.h"
#include "core/files/FavoritesAndPresetsStore.h"
#include "core/files/FolderBrowserService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace editortest;

namespace {

QString name(const QString& path) {
    return path.section(u'/', -1);
}

QStringList names(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        out << name(p);
    return out;
}

} // namespace

using EditorOpening = EditorFixture;

TEST_F(EditorOpening, SeveralFilesKeepOnlyTheImagesInFolderOrderStartingAtTheFirst) {
    QTemporaryDir dir;
    const QStringList images = writeImages(dir, {"c10.jpg", "a.png", "c9.jpg", "unrelated.png"});
    const QString text = writeText(dir, "notes.txt");
    editor.openURLs({images[0], text, images[1], images[2]});
    EXPECT_EQ(names(editor.folderImages()), (QStringList{"a.png", "c9.jpg", "c10.jpg"}));
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_TRUE(editor.hasImage());
    EXPECT_EQ(editor.currentURL(), QDir::cleanPath(images[1]));
}

TEST_F(EditorOpening, OneItemOpensItsFolder) {
    QTemporaryDir dir;
    const QStringList images = writeImages(dir, {"a.jpg", "b.jpg", "c.jpg", ".hidden.jpg"});
    const QString text = writeText(dir, "readme.txt");

    editor.openURLs({images[1]});
    EXPECT_EQ(names(editor.folderImages()), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(editor.currentIndex(), 1);

    // A text file beside images opens the folder at its first image.
    editor.openURLs({text});
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_EQ(editor.folderImages().size(), 3);
    EXPECT_TRUE(editor.hasImage());

    // A hidden image is never listed with its folder, so it opens alone.
    editor.openURLs({images[3]});
    EXPECT_EQ(names(editor.folderImages()), QStringList{".hidden.jpg"});
    EXPECT_TRUE(editor.hasImage());
}

TEST_F(EditorOpening, TwoFoldersOpenTheFirst) {
    QTemporaryDir first, second;
    writeImages(first, {"one.png", "two.png"});
    writeImages(second, {"three.png"});
    platform.openPanelAnswers.push_back({first.path(), second.path()});
    editor.promptOpenFileOrFolder();
    EXPECT_EQ(names(editor.folderImages()), (QStringList{"one.png", "two.png"}));
    ASSERT_EQ(platform.openPanelRequests.size(), 1);
    const auto& options = platform.openPanelRequests.first();
    EXPECT_TRUE(options.canChooseFiles && options.canChooseDirectories && options.allowsMultipleSelection);

    // Cancelling the panel changes nothing.
    editor.promptOpenFileOrFolder();
    EXPECT_EQ(editor.folderImages().size(), 2);
}

TEST_F(EditorOpening, AFolderWithoutImagesShowsAnErrorAndKeepsWhatWasOpen) {
    QTemporaryDir good, bad;
    writeImages(good, {"a.png", "b.png"});
    writeText(bad, "a.txt");
    writeText(bad, "b.txt");
    editor.openURLs({good.path()});
    editor.navigateNext();
    editor.rotateRight();
    const QStringList before = editor.folderImages();
    const qint64 shown = editor.renderedDisplayImage()->cacheKey();

    QSignalSpy folderSpy(&editor, &EditorViewModel::folderImagesChanged);
    editor.openURLs({bad.path()});
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("No supported images found."));
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.folderImages(), before);
    EXPECT_EQ(editor.currentIndex(), 1);
    EXPECT_EQ(editor.renderedDisplayImage()->cacheKey(), shown);
    EXPECT_EQ(editor.adjustments().quarterTurns, 1);
    EXPECT_EQ(folderSpy.count(), 0);

    editor.openURLs({});
    EXPECT_EQ(editor.folderImages(), before);
}

TEST_F(EditorOpening, ADroppedOrPastedListOpensOnlyWhatIsThere) {
    QTemporaryDir dir;
    const QStringList images = writeImages(dir, {"b c.png", "a.jpg"});
    const QString url = QUrl::fromLocalFile(images[0]).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(url.contains("%20"));

    // File URLs as a drop carries them, a second spelling of one file, a missing file, an empty
    // item and a file of another host: each existing image once, by its path.
    editor.openURLs({url, images[1], dir.path() + "/./a.jpg", dir.filePath("gone.jpg"), QString(),
                     "file://elsewhere" + images[1]});
    EXPECT_EQ(editor.folderImages(), (QStringList{QDir::cleanPath(images[1]), QDir::cleanPath(images[0])}));
    EXPECT_TRUE(editor.waitForBackgroundWork());
    const QStringList opened = editor.folderImages();

    // Nothing there to open: the error, and the folder and image stay; an empty item is not the
    // working directory, whatever that holds.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    for (const QStringList& nothing :
         {QStringList{QString()}, QStringList{dir.filePath("gone.jpg"), dir.filePath("gone.png")},
          QStringList{"file://elsewhere" + images[0]}}) {
        editor.openURLs(nothing);
        EXPECT_EQ(editor.toastMessage(), QStringLiteral("No supported images found."));
        EXPECT_EQ(editor.folderImages(), opened);
        EXPECT_EQ(editor.currentIndex(), 0);
    }
    QDir::setCurrent(previous);

    // One file URL opens its folder at that image.
    editor.openURLs({url});
    EXPECT_EQ(editor.currentURL(), QDir::cleanPath(images[0]));
}

TEST_F(EditorOpening, LoadingResetsThePerImageStateAndKeepsTheRest) {
    QTemporaryDir dir;
    writeImages(dir, {"a.png", "b.png"});
    editor.openURLs({dir.path()});
    editor.setMarkupColor(RGBAColor::blue);
    editor.setGridSearchText("a");
    editor.copyCurrentEdits();
    editor.rotateRight();
    editor.selectAnnotationTool(AnnotationTool::stepNumber);
    editor.handleMarkupDragChanged({0.5, 0.5});
    editor.handleMarkupDragEnded();
    editor.toggleCropMode();
    editor.setIsCompareMode(true);
    editor.setZoomScale(3);
    editor.setPanOffset({10, 20});
    editor.setIsActualSizeMode(true);
    ASSERT_TRUE(editor.canUndo());
    ASSERT_EQ(editor.nextStepNumber(), 2);

    editor.navigateNext();
    editor.navigatePrevious();
    EXPECT_TRUE(editor.adjustments().isIdentity());
    EXPECT_TRUE(editor.annotations().isEmpty());
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.canRedo());
    EXPECT_FALSE(editor.isCropMode());
    EXPECT_FALSE(editor.isCompareMode());
    EXPECT_EQ(editor.zoomScale(), 1.0);
    EXPECT_EQ(editor.panOffset(), QSizeF(0, 0));
    EXPECT_FALSE(editor.isActualSizeMode());
    EXPECT_EQ(editor.nextStepNumber(), 1);
    EXPECT_FALSE(editor.hasUnsavedEdits());
    // What belongs to the session, not the image, stays.
    EXPECT_EQ(editor.markupColor(), RGBAColor::blue);
    EXPECT_EQ(editor.gridSearchText(), QStringLiteral("a"));
    EXPECT_TRUE(editor.copiedAdjustments().has_value());
    EXPECT_EQ(editor.activeTool(), AnnotationTool::stepNumber);
}

TEST_F(EditorOpening, AnUndecodableFileLeavesNoImageAndNoMessage) {
    QTemporaryDir dir;
    writeImages(dir, {"a.jpg"});
    ASSERT_TRUE(QFile::copy(testsupport::fixture("bad/corrupt-header.jpg"), dir.filePath("b.jpg")));
    editor.openURLs({dir.path()});
    ASSERT_TRUE(editor.hasImage());
    editor.navigateNext();
    EXPECT_FALSE(editor.hasImage());
    EXPECT_FALSE(editor.renderedDisplayImage().has_value());
    EXPECT_FALSE(editor.originalDisplayImage().has_value());
    EXPECT_EQ(editor.histogram(), ImageHistogram::empty());
    EXPECT_FALSE(editor.toastMessage().has_value());
    EXPECT_FALSE(editor.renderFullResolutionOutput().has_value());
    // Edits on nothing draw nothing and don't fail.
    editor.rotateRight();
    editor.undo();
    EXPECT_FALSE(editor.hasImage());
}

TEST_F(EditorOpening, ThePreviewComesFirstAndTheFullSizeFollows) {
    QTemporaryDir dir;
    // Orientation 6: stored landscape, shown portrait; every size below is the upright one.
    ASSERT_TRUE(QFile::copy(testsupport::fixture("photos/landscape_6.jpg"), dir.filePath("p.jpg")));
    const QSize upright = FolderBrowserService().loadOrientedCGImage(dir.filePath("p.jpg"))->size();
    editor.openURLs({dir.filePath("p.jpg")});
    ASSERT_TRUE(editor.hasImage());
    // Known at once, whether or not the full-size decode has finished.
    EXPECT_EQ(editor.exportOptions().targetWidth, upright.width());
    EXPECT_EQ(editor.exportOptions().targetHeight, upright.height());
    EXPECT_EQ(editor.activeSourceDimensions(), upright);
    // Output waits for the full-size decode if it has to.
    const std::optional<QImage> full = editor.renderFullResolutionOutput();
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->size(), upright);
}

TEST_F(EditorOpening, AnimationDetectedForAnImageLeftBehindIsDropped) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testsupport::fixture("formats/animated-loop-3.gif"), dir.filePath("a.gif")));
    writeImages(dir, {"b.png"});
    editor.openURLs({dir.filePath("a.gif")});
    editor.navigateNext(); // before the frames can have been read
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isAnimatedImage());
    EXPECT_EQ(editor.totalFrameCount(), 1);

    editor.navigatePrevious();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_TRUE(editor.isAnimatedImage());
    EXPECT_EQ(editor.totalFrameCount(),
              AnimatedImageService().loadAnimationIfAnimated(dir.filePath("a.gif"))->frameCount());
    EXPECT_GT(editor.totalFrameCount(), 1);
    EXPECT_EQ(editor.currentFrameIndex(), 0);
}

using EditorNavigation = EditorFixture;

TEST_F(EditorNavigation, StepsWrapAroundTheFolder) {
    QTemporaryDir dir;
    writeImages(dir, {"1.png", "2.png", "3.png", "4.png", "5.png"});
    editor.openURLs({dir.filePath("5.png")});
    ASSERT_EQ(editor.currentIndex(), 4);
    editor.navigateNext();
    EXPECT_EQ(editor.currentIndex(), 0);
    editor.navigatePrevious();
    EXPECT_EQ(editor.currentIndex(), 4);
    editor.navigatePrevious();
    EXPECT_EQ(editor.currentIndex(), 3);
    EXPECT_TRUE(editor.hasImage());

    QTemporaryDir single;
    writeImages(single, {"only.png"});
    editor.openURLs({single.path()});
    editor.rotateRight();
    editor.navigateNext();
    editor.navigatePrevious();
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_EQ(editor.adjustments().quarterTurns, 1); // nothing was reloaded
}

TEST_F(EditorNavigation, SelectingTheCurrentImageKeepsItsEdits) {
    QTemporaryDir dir;
    writeImages(dir, {"a.png", "b.png", "c.png"});
    editor.openURLs({dir.path()});
    editor.setViewMode(WorkspaceViewMode::grid);
    editor.rotateRight();
    editor.selectImage(0, true);
    EXPECT_EQ(editor.adjustments().quarterTurns, 1);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
    editor.selectImage(3, false);
    editor.selectImage(-1, false);
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_EQ(editor.adjustments().quarterTurns, 1);
    editor.selectImage(2, false);
    EXPECT_EQ(editor.currentIndex(), 2);
    EXPECT_TRUE(editor.adjustments().isIdentity());
}

TEST_F(EditorNavigation, SteppingShowsPrefetchedNeighboursAndForgetsThemWithTheFolder) {
    QTemporaryDir dir, other;
    writeImages(dir, {"a.png", "b.png", "c.png", "d.png"}, QSize(300, 200));
    writeImages(other, {"x.png"});
    editor.openURLs({dir.filePath("b.png")});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_GE(editor.prefetchedPreviewCount(), 3); // b and both neighbours
    editor.navigateNext();
    // The prefetched bitmap is the one shown, and it is the file's content.
    const QImage expected = FolderBrowserService()
                                .loadOrientedCGImage(dir.filePath("c.png"), 1800)
                                ->convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    EXPECT_EQ(editor.renderedDisplayImage()->convertToFormat(QImage::Format_RGBA8888_Premultiplied),
              expected);

    // A file rewritten under the same name is decoded anew, never shown from the old prefetch.
    ASSERT_TRUE(editor.waitForBackgroundWork());
    const QString dPath = dir.filePath("d.png");
    QImage changed(500, 100, QImage::Format_RGB32);
    changed.fill(Qt::green);
    ASSERT_TRUE(changed.save(dPath));
    QFile(dPath).setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    editor.navigateNext();
    EXPECT_EQ(editor.renderedDisplayImage()->size(), QSize(500, 100));

    editor.openURLs({other.path()});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(editor.prefetchedPreviewCount(), 1); // only x, the one image of the new folder
}

using EditorGrid = EditorFixture;

TEST(EditorGridFilter, TrimmedLowerCasedSubstringAndFavouritesOnly) {
    QTemporaryDir dir;
    const QStringList images = writeImages(dir, {"img_0001.jpg", "MyImg.png", "other.jpg"});
    // The editor reads favourites from the library store when it is made.
    FavoritesAndPresetsStore().toggleFavorite(QDir::cleanPath(images[1]));
    FakePlatformServices platform;
    EditorViewModel editor(platform);
    editor.openURLs({dir.path()});
    EXPECT_EQ(editor.filteredGridIndices(), (QList<int>{0, 1, 2}));
    editor.setGridSearchText("  IMG \n");
    EXPECT_EQ(editor.filteredGridIndices(), (QList<int>{0, 1}));
    editor.setShowFavoritesOnly(true);
    EXPECT_EQ(editor.filteredGridIndices(), (QList<int>{1}));
    editor.setGridSearchText("other");
    EXPECT_TRUE(editor.filteredGridIndices().isEmpty());
    EXPECT_TRUE(editor.waitForBackgroundWork());
    FavoritesAndPresetsStore().toggleFavorite(QDir::cleanPath(images[1]));
}

TEST_F(EditorGrid, ThumbnailsArriveInFolderOrder) {
    QTemporaryDir dir;
    QStringList names;
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("p%1.png").arg(i);
    const QStringList images = writeImages(dir, names, QSize(400, 300));
    QStringList arrived;
    QObject::connect(&editor, &EditorViewModel::thumbnailsChanged, [&] {
        for (auto it = editor.thumbnails().cbegin(); it != editor.thumbnails().cend(); ++it)
            if (!arrived.contains(it.key())) arrived << it.key();
    });
    editor.openURLs({dir.path()});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(arrived, editor.folderImages());
    for (const QImage& thumb : editor.thumbnails())
        EXPECT_EQ(std::max(thumb.width(), thumb.height()), 220);
}

TEST_F(EditorGrid, OpeningAnotherFolderStopsTheLoaderOfTheFirst) {
    QTemporaryDir first, second;
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("f%1.png").arg(i);
    writeImages(first, names, QSize(800, 600));
    writeImages(second, {"s1.png", "s2.png"});
    editor.openURLs({first.path()});
    const QStringList firstImages = editor.folderImages();
    editor.openURLs({second.path()}); // before the first folder's thumbnails are read
    ASSERT_TRUE(editor.waitForBackgroundWork());
    int fromFirst = 0;
    for (const QString& path : firstImages)
        fromFirst += editor.thumbnails().contains(path);
    EXPECT_LT(fromFirst, firstImages.size());
    for (const QString& path : editor.folderImages())
        EXPECT_TRUE(editor.thumbnails().contains(path));
}

TEST_F(EditorGrid, ThumbnailMemoryIsBoundedAroundTheCurrentImage) {
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("p%1.png").arg(i, 2, 10, QChar('0'));
    const QStringList paths = writeImages(dir, names, QSize(100, 100));
    const qint64 oneThumb = FolderBrowserService().loadOrientedCGImage(paths[0], 220)->sizeInBytes();
    editor.setThumbnailLimits(6, 4 * oneThumb);
    editor.openURLs({dir.filePath("p00.png")});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_LE(editor.thumbnailBytes(), 4 * oneThumb);
    EXPECT_EQ(editor.thumbnails().size(), 4);
    EXPECT_TRUE(editor.thumbnails().contains(editor.folderImages()[0]));
    EXPECT_FALSE(editor.thumbnails().contains(editor.folderImages()[8]));

    // The grid scrolls to the end and asks for what it shows; the far ones make room.
    editor.selectImage(11, false);
    editor.requestThumbnails(9, 11);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_LE(editor.thumbnailBytes(), 4 * oneThumb);
    for (int i = 9; i <= 11; ++i)
        EXPECT_TRUE(editor.thumbnails().contains(editor.folderImages()[i])) << i;
    EXPECT_FALSE(editor.thumbnails().contains(editor.folderImages()[0]));
}

// A grid scrolled far from the current image keeps what it shows: measured from the current
// image, each thumbnail it asks for would be the farthest one and dropped at once.
TEST_F(EditorGrid, ThumbnailsAGridAsksForFarFromTheCurrentImageAreKept) {
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QStringLiteral("p%1.png").arg(i, 2, 10, QChar('0'));
    const QStringList paths = writeImages(dir, names, QSize(100, 100));
    const qint64 oneThumb = FolderBrowserService().loadOrientedCGImage(paths[0], 220)->sizeInBytes();
    editor.setThumbnailLimits(4, 4 * oneThumb);
    editor.openURLs({dir.filePath("p00.png")});
    ASSERT_TRUE(editor.waitForBackgroundWork());

    editor.requestThumbnails({7, 9, 11}); // a filtered grid's cards, far from the current p00
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_LE(editor.thumbnailBytes(), 4 * oneThumb);
    for (int i : {7, 9, 11})
        EXPECT_TRUE(editor.thumbnails().contains(editor.folderImages()[i])) << i;
    EXPECT_FALSE(editor.thumbnails().contains(editor.folderImages()[8])); // not asked for
}

TEST(EditorToast, ASecondToastReplacesTheFirstAndRestartsTheTimer) {
    FakePlatformServices platform;
    EditorViewModel editor(platform);
    QElapsedTimer clock;
    clock.start();
    editor.showToast("first", true);
    qint64 secondShownAt = -1;
    QTimer::singleShot(1500, &editor, [&] {
        editor.showToast("second", false);
        secondShownAt = clock.elapsed();
    });
    QSignalSpy spy(&editor, &EditorViewModel::toastMessageChanged);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return secondShownAt >= 0 && !editor.toastMessage().has_value(); }, 10000));
    // Cleared 3 s after the second toast (at about 4.5 s), not 3 s after the first (timers
    // may fire up to 5% early or late).
    EXPECT_GT(clock.elapsed(), 3500);
    EXPECT_GT(clock.elapsed() - secondShownAt, 2500);
    EXPECT_EQ(spy.count(), 2);           // "second", then cleared
    EXPECT_FALSE(editor.toastIsError()); // kept from the last toast
}
