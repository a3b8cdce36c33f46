#pragma once

#include "ui/canvas/CanvasGeometry.h"
#include "ui/canvas/CanvasLayers.h"
#include "ui/canvas/DisplayBitmapCache.h"

#include <QWidget>
#include <optional>

class EditorViewModel;
class QLabel;
class QNativeGestureEvent;
class QGestureEvent;
class QPushButton;
class QToolButton;

namespace canvascontrols {
class BusyOverlay;
class Capsule;
class CircleSymbolButton;
} // namespace canvascontrols

// The single-image canvas: the rendered photo on its backdrop, zoom, pan, compare, crop, markup,
// eyedropper and the floating bars. It keeps no document state: it reads the editor, repaints on
// its change signals and turns every gesture into an editor operation. The photo is painted by
// this one widget; only the floating bars are child widgets.
class CanvasStageView : public QWidget {
    Q_OBJECT
  public:
    explicit CanvasStageView(EditorViewModel& editor, QWidget* parent = nullptr);

    // Where the photo is shown, in widget coordinates (empty without a photo).
    QRectF stageRect() const;
    // How many display bitmaps the canvas has made (tests: a pan or a repaint makes none).
    int displayBitmapRebuildCount() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    enum class Drag { none, pan, markup, eyedropper, crop, split };

    void buildControls();
    void retranslate();
    void syncControls();
    void layoutControls();
    // The photo's size or pixels may have changed: the display bitmaps are brought up to date
    // before the next paint (once, however many signals one operation fires).
    void invalidateDisplay();
    void rebuildDisplayBitmaps();
    // Tells the editor what part of the photo is in view and at what size, so that it renders
    // that part at full resolution when the screen shows more than the preview; once per turn
    // of the event loop, however many changes ask for it.
    void requestRegion();
    void updateCursor(QPointF position);

    bool compareLayerShown() const;
    bool markupSurfaceShown() const;
    bool eyedropperSurfaceShown() const;
    QPointF stageLocation(QPointF widgetPosition) const;
    void beginDrag(QPointF position);
    void continueDrag(QPointF position);
    void endDrag();
    void setCropFromHandle(QPointF position);
    void applyPinch(double magnification);
    bool handleNativeGesture(QNativeGestureEvent* event);
    bool handleGesture(QGestureEvent* event);

    EditorViewModel& editor_;
    DisplayBitmapCache rendered_;
    DisplayBitmapCache original_;
    canvaslayers::StageShadow shadow_;
    bool displayDirty_ = true;
    bool rebuildQueued_ = false;
    bool regionQueued_ = false;

    Drag drag_ = Drag::none;
    QPointF pressPosition_;
    bool panStarted_ = false;
    bool cropChanged_ = false;
    canvasgeometry::CropHandle cropHandle_ = canvasgeometry::CropHandle::topLeft;
    std::optional<double> pinchMagnification_;

    canvascontrols::CircleSymbolButton* previousButton_ = nullptr;
    canvascontrols::CircleSymbolButton* nextButton_ = nullptr;
    canvascontrols::Capsule* cropBar_ = nullptr;
    QLabel* cropDimensions_ = nullptr;
    QPushButton* resetCropButton_ = nullptr;
    QPushButton* applyCropButton_ = nullptr;
    canvascontrols::Capsule* eyedropperBanner_ = nullptr;
    QLabel* eyedropperHint_ = nullptr;
    canvascontrols::Capsule* zoomBar_ = nullptr;
    QToolButton* zoomOutButton_ = nullptr;
    QLabel* zoomPercent_ = nullptr;
    QToolButton* zoomInButton_ = nullptr;
    QToolButton* fitButton_ = nullptr;
    QToolButton* actualSizeButton_ = nullptr;
    canvascontrols::Capsule* animationBar_ = nullptr;
    QToolButton* previousFrameButton_ = nullptr;
    QToolButton* playButton_ = nullptr;
    QToolButton* nextFrameButton_ = nullptr;
    QLabel* frameCounter_ = nullptr;
    QToolButton* saveFrameButton_ = nullptr;
    canvascontrols::BusyOverlay* busyOverlay_ = nullptr;
};
