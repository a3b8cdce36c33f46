// "1:1 Actual Size" shows the photo's own pixels: the stage is laid out from the full-resolution
// size, the region rendered from the full-size source lies over the preview exactly where the
// preview's pixels are, and markup and the crop keep their unit coordinates.
#include "../editor/EditorTestSupport.h"
#include "ui/canvas/CanvasGeometry.h"
#include "ui/canvas/CanvasStageView.h"
#include "ui/canvas/RegionGeometry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace canvasgeometry;
using namespace regiongeometry;

TEST(CanvasRegionGeometry, ActualSizeIsTheFullResolutionPixelsOverTheDeviceRatio) {
    // A 6000 x 4000 photo (1800 x 1200 preview) on a 2x screen: 3000 x 2000 points at actual
    // size, while the fitted view only needs the shape.
    const QSizeF actual =
        displayedSize({1200, 900}, layoutPixels({1800, 1200}, {6000, 4000}, true), 1.0, true, 2.0);
    EXPECT_EQ(actual, QSizeF(3000, 2000));
    EXPECT_EQ(layoutPixels({1800, 1200}, {6000, 4000}, false), QSizeF(1800, 1200));
    const QRectF stage = canvasgeometry::stageRect({1200, 900}, actual, {0, 0}, 2.0);
    EXPECT_EQ(shownDevicePixels(stage, 2.0), QSize(6000, 4000));
    // The canvas shows the middle 1200 x 900 points of it.
    const QRectF visible = visibleUnitRect(stage, QRectF(0, 0, 1200, 900));
    EXPECT_NEAR(visible.x(), 0.3, 1e-12);
    EXPECT_NEAR(visible.width(), 0.4, 1e-12);
    EXPECT_NEAR(visible.y(), 0.275, 1e-12);
    EXPECT_NEAR(visible.height(), 0.45, 1e-12);
    EXPECT_TRUE(visibleUnitRect(stage.translated(5000, 0), QRectF(0, 0, 1200, 900)).isEmpty());
}

TEST(CanvasRegionGeometry, AUnitPointLandsOnTheSameSourcePixelThroughThePreviewAndTheRegion) {
    const double dpr = 2.0;
    const QSize full(6000, 4000), preview(1800, 1200);
    const QRectF stage = canvasgeometry::stageRect(
        {1200, 900}, displayedSize({1200, 900}, QSizeF(full), 1.0, true, dpr), {-317, 121}, dpr);
    // A region of whole pixels, as the editor renders it: columns 2100... and rows 1500...
    const QRectF unit(2100.0 / 6000, 1500.0 / 4000, 1600.0 / 6000, 900.0 / 4000);
    const QRectF target = onStage(unit, stage);
    for (const NormalizedPoint p :
         {NormalizedPoint{0.36, 0.4}, NormalizedPoint{0.5, 0.5}, NormalizedPoint{0.61, 0.59}}) {
        const QPointF onScreen = stage.topLeft() + QPointF(p.x * stage.width(), p.y * stage.height());
        // The pointer there is the same unit point markup and the eyedropper receive...
        const NormalizedPoint back = unitPoint(onScreen - stage.topLeft(), stage.size());
        EXPECT_NEAR(back.x, p.x, 1e-12);
        EXPECT_NEAR(back.y, p.y, 1e-12);
        // ... the region's pixel under it is the full-resolution pixel of that unit point ...
        const int regionColumn = int(std::floor((onScreen.x() - target.x()) * dpr));
        const int regionRow = int(std::floor((onScreen.y() - target.y()) * dpr));
        EXPECT_EQ(regionColumn + 2100, int(std::floor(p.x * full.width())));
        EXPECT_EQ(regionRow + 1500, int(std::floor(p.y * full.height())));
        // ... and the preview's pixel under it covers the same place of the photo.
        const double previewColumn = (onScreen.x() - stage.x()) / stage.width() * preview.width();
        EXPECT_NEAR(previewColumn / preview.width(), (regionColumn + 2100 + 0.5) / full.width(),
                    0.5 / preview.width());
    }
}

namespace {

void send(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, w.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// One-pixel vertical stripes, black and white: a preview reduced and enlarged again shows them
// as grey mush, the photo's own pixels as stripes.
QImage stripes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = x % 2 ? qRgb(250, 250, 250) : qRgb(10, 10, 10);
    }
    return image;
}

struct CanvasRegion : editortest::EditorFixture {
    QTemporaryDir dir;
    std::unique_ptr<CanvasStageView> view;

    void open() {
        editor.openURLs({testsupport::writeImage(dir, QStringLiteral("stripes.png"), stripes(3000, 2000))});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_TRUE(editor.hasImage());
        view = std::make_unique<CanvasStageView>(editor);
        view->resize(1000, 800);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    // Runs the event loop until the canvas has asked for its region and the render arrived.
    // The canvas asks a turn of the event loop after a change, and its repaint may ask again.
    void settle() {
        for (int round = 0; round < 4; ++round) {
            QTest::qWait(10);
            ASSERT_TRUE(editor.waitForBackgroundWork());
        }
    }
    // The largest step between neighbouring columns of the grab around the stage's centre.
    int columnContrast() {
        const QImage shot = view->grab().toImage();
        const QPoint c = view->stageRect().center().toPoint();
        int contrast = 0;
        for (int x = c.x() - 20; x < c.x() + 20; ++x)
            contrast =
                std::max(contrast, std::abs(qGray(shot.pixel(x, c.y())) - qGray(shot.pixel(x + 1, c.y()))));
        return contrast;
    }
};

} // namespace

TEST_F(CanvasRegion, ActualSizeShowsThePhotosOwnPixels) {
    open();
    settle();
    EXPECT_FALSE(editor.fullResolutionRegion().has_value()); // fitted: the preview is enough
    editor.toggleActualSize();
    settle();
    // Laid out from the photo's 3000 pixels, not the preview's 1800.
    EXPECT_NEAR(view->stageRect().width(), 3000 / view->devicePixelRatioF(), 1);
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    EXPECT_GT(columnContrast(), 200);
    // Back to the fit: the region is dropped and the preview shows alone.
    editor.zoomFit();
    settle();
    EXPECT_FALSE(editor.fullResolutionRegion().has_value());
}

TEST_F(CanvasRegion, AnEditShowsThePreviewUntilTheRegionOfTheNewEditArrives) {
    open();
    editor.toggleActualSize();
    settle();
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    EditAdjustments a = editor.adjustments();
    a.exposure = 0.5;
    editor.setAdjustments(a);
    editor.refreshPreview();
    EXPECT_FALSE(editor.fullResolutionRegion().has_value());
    EXPECT_LT(columnContrast(), 200); // the enlarged preview meanwhile
    QTest::qWait(400);
    settle();
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    EXPECT_GT(columnContrast(), 200);
}

TEST_F(CanvasRegion, MarkupAndTheCropKeepTheirUnitPointsAtActualSize) {
    open();
    editor.toggleActualSize();
    settle();
    ASSERT_TRUE(editor.fullResolutionRegion().has_value());
    const QRectF stage = view->stageRect();
    editor.setSelectedTab(InspectorTab::annotate);
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    const QPointF from = QPointF(400, 300), to = QPointF(600, 450);
    send(*view, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= 6; ++i)
        send(*view, QEvent::MouseMove, from + (to - from) * i / 6, Qt::LeftButton);
    send(*view, QEvent::MouseButtonRelease, to, Qt::NoButton);
    ASSERT_EQ(editor.annotations().size(), 1);
    const NormalizedPoint start = unitPoint(from - stage.topLeft(), stage.size());
    const NormalizedPoint end = unitPoint(to - stage.topLeft(), stage.size());
    EXPECT_NEAR(editor.annotations().first().start.x, start.x, 1e-9);
    EXPECT_NEAR(editor.annotations().first().start.y, start.y, 1e-9);
    EXPECT_NEAR(editor.annotations().first().end.x, end.x, 1e-9);
    EXPECT_NEAR(editor.annotations().first().end.y, end.y, 1e-9);
    // The region came and went with the edit; the stage did not move.
    settle();
    QTest::qWait(300);
    settle();
    EXPECT_EQ(view->stageRect(), stage);

    // A crop handle dragged at actual size moves the crop by the pointer's unit distance.
    editor.setSelectedTab(InspectorTab::adjust);
    EditAdjustments a = editor.adjustments();
    a.cropRect = NormalizedCropRect(0.45, 0.45, 0.1, 0.1);
    editor.setAdjustments(a);
    editor.toggleCropMode();
    settle();
    const QRectF cropStage = view->stageRect();
    EXPECT_EQ(cropStage.size(), stage.size()); // crop mode shows the whole photo, as large
    const QPointF handle = cropStage.topLeft() + QPointF(0.45 * cropStage.width(), 0.45 * cropStage.height());
    send(*view, QEvent::MouseButtonPress, handle, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        send(*view, QEvent::MouseMove, handle + QPointF(-30, -20) * i / 4, Qt::LeftButton);
    send(*view, QEvent::MouseButtonRelease, handle + QPointF(-30, -20), Qt::NoButton);
    EXPECT_NEAR(editor.adjustments().cropRect.x, 0.45 - 30 / cropStage.width(), 1e-9);
    EXPECT_NEAR(editor.adjustments().cropRect.y, 0.45 - 20 / cropStage.height(), 1e-9);
}
