#include "EditorTestSupport.h"

#include "../animation/AnimationWriters.h"
#include "core/files/AnimatedImageService.h"

#include <cmath>

using namespace editortest;

namespace {

// Records what the editor asks of the save panel, on top of the scripted answers.
struct RecordingPlatform : FakePlatformServices {
    QList<SavePanelOptions> savePanelRequests;
    std::optional<QString> runSavePanel(const SavePanelOptions& options) override {
        savePanelRequests << options;
        return FakePlatformServices::runSavePanel(options);
    }
};

struct EditorViewing : ::testing::Test {
    RecordingPlatform platform;
    EditorViewModel editor{platform};
    void TearDown() override { EXPECT_TRUE(editor.waitForBackgroundWork()); }

    // Opens `path` and waits until its frames have been read (playback then runs by itself).
    void openAnimation(const QString& path) {
        editor.openURLs({path});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_TRUE(editor.isAnimatedImage());
    }
};

// Twelve frames of a tenth of a second each, every frame distinguishable from its neighbours.
QString writeTwelveFrameGif(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(animtest::writeFile(path, animtest::gif(std::vector<int>(12, 10), 16)));
    return path;
}

// Equal up to the render pipeline's rounding; neighbouring frames differ by far more.
bool samePixels(const QImage& a, const QImage& b) {
    const double difference = testsupport::meanAbsoluteDifference(a.convertToFormat(QImage::Format_ARGB32),
                                                                  b.convertToFormat(QImage::Format_ARGB32));
    return difference >= 0 && difference < 0.5;
}

} // namespace

TEST_F(EditorViewing, GridAndComparisonModes) {
    editor.toggleGridView(); // nothing open
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);

    QTemporaryDir dir;
    writeImages(dir, {"a.png", "b.png", "c.png", "d.png"});
    const QString broken = writeText(dir, "e.png");
    editor.openURLs({broken});
    ASSERT_EQ(editor.currentIndex(), 4);

    // The last image is compared with the first.
    editor.toggleSideBySideCompare();
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::sideBySide);
    EXPECT_EQ(editor.compareSecondaryIndex(), 0);
    EXPECT_EQ(editor.secondaryCompareName(), QStringLiteral("a.png"));
    ASSERT_TRUE(editor.secondaryCompareImage().has_value());
    EXPECT_EQ(editor.secondaryCompareImage()->size(), QSize(64, 48));

    // Backwards from the first: the last, which can't be decoded and keeps only its name.
    editor.stepSecondaryCompare(-1);
    EXPECT_EQ(editor.compareSecondaryIndex(), 4);
    EXPECT_EQ(editor.secondaryCompareName(), QStringLiteral("e.png"));
    EXPECT_FALSE(editor.secondaryCompareImage().has_value());

    // Moving the left pane leaves the right one where it was.
    editor.stepSecondaryCompare(-2);
    editor.navigatePrevious();
    EXPECT_EQ(editor.currentIndex(), 3);
    EXPECT_EQ(editor.compareSecondaryIndex(), 2);
    EXPECT_EQ(editor.secondaryCompareName(), QStringLiteral("c.png"));

    editor.toggleGridView(); // from the comparison to the grid
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::grid);
    editor.toggleGridView();
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);

    QTemporaryDir single;
    writeImages(single, {"only.png"});
    editor.openURLs({single.path()});
    editor.toggleSideBySideCompare(); // nothing to compare with
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
}

TEST_F(EditorViewing, ZoomStaysWithinItsLimitsAndSnapsToFitOnlyOutwards) {
    editor.setZoomScale(10);
    editor.zoomIn();
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 12.0);
    editor.zoomIn();
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 12.0);

    editor.setZoomScale(0.16);
    editor.zoomOut();
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 0.15);

    editor.setZoomScale(1.25);
    editor.setPanOffset(QSizeF(80, -30));
    editor.zoomOut();
    EXPECT_EQ(editor.zoomScale(), 1.0); // exactly
    EXPECT_EQ(editor.panOffset(), QSizeF(0, 0));

    editor.setZoomScale(1.3); // 1.04 lies within the snap band
    editor.zoomOut();
    EXPECT_EQ(editor.zoomScale(), 1.0);

    editor.setZoomScale(0.78); // 0.975 going in is not snapped
    editor.zoomIn();
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 0.975);

    // A factor the canvas could not draw with leaves the scale alone.
    editor.zoomIn(0);
    editor.zoomOut(-2);
    editor.zoomIn(std::nan(""));
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 0.975);

    editor.toggleActualSize();
    EXPECT_TRUE(editor.isActualSizeMode());
    EXPECT_EQ(editor.zoomScale(), 1.0);
    editor.zoomIn();
    EXPECT_FALSE(editor.isActualSizeMode());
}

TEST_F(EditorViewing, PanDragsAccumulateFromWhereTheLastOneEnded) {
    editor.setPanOffset(QSizeF(100, 0));
    editor.updatePan(QSizeF(10, -2));
    editor.updatePan(QSizeF(40, -10)); // the translation since the drag began, not a delta
    EXPECT_EQ(editor.panOffset(), QSizeF(140, -10));
    editor.endPan();
    editor.updatePan(QSizeF(-20, 5));
    EXPECT_EQ(editor.panOffset(), QSizeF(120, -5));
    editor.endPan();
}

TEST_F(EditorViewing, SlideshowLoopsAndOnlyTheListedOperationsStopIt) {
    QTemporaryDir single;
    writeImages(single, {"only.png"});
    editor.openURLs({single.path()});
    editor.toggleSlideshow();
    EXPECT_FALSE(editor.isSlideshowRunning());

    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"1.png", "2.png", "3.png"});
    editor.openURLs({paths[2]});
    editor.toggleGridView();
    editor.toggleSlideshow();
    EXPECT_TRUE(editor.isSlideshowRunning());
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
    EXPECT_EQ(editor.slideshowIntervalMs(), 3000);

    editor.rotateRight();
    editor.fireSlideshowTimer(); // after the last comes the first, without the edit
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_FALSE(editor.hasUnsavedEdits());
    EXPECT_TRUE(editor.isSlideshowRunning());

    editor.navigateNext(); // by hand: the show goes on from there
    EXPECT_TRUE(editor.isSlideshowRunning());
    editor.fireSlideshowTimer();
    EXPECT_EQ(editor.currentIndex(), 2);

    editor.toggleGridView();
    EXPECT_FALSE(editor.isSlideshowRunning());
    EXPECT_EQ(editor.slideshowIntervalMs(), -1);
    editor.fireSlideshowTimer(); // a tick already on its way does nothing
    EXPECT_EQ(editor.currentIndex(), 2);

    editor.toggleSlideshow();
    editor.openURLs({paths[0]});
    EXPECT_FALSE(editor.isSlideshowRunning());
    editor.toggleSlideshow();
    editor.toggleSlideshow();
    EXPECT_FALSE(editor.isSlideshowRunning());
}

TEST_F(EditorViewing, TwelveFramesOfATenthPlayAtTenASecondAndStepBackPauses) {
    QTemporaryDir dir;
    openAnimation(writeTwelveFrameGif(dir, "clip.gif"));
    EXPECT_EQ(editor.totalFrameCount(), 12);
    EXPECT_TRUE(editor.isPlayingAnimation()); // by itself once the frames are read
    EXPECT_EQ(editor.animationFrameIntervalMs(), 100);

    const int shown = editor.currentFrameIndex();
    editor.fireAnimationTimer();
    EXPECT_EQ(editor.currentFrameIndex(), (shown + 1) % 12);
    EXPECT_EQ(editor.animationFrameIntervalMs(), 100);

    editor.stepAnimationFrame(11 - editor.currentFrameIndex()); // to frame 12, paused
    editor.startAnimationPlayback();
    editor.fireAnimationTimer();
    EXPECT_EQ(editor.currentFrameIndex(), 0); // 12 wraps to 1

    editor.stepAnimationFrame(-1);
    EXPECT_EQ(editor.currentFrameIndex(), 11);
    EXPECT_FALSE(editor.isPlayingAnimation());
    EXPECT_EQ(editor.animationFrameIntervalMs(), -1);
    editor.fireAnimationTimer(); // a tick already on its way does nothing
    EXPECT_EQ(editor.currentFrameIndex(), 11);

    editor.toggleAnimationPlayback();
    EXPECT_TRUE(editor.isPlayingAnimation());
    editor.loadCurrentImage(); // a load stops the player; it starts over once the frames are read
    EXPECT_FALSE(editor.isPlayingAnimation());
    EXPECT_EQ(editor.currentFrameIndex(), 0);
}

TEST_F(EditorViewing, EveryFrameStaysUpForItsOwnDelay) {
    // Nine frames of 3 s and a last one declaring 15 s, which is held to the 5 s ceiling.
    openAnimation(testsupport::fixture("formats/animated-loop-3.gif"));
    ASSERT_EQ(editor.totalFrameCount(), 10);
    editor.stepAnimationFrame(8 - editor.currentFrameIndex());
    editor.startAnimationPlayback();
    EXPECT_EQ(editor.animationFrameIntervalMs(), 3000);
    editor.fireAnimationTimer();
    EXPECT_EQ(editor.currentFrameIndex(), 9);
    EXPECT_EQ(editor.animationFrameIntervalMs(), 5000);
    editor.fireAnimationTimer();
    EXPECT_EQ(editor.currentFrameIndex(), 0);
    EXPECT_EQ(editor.animationFrameIntervalMs(), 3000);
}

TEST_F(EditorViewing, TheShownFrameIsWhatIsEditedAndWritten) {
    QTemporaryDir dir;
    const QString path = writeTwelveFrameGif(dir, "clip.gif");
    const std::optional<AnimatedImageSequence> frames = AnimatedImageService().loadAnimationIfAnimated(path);
    ASSERT_TRUE(frames.has_value());
    openAnimation(path);

    editor.stepAnimationFrame(5 - editor.currentFrameIndex());
    ASSERT_TRUE(editor.renderedDisplayImage().has_value());
    EXPECT_TRUE(samePixels(*editor.renderedDisplayImage(), frames->frames()[5].image()));
    std::optional<QImage> output = editor.renderFullResolutionOutput();
    ASSERT_TRUE(output.has_value());
    EXPECT_TRUE(samePixels(*output, frames->frames()[5].image()));

    // An edit follows the frames.
    editor.toggleFlipHorizontal();
    editor.stepAnimationFrame(1);
    output = editor.renderFullResolutionOutput();
    ASSERT_TRUE(output.has_value());
    const QImage expected = frames->frames()[6].image().mirrored(true, false);
    EXPECT_TRUE(samePixels(*output, expected));
    EXPECT_TRUE(samePixels(*editor.renderedDisplayImage(), expected));
}

TEST_F(EditorViewing, FrameExportSuggestsItsNameAndWritesThePNG) {
    QTemporaryDir dir;
    const QString path = writeTwelveFrameGif(dir, "holiday.gif");
    const std::optional<AnimatedImageSequence> frames = AnimatedImageService().loadAnimationIfAnimated(path);
    ASSERT_TRUE(frames.has_value());
    openAnimation(path);
    editor.stepAnimationFrame(4 - editor.currentFrameIndex());

    // Cancelled: nothing written, nothing said.
    editor.extractCurrentFrameAsPNG();
    ASSERT_EQ(platform.savePanelRequests.size(), 1);
    EXPECT_EQ(platform.savePanelRequests[0].suggestedFileName, QStringLiteral("holiday-frame-5.png"));
    EXPECT_EQ(platform.savePanelRequests[0].allowedContentTypes, QStringList{QStringLiteral("image/png")});
    EXPECT_FALSE(editor.toastMessage().has_value());

    QTemporaryDir out;
    const QString destination = out.filePath("still.png");
    platform.savePanelAnswers.push_back(destination);
    editor.extractCurrentFrameAsPNG();
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Image exported successfully: still.png"));
    EXPECT_FALSE(editor.toastIsError());
    const QImage written(destination);
    ASSERT_FALSE(written.isNull());
    EXPECT_TRUE(samePixels(written, frames->frames()[4].image()));

    platform.savePanelAnswers.push_back(out.filePath("missing-folder/still.png"));
    editor.extractCurrentFrameAsPNG();
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_NE(editor.toastMessage(), QStringLiteral("Image exported successfully: still.png"));
}

TEST_F(EditorViewing, ToastsNameKeysAsTheKeyboardDoes) {
    editor.copyCurrentEdits();
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Edit adjustments copied (paste with Ctrl+Alt+V)"));
}
