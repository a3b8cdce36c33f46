#include "ui/canvas/CanvasStageView.h"
#include "../editor/EditorTestSupport.h"
#include "ui/canvas/CanvasGeometry.h"
#include "ui/canvas/CanvasLayers.h"
#include "ui/canvas/DisplayBitmapCache.h"

#include <QApplication>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTest>

using namespace canvasgeometry;

// ---- Geometry ----

TEST(CanvasGeometry, FitKeepsMarginsAndNeverGoesBelowEightyPoints) {
    EXPECT_NEAR(fitFactor({1000, 800}, {4000, 3000}), 0.239, 1e-12);
    const QSizeF fitted = displayedSize({1000, 800}, {4000, 3000}, 1.0, false, 1.0);
    EXPECT_NEAR(fitted.width(), 956, 1e-9);
    EXPECT_NEAR(fitted.height(), 717, 1e-9);
    // A canvas narrower than 124 points still shows the photo 80 points wide.
    EXPECT_NEAR(displayedSize({100, 800}, {4000, 3000}, 1.0, false, 1.0).width(), 80, 1e-9);
    // Actual size is one image pixel per device pixel: half as many points on a 2x screen.
    EXPECT_EQ(displayedSize({1000, 800}, {1800, 1200}, 1.0, true, 2.0), QSizeF(900, 600));
    // A zero-sized or broken input never divides by zero.
    const QSizeF degenerate = displayedSize({0, 0}, {0, 0}, std::nan(""), false, 0);
    EXPECT_TRUE(std::isfinite(degenerate.width()) && degenerate.width() > 0);
}

TEST(CanvasGeometry, SplitPinchAndPointerAreClamped) {
    EXPECT_DOUBLE_EQ(clampedSplit(0), 0.03);
    EXPECT_DOUBLE_EQ(clampedSplit(1), 0.97);
    EXPECT_DOUBLE_EQ(pinchZoom(20), 12);
    EXPECT_DOUBLE_EQ(pinchZoom(0.1), 0.15);
    EXPECT_EQ(unitPoint({-5, 250}, {200, 100}), (NormalizedPoint{0, 1}));
    EXPECT_EQ(unitPoint({50, 25}, {200, 100}), (NormalizedPoint{0.25, 0.25}));
    // A stage thinner than a point counts as one point wide.
    EXPECT_EQ(unitPoint({0.5, 0.25}, {0.2, 0.5}), (NormalizedPoint{0.5, 0.25}));
}

void expectCrop(const NormalizedCropRect& r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.x, x, 1e-12);
    EXPECT_NEAR(r.y, y, 1e-12);
    EXPECT_NEAR(r.width, w, 1e-12);
    EXPECT_NEAR(r.height, h, 1e-12);
}

TEST(CanvasGeometry, CropHandlesStopShortOfTheOppositeEdges) {
    const NormalizedCropRect r(0.2, 0.2, 0.6, 0.6);
    expectCrop(dragCropHandle(CropHandle::topLeft, r, {0.95, 0.95}), 0.75, 0.75, 0.05, 0.05);
    // An edge handle moves its edge only; the opposite edge stays where it was.
    expectCrop(dragCropHandle(CropHandle::right, r, {0.1, 0.5}), 0.2, 0.2, 0.05, 0.6);
    expectCrop(dragCropHandle(CropHandle::top, r, {0.9, 0.1}), 0.2, 0.1, 0.6, 0.7);
    expectCrop(dragCropHandle(CropHandle::bottomLeft, r, {0.0, 1.0}), 0.0, 0.2, 0.8, 0.8);
}

TEST(CanvasGeometry, CheckerboardSquaresAreTwelvePointsAndTheLastIsCut) {
    EXPECT_EQ(checkerboardCount(30), 3);
    EXPECT_EQ(checkerboardCount(36), 3);
    EXPECT_EQ(checkerboardCount(36.5), 4);
    QImage image(40, 12, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter p(&image);
        canvaslayers::paintCheckerboard(p, QRectF(0, 0, 30, 12), QPointF(0, 0), true, 1.0);
    }
    const auto grey = [&](int x) { return qRed(image.pixel(x, 5)); };
    EXPECT_EQ(grey(0), 240);  // 0.94, column 0
    EXPECT_EQ(grey(12), 199); // 0.78, column 1
    EXPECT_EQ(grey(24), 240); // column 2 ...
    EXPECT_EQ(grey(29), 240); // ... cut to 6 points
    EXPECT_EQ(image.pixel(30, 5), QColor(Qt::red).rgb());
}

TEST(CanvasGeometry, ReductionAveragesFinePatternsInsteadOfAliasing) {
    // One-pixel stripes reduced to a little under half: a nearest-neighbour pick would show
    // black or white bands, an area or Lanczos reduction an even grey.
    QImage stripes(400, 40, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage reduced = highQualityReduction(stripes, QSize(173, 17));
    ASSERT_EQ(reduced.size(), QSize(173, 17));
    for (int x = 2; x < 171; ++x)
        EXPECT_NEAR(qGray(reduced.pixel(x, 8)), 128, 40) << x;

    // Each channel is its own mean, with nothing carried into its neighbour.
    QImage block(2, 2, QImage::Format_ARGB32_Premultiplied);
    block.setPixel(0, 0, qRgba(255, 0, 255, 255));
    block.setPixel(1, 0, qRgba(255, 255, 0, 255));
    block.setPixel(0, 1, qRgba(254, 255, 255, 255));
    block.setPixel(1, 1, qRgba(0, 0, 0, 0));
    const QRgb mean = highQualityReduction(block, QSize(1, 1)).pixel(0, 0);
    EXPECT_EQ(qAlpha(mean), 191);
    EXPECT_EQ(qRed(mean), 191);
    EXPECT_EQ(qGreen(mean), 128);
    EXPECT_EQ(qBlue(mean), 128);
}

// ---- The widget over a real editor ----

namespace {

void send(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, w.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void drag(QWidget& w, QPointF from, QPointF to, int steps = 8) {
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i)
        send(w, QEvent::MouseMove, from + (to - from) * i / steps, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void doubleClick(QWidget& w, QPointF at) {
    send(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
    send(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

struct CanvasFixture : editortest::EditorFixture {
    QTemporaryDir dir;
    std::unique_ptr<CanvasStageView> view;

    void open(QSize size = QSize(1600, 1200)) {
        editor.openURLs(
            editortest::writeImages(dir, {QStringLiteral("a.png"), QStringLiteral("b.png")}, size));
        ASSERT_TRUE(editor.hasImage());
        view = std::make_unique<CanvasStageView>(editor);
        view->resize(1000, 800);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
};

} // namespace

TEST_F(CanvasFixture, ThePhotoIsFittedAndPainted) {
    open();
    const QRectF stage = view->stageRect();
    EXPECT_NEAR(stage.width(), 956, 1);
    EXPECT_NEAR(stage.height(), 717, 1);
    EXPECT_NEAR(stage.center().x(), 500, 1);
    EXPECT_NEAR(stage.center().y(), 400, 1);
    const QImage shot = view->grab().toImage();
    // The sample image's dark square sits in the second quarter of the photo.
    const QPoint inSquare =
        (stage.topLeft() + QPointF(stage.width() * 0.35, stage.height() * 0.35)).toPoint();
    EXPECT_LT(qGray(shot.pixel(inSquare)), 40);
    const QPoint corner = (stage.topLeft() + QPointF(3, 3)).toPoint();
    EXPECT_GT(qGray(shot.pixel(corner)), 60);
}

TEST_F(CanvasFixture, ADisplayBitmapIsMadeOncePerImageAndSize) {
    open();
    view->grab();
    const int made = view->displayBitmapRebuildCount();
    EXPECT_GT(made, 0);
    // Panning and repainting copy the bitmap; they never make another.
    editor.setPanOffset(QSizeF(30, -20));
    view->grab();
    view->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->displayBitmapRebuildCount(), made);
    // A new size, and new pixels, each make one.
    view->resize(900, 700);
    view->grab();
    const int afterResize = view->displayBitmapRebuildCount();
    EXPECT_GT(afterResize, made);
    EditAdjustments a = editor.adjustments();
    a.contrast = 1.3;
    editor.setAdjustments(a);
    editor.refreshPreview();
    view->grab();
    view->grab();
    EXPECT_EQ(view->displayBitmapRebuildCount(), afterResize + 1);
}

TEST_F(CanvasFixture, WithTheMarkupTabADragDrawsAndADoubleClickDoesNotZoom) {
    open();
    editor.zoomIn(2.0); // zoomed in, a drag on another tab would pan
    editor.setSelectedTab(InspectorTab::annotate);
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    const QPointF c = view->stageRect().center();
    view->grab();
    drag(*view, c, c + QPointF(120, 80));
    EXPECT_EQ(editor.annotations().size(), 1);
    EXPECT_EQ(editor.panOffset(), QSizeF(0, 0));
    doubleClick(*view, c + QPointF(-200, -100));
    EXPECT_FALSE(editor.isActualSizeMode());

    // On the adjust tab the same drag pans and a double click shows the actual size.
    editor.setSelectedTab(InspectorTab::adjust);
    drag(*view, c, c + QPointF(120, 80));
    EXPECT_EQ(editor.annotations().size(), 1);
    EXPECT_EQ(editor.panOffset(), QSizeF(120, 80));
    // A short wobble is not a pan.
    drag(*view, c, c + QPointF(6, 5));
    EXPECT_EQ(editor.panOffset(), QSizeF(120, 80));
    doubleClick(*view, view->stageRect().center());
    EXPECT_TRUE(editor.isActualSizeMode());
}

TEST_F(CanvasFixture, CropHandleDragIsOneUndoStepAndStopsShort) {
    open();
    editor.toggleCropMode();
    ASSERT_TRUE(editor.isCropMode());
    const QRectF stage = view->stageRect();
    EXPECT_FALSE(editor.canUndo());
    // A press on a handle without a move changes nothing and records nothing.
    send(*view, QEvent::MouseButtonPress, stage.topLeft() + QPointF(2, 2), Qt::LeftButton);
    send(*view, QEvent::MouseButtonRelease, stage.topLeft() + QPointF(2, 2), Qt::NoButton);
    EXPECT_FALSE(editor.canUndo());
    drag(*view, stage.topLeft() + QPointF(2, 2), stage.bottomRight() + QPointF(40, 40), 12);
    const NormalizedCropRect crop = editor.adjustments().cropRect;
    EXPECT_NEAR(crop.x, 0.95, 1e-9);
    EXPECT_NEAR(crop.y, 0.95, 1e-9);
    EXPECT_NEAR(crop.width, 0.05, 1e-9);
    EXPECT_NEAR(crop.height, 0.05, 1e-9);
    ASSERT_TRUE(editor.canUndo());
    editor.undo();
    EXPECT_TRUE(editor.adjustments().cropRect.isFull());
    EXPECT_FALSE(editor.canUndo());
}

TEST_F(CanvasFixture, SurfacesTakeDragsOneAtATime) {
    open();
    const QRectF stage = view->stageRect();
    // Compare: a drag anywhere on the photo moves the split, held inside 3 %...97 %.
    editor.setIsCompareMode(true);
    drag(*view, stage.center(), QPointF(1, stage.center().y()));
    EXPECT_DOUBLE_EQ(editor.compareSplit(), 0.03);
    editor.setIsCompareMode(false);

    // The eyedropper samples at the first contact and wins over the markup tab.
    editor.setSelectedTab(InspectorTab::annotate);
    editor.startEyedropper(EyedropperPurpose::sampleColor);
    send(*view, QEvent::MouseButtonPress,
         stage.topLeft() + QPointF(stage.width() * 0.35, stage.height() * 0.35), Qt::LeftButton);
    send(*view, QEvent::MouseButtonRelease, stage.center(), Qt::NoButton);
    ASSERT_TRUE(editor.sampledColor().has_value());
    EXPECT_LT(editor.sampledColor()->r, 50); // the dark square
    EXPECT_TRUE(editor.annotations().isEmpty());
}

TEST_F(CanvasFixture, APinchSetsTheZoomToItsMagnificationWithinBounds) {
    open();
    editor.toggleActualSize();
    const QPointF at = view->stageRect().center();
    const auto gesture = [&](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                  view->mapToGlobal(at), value, QPointF());
        QApplication::sendEvent(view.get(), &event);
    };
    gesture(Qt::BeginNativeGesture, 0);
    gesture(Qt::ZoomNativeGesture, 0.005); // under the gesture's minimum change
    EXPECT_TRUE(editor.isActualSizeMode());
    gesture(Qt::ZoomNativeGesture, 0.5);
    EXPECT_FALSE(editor.isActualSizeMode());
    EXPECT_NEAR(editor.zoomScale(), 1.005 * 1.5, 1e-9);
    gesture(Qt::ZoomNativeGesture, 12.0);
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 12);
    gesture(Qt::EndNativeGesture, 0);
    // A new pinch starts from its own magnification, not from the zoom it finds.
    gesture(Qt::BeginNativeGesture, 0);
    gesture(Qt::ZoomNativeGesture, -0.95);
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 0.15);
    gesture(Qt::EndNativeGesture, 0);
}
