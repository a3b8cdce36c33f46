// The full-resolution region of the canvas: the same pixels as the output, rendered for the
// view only, dropped with the edit and kept while the view stays inside it.
#include "EditorTestSupport.h"

#include <QTest>
#include <cstdlib>

using namespace editortest;

namespace {

struct EditorRegion : EditorFixture {
    QTemporaryDir dir;
    // Larger than the 1800-pixel preview, so actual size shows more than the preview has.
    void openLargePhoto() {
        editor.openURLs(writeImages(dir, {"large.png"}, QSize(3000, 2000)));
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_TRUE(editor.renderedDisplayImage().has_value());
        ASSERT_LT(editor.renderedDisplayImage()->width(), 3000);
    }
    void edit(void (*change)(EditAdjustments&)) {
        editor.pushUndoSnapshot();
        EditAdjustments a = editor.adjustments();
        change(a);
        editor.setAdjustments(a);
        editor.refreshPreview();
    }
    // Asks for the centre of the photo at actual size and waits for the render.
    const FullResolutionRegion& regionAtActualSize(QRectF visible = QRectF(0.4, 0.4, 0.2, 0.2)) {
        editor.requestFullResolutionRegion(visible, editor.fullResolutionDisplaySize());
        EXPECT_TRUE(editor.waitForBackgroundWork());
        EXPECT_TRUE(editor.fullResolutionRegion().has_value());
        return *editor.fullResolutionRegion();
    }
};

int largestDifference(const QImage& whole, const FullResolutionRegion& region) {
    const QImage a = whole.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage b = region.image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int x0 = int(std::lround(region.unitRect.x() * a.width()));
    const int y0 = int(std::lround(region.unitRect.y() * a.height()));
    EXPECT_EQ(b.width(), int(std::lround(region.unitRect.width() * a.width())));
    EXPECT_EQ(b.height(), int(std::lround(region.unitRect.height() * a.height())));
    int worst = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width() * 4; ++x)
            worst = std::max(worst,
                             std::abs(int(a.constScanLine(y0 + y)[x0 * 4 + x]) - int(b.constScanLine(y)[x])));
    return worst;
}

TEST_F(EditorRegion, AtActualSizeTheRegionIsTheOutputsOwnPixels) {
    openLargePhoto();
    edit([](EditAdjustments& a) {
        a.exposure = 0.4;
        a.clarity = 0.7;
        a.sharpness = 0.5;
        a.vignette = 0.8;
        a.quarterTurns = 1;
        a.cropRect = NormalizedCropRect(0.05, 0.1, 0.8, 0.85);
    });
    EXPECT_EQ(editor.fullResolutionDisplaySize(), editor.renderFullResolutionOutput()->size());
    const FullResolutionRegion& region = regionAtActualSize();
    EXPECT_TRUE(region.unitRect.contains(QRectF(0.4, 0.4, 0.2, 0.2)));
    // The view and its margin, not the photo: memory follows the screen.
    EXPECT_LT(region.image.width(), editor.fullResolutionDisplaySize().width() / 2);
    EXPECT_LE(largestDifference(*editor.renderFullResolutionOutput(), region), 1);
}

TEST_F(EditorRegion, MarkupAndTheFrameAreInTheRegionToo) {
    openLargePhoto();
    editor.setSelectedTab(InspectorTab::annotate);
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    editor.handleMarkupDragChanged({0.3, 0.3});
    editor.handleMarkupDragChanged({0.6, 0.55});
    editor.handleMarkupDragEnded();
    editor.setSelectedTab(InspectorTab::adjust);
    ASSERT_EQ(editor.annotations().size(), 1);
    edit([](EditAdjustments& a) {
        a.clarity = 0.5;
        a.watermark.enabled = true;
        a.watermark.text = QStringLiteral("Region");
        a.beautify.enabled = true;
    });
    const QImage output = *editor.renderFullResolutionOutput();
    EXPECT_LE(largestDifference(output, regionAtActualSize(QRectF(0.25, 0.25, 0.2, 0.2))), 1);
}

TEST_F(EditorRegion, AnEditDropsTheRegionWhichFollowsOnlyOnceTheEditPauses) {
    openLargePhoto();
    regionAtActualSize();
    const int renders = editor.regionRenderCount();
    // A slider drag: each step a new preview, the region gone and not rendered meanwhile.
    for (double exposure : {0.1, 0.2, 0.3}) {
        editor.setAdjustments([&] {
            EditAdjustments a = editor.adjustments();
            a.exposure = exposure;
            return a;
        }());
        editor.refreshPreview();
        EXPECT_FALSE(editor.fullResolutionRegion().has_value());
        editor.requestFullResolutionRegion(QRectF(0.4, 0.4, 0.2, 0.2), editor.fullResolutionDisplaySize());
        EXPECT_EQ(editor.regionRenderCount(), renders);
    }
    // The pause: the region of the last step arrives.
    QTest::qWait(400);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(editor.regionRenderCount(), renders + 1);
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    EXPECT_EQ(editor.fullResolutionRegion()->previewKey, editor.renderedDisplayImage()->cacheKey());
}

TEST_F(EditorRegion, AShortPanReusesTheRegionAndAViewThePreviewFillsNeedsNone) {
    openLargePhoto();
    regionAtActualSize();
    const int renders = editor.regionRenderCount();
    editor.requestFullResolutionRegion(QRectF(0.41, 0.39, 0.2, 0.2), editor.fullResolutionDisplaySize());
    EXPECT_EQ(editor.regionRenderCount(), renders);
    EXPECT_TRUE(editor.fullResolutionRegion().has_value());
    // Far away: a new render.
    editor.requestFullResolutionRegion(QRectF(0.0, 0.0, 0.2, 0.2), editor.fullResolutionDisplaySize());
    EXPECT_EQ(editor.regionRenderCount(), renders + 1);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    // Fitted on a small screen: the preview has every pixel the screen shows.
    editor.requestFullResolutionRegion(QRectF(0, 0, 1, 1), QSize(900, 600));
    EXPECT_FALSE(editor.fullResolutionRegion().has_value());
    EXPECT_EQ(editor.regionRenderCount(), renders + 1);
}

TEST_F(EditorRegion, ALargeFittedViewKeepsARegionOfTheScreensSize) {
    openLargePhoto();
    editor.requestFullResolutionRegion(QRectF(0, 0, 1, 1), QSize(2400, 1600));
    ASSERT_TRUE(editor.waitForBackgroundWork());
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    EXPECT_EQ(editor.fullResolutionRegion()->image.size(), QSize(2400, 1600));
    EXPECT_EQ(editor.fullResolutionRegion()->unitRect, QRectF(0, 0, 1, 1));
}

} // namespace

// The frame's least padding is in pixels, so a small cropped preview's frame is not the full
// frame in proportion: a region measured on the full canvas would sit shifted on the preview.
TEST_F(EditorRegion, AFrameNotInProportionWithThePreviewsShowsNoShiftedRegion) {
    openLargePhoto();
    edit([](EditAdjustments& a) {
        a.cropRect = NormalizedCropRect(0.35, 0.35, 0.3, 0.3);
        a.beautify.enabled = true;
        a.beautify.padding = 0.02;
    });
    QTest::qWait(400); // past the pause a region waits for after an edit
    editor.requestFullResolutionRegion(QRectF(0.4, 0.4, 0.2, 0.2), editor.fullResolutionDisplaySize());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    if (const auto& region = editor.fullResolutionRegion()) {
        const QImage output = *editor.renderFullResolutionOutput();
        EXPECT_LE(std::abs(editor.fullResolutionDisplaySize().width() - output.width()), 1);
        EXPECT_LE(std::abs(editor.fullResolutionDisplaySize().height() - output.height()), 1);
        EXPECT_LE(largestDifference(output, *region), 1);
    } else {
        // Refused once for this picture: the next repaint does not render the whole photo again.
        const int renders = editor.regionRenderCount();
        editor.requestFullResolutionRegion(QRectF(0.3, 0.3, 0.2, 0.2), editor.fullResolutionDisplaySize());
        ASSERT_TRUE(editor.waitForBackgroundWork());
        EXPECT_EQ(editor.regionRenderCount(), renders);
    }
}
