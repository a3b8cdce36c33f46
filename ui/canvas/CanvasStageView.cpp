#include "ui/canvas/CanvasStageView.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/canvas/CanvasFloatingControls.h"
#include "ui/canvas/RegionGeometry.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QGestureEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cmath>

using namespace canvasgeometry;
using canvascontrols::Capsule;

namespace {

const QColor kDarkBackdrop = QColor::fromRgbF(0.085f, 0.09f, 0.105f);
const QColor kLightBackdrop = QColor::fromRgbF(0.92f, 0.93f, 0.95f);
const QColor kEyedropperYellow(0xff, 0xd6, 0x0a);

// Beyond twice its size a photo is shown with crisp pixels, as photo viewers do when one looks
// at single pixels; up to that it is smoothed.
constexpr double kSmoothMagnificationLimit = 2.0;
constexpr double kPannableZoom = 1.01;

const char* kCropButtonsStyle = R"(
QPushButton#resetCrop {
    color: white; background: rgba(255, 255, 255, 0.08); border: 1px solid rgba(255, 255, 255, 0.4);
    border-radius: 6px; padding: 4px 10px; font-size: 12px; font-weight: 600;
}
QPushButton#resetCrop:hover { background: rgba(255, 255, 255, 0.16); }
QPushButton#resetCrop:pressed { background: rgba(255, 255, 255, 0.26); }
QPushButton#applyCrop {
    color: white; background: #34c759; border: none; border-radius: 6px; padding: 5px 12px;
    font-size: 12px; font-weight: 700;
}
QPushButton#applyCrop:hover { background: #45d46a; }
QPushButton#applyCrop:pressed { background: #2aa84a; }
)";

QPushButton* cropButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QFont captionFont(int weight) {
    QFont f;
    f.setPixelSize(12);
    f.setWeight(QFont::Weight(weight));
    return f;
}

} // namespace

CanvasStageView::CanvasStageView(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setLayoutDirection(Qt::LeftToRight); // the photo, its handles and its controls never mirror
    setMouseTracking(true);
    grabGesture(Qt::PinchGesture);
    buildControls();

    EditorViewModel* e = &editor_;
    // Pixels or displayed size: the display bitmaps follow.
    for (auto signal : {&EditorViewModel::renderedDisplayImageChanged,
                        &EditorViewModel::originalDisplayImageChanged, &EditorViewModel::zoomScaleChanged,
                        &EditorViewModel::isActualSizeModeChanged, &EditorViewModel::isCompareModeChanged})
        connect(e, signal, this, &CanvasStageView::invalidateDisplay);
    // The part in view changes with the pan; the full-resolution region follows it.
    connect(e, &EditorViewModel::panOffsetChanged, this, &CanvasStageView::requestRegion);
    connect(e, &EditorViewModel::fullResolutionRegionChanged, this, qOverload<>(&QWidget::update));
    // Only where things are drawn.
    for (auto signal : {&EditorViewModel::panOffsetChanged, &EditorViewModel::backdropChanged,
                        &EditorViewModel::compareSplitChanged, &EditorViewModel::bgSettingsChanged})
        connect(e, signal, this, qOverload<>(&QWidget::update));
    // What the floating controls show.
    for (auto signal :
         {&EditorViewModel::renderedDisplayImageChanged, &EditorViewModel::folderImagesChanged,
          &EditorViewModel::isCropModeChanged, &EditorViewModel::selectedTabChanged,
          &EditorViewModel::isEyedropperActiveChanged, &EditorViewModel::eyedropperPurposeChanged,
          &EditorViewModel::adjustmentsChanged, &EditorViewModel::documentInfoChanged,
          &EditorViewModel::isAnimatedImageChanged, &EditorViewModel::isPlayingAnimationChanged,
          &EditorViewModel::currentFrameIndexChanged, &EditorViewModel::totalFrameCountChanged,
          &EditorViewModel::isProcessingAIChanged, &EditorViewModel::zoomScaleChanged,
          &EditorViewModel::isActualSizeModeChanged, &EditorViewModel::isCompareModeChanged})
        connect(e, signal, this, [this] {
            syncControls();
            update();
        });
    connect(e, &EditorViewModel::languageChanged, this, [this] {
        retranslate();
        syncControls();
        update();
    });
    retranslate();
    syncControls();
}

// ---- Floating controls ----

void CanvasStageView::buildControls() {
    previousButton_ = new canvascontrols::CircleSymbolButton(QStringLiteral("chevron.left"), this);
    nextButton_ = new canvascontrols::CircleSymbolButton(QStringLiteral("chevron.right"), this);
    connect(previousButton_, &QAbstractButton::clicked, &editor_, &EditorViewModel::navigatePrevious);
    connect(nextButton_, &QAbstractButton::clicked, &editor_, &EditorViewModel::navigateNext);

    cropBar_ = new Capsule(0.75, this);
    cropBar_->setStyleSheet(cropBar_->styleSheet() + QString::fromLatin1(kCropButtonsStyle));
    cropBar_->row()->setContentsMargins(14, 6, 6, 6);
    cropBar_->row()->setSpacing(10);
    cropBar_->row()->addWidget(canvascontrols::symbolLabel(cropBar_, QStringLiteral("crop"), Qt::white));
    cropDimensions_ = new QLabel(cropBar_);
    cropDimensions_->setFont(captionFont(QFont::DemiBold));
    cropBar_->row()->addWidget(cropDimensions_);
    resetCropButton_ = cropButton(cropBar_, "resetCrop");
    applyCropButton_ = cropButton(cropBar_, "applyCrop");
    cropBar_->row()->addWidget(resetCropButton_);
    cropBar_->row()->addWidget(applyCropButton_);
    connect(resetCropButton_, &QPushButton::clicked, &editor_, &EditorViewModel::resetCrop);
    connect(applyCropButton_, &QPushButton::clicked, &editor_, &EditorViewModel::toggleCropMode);

    eyedropperBanner_ = new Capsule(0.75, this);
    eyedropperBanner_->row()->setContentsMargins(14, 8, 16, 8);
    eyedropperBanner_->row()->setSpacing(8);
    eyedropperBanner_->row()->addWidget(canvascontrols::symbolLabel(
        eyedropperBanner_, QStringLiteral("eyedropper.halffull"), kEyedropperYellow));
    eyedropperHint_ = new QLabel(eyedropperBanner_);
    eyedropperHint_->setFont(captionFont(QFont::DemiBold));
    eyedropperBanner_->row()->addWidget(eyedropperHint_);

    zoomBar_ = new Capsule(0.7, this);
    zoomOutButton_ = canvascontrols::capsuleButton(zoomBar_, QStringLiteral("minus"));
    zoomPercent_ = new QLabel(zoomBar_);
    QFont percentFont = captionFont(QFont::DemiBold);
    percentFont.setStyleHint(QFont::Monospace);
    zoomPercent_->setFont(percentFont);
    zoomPercent_->setMinimumWidth(42);
    zoomPercent_->setAlignment(Qt::AlignCenter);
    zoomInButton_ = canvascontrols::capsuleButton(zoomBar_, QStringLiteral("plus"));
    fitButton_ = canvascontrols::capsuleButton(zoomBar_, {}, QStringLiteral("Fit"));
    actualSizeButton_ = canvascontrols::capsuleButton(zoomBar_, {}, QStringLiteral("1:1"));
    actualSizeButton_->setCheckable(true);
    zoomBar_->row()->addWidget(zoomOutButton_);
    zoomBar_->row()->addWidget(zoomPercent_);
    zoomBar_->row()->addWidget(zoomInButton_);
    zoomBar_->row()->addSpacing(2);
    zoomBar_->row()->addWidget(canvascontrols::capsuleDivider(zoomBar_));
    zoomBar_->row()->addSpacing(2);
    zoomBar_->row()->addWidget(fitButton_);
    zoomBar_->row()->addWidget(actualSizeButton_);
    connect(zoomOutButton_, &QToolButton::clicked, this, [this] { editor_.zoomOut(); });
    connect(zoomInButton_, &QToolButton::clicked, this, [this] { editor_.zoomIn(); });
    connect(fitButton_, &QToolButton::clicked, &editor_, &EditorViewModel::zoomFit);
    // The check mark mirrors the editor, never the click: the editor decides.
    connect(actualSizeButton_, &QToolButton::clicked, this, [this] {
        editor_.toggleActualSize();
        actualSizeButton_->setChecked(editor_.isActualSizeMode());
    });

    animationBar_ = new Capsule(0.7, this);
    previousFrameButton_ =
        canvascontrols::capsuleButton(animationBar_, QStringLiteral("backward.frame.fill"));
    playButton_ = canvascontrols::capsuleButton(animationBar_, QStringLiteral("play.fill"));
    nextFrameButton_ = canvascontrols::capsuleButton(animationBar_, QStringLiteral("forward.frame.fill"));
    frameCounter_ = new QLabel(animationBar_);
    frameCounter_->setFont(percentFont);
    frameCounter_->setMinimumWidth(46);
    frameCounter_->setAlignment(Qt::AlignCenter);
    saveFrameButton_ = canvascontrols::capsuleButton(animationBar_, QStringLiteral("photo.badge.arrow.down"));
    animationBar_->row()->addWidget(previousFrameButton_);
    animationBar_->row()->addWidget(playButton_);
    animationBar_->row()->addWidget(nextFrameButton_);
    animationBar_->row()->addWidget(frameCounter_);
    animationBar_->row()->addSpacing(2);
    animationBar_->row()->addWidget(canvascontrols::capsuleDivider(animationBar_));
    animationBar_->row()->addSpacing(2);
    animationBar_->row()->addWidget(saveFrameButton_);
    connect(previousFrameButton_, &QToolButton::clicked, this, [this] { editor_.stepAnimationFrame(-1); });
    connect(nextFrameButton_, &QToolButton::clicked, this, [this] { editor_.stepAnimationFrame(1); });
    connect(playButton_, &QToolButton::clicked, &editor_, &EditorViewModel::toggleAnimationPlayback);
    connect(saveFrameButton_, &QToolButton::clicked, &editor_, &EditorViewModel::extractCurrentFrameAsPNG);

    busyOverlay_ = new canvascontrols::BusyOverlay(this);
}

void CanvasStageView::retranslate() {
    resetCropButton_->setText(S::resetCrop());
    applyCropButton_->setText(S::applyCrop());
    fitButton_->setText(S::fitWindow());
    actualSizeButton_->setToolTip(S::actualSize());
    previousButton_->setToolTip(S::previousPhoto());
    nextButton_->setToolTip(S::nextPhoto());
    saveFrameButton_->setToolTip(S::extractCurrentFrame());
    // The string table's own wording, the same in every build.
    busyOverlay_->setText(S::t(QStringLiteral("Processing on Apple Neural Engine\u2026"),
                               QStringLiteral("Apple Neural Engine i\u015fliyor\u2026")));
}

void CanvasStageView::syncControls() {
    const bool hasImage = editor_.hasImage();
    const bool markupTab = editor_.selectedTab() == InspectorTab::annotate;
    const bool chevrons = editor_.folderImages().size() >= 2 && !editor_.isCropMode() && !markupTab;
    previousButton_->setVisible(chevrons);
    nextButton_->setVisible(chevrons);

    cropBar_->setVisible(editor_.isCropMode());
    if (editor_.isCropMode()) cropDimensions_->setText(editor_.croppedPixelDimensionsText());
    const bool eyedropperBanner = !editor_.isCropMode() && editor_.isEyedropperActive();
    eyedropperBanner_->setVisible(eyedropperBanner);
    if (eyedropperBanner)
        eyedropperHint_->setText(
            editor_.eyedropperPurpose() == EyedropperPurpose::pickBackgroundKeyColor
                ? S::t(QStringLiteral("Click the background color to remove"),
                       QStringLiteral("Silmek istedi\u011finiz arka plan rengine t\u0131klay\u0131n"))
                : S::eyedropperActiveHint());

    zoomBar_->setVisible(hasImage);
    zoomPercent_->setText(QString::number(std::lround(editor_.zoomScale() * 100)) + QLatin1Char('%'));
    actualSizeButton_->setChecked(editor_.isActualSizeMode());

    const bool animated = hasImage && editor_.isAnimatedImage();
    animationBar_->setVisible(animated);
    if (animated) {
        const bool playing = editor_.isPlayingAnimation();
        playButton_->setIcon(playing ? symbols::icon(QStringLiteral("pause.fill"), theme::success)
                                     : symbols::icon(QStringLiteral("play.fill"), Qt::white));
        frameCounter_->setText(
            QStringLiteral("%1 / %2").arg(editor_.currentFrameIndex() + 1).arg(editor_.totalFrameCount()));
    }

    busyOverlay_->setVisible(editor_.isProcessingAI());
    layoutControls();
}

void CanvasStageView::layoutControls() {
    const int w = width();
    const int h = height();
    previousButton_->move(16, (h - previousButton_->height()) / 2);
    nextButton_->move(w - 16 - nextButton_->width(), (h - nextButton_->height()) / 2);

    for (Capsule* banner : {cropBar_, eyedropperBanner_}) {
        if (banner->isHidden()) continue;
        banner->adjustSize();
        banner->move((w - banner->width()) / 2, 12);
    }

    zoomBar_->adjustSize();
    int total = zoomBar_->width();
    if (!animationBar_->isHidden()) {
        animationBar_->adjustSize();
        total += theme::spacing + animationBar_->width();
    }
    const int left = (w - total) / 2;
    zoomBar_->move(left, h - 8 - zoomBar_->height());
    if (!animationBar_->isHidden())
        animationBar_->move(left + zoomBar_->width() + theme::spacing, h - 8 - animationBar_->height());

    if (!busyOverlay_->isHidden()) {
        busyOverlay_->resize(busyOverlay_->sizeHint());
        busyOverlay_->move((w - busyOverlay_->width()) / 2, (h - busyOverlay_->height()) / 2);
        busyOverlay_->raise();
    }
}

// ---- Display bitmaps ----

void CanvasStageView::invalidateDisplay() {
    displayDirty_ = true;
    // One operation fires several signals (zoom, actual size, pan); the bitmap is made once,
    // after them, before the repaint they asked for is handled.
    if (!rebuildQueued_) {
        rebuildQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            rebuildQueued_ = false;
            if (displayDirty_) rebuildDisplayBitmaps();
        });
    }
    update();
}

void CanvasStageView::requestRegion() {
    if (regionQueued_) return;
    regionQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        regionQueued_ = false;
        const QRectF stage = stageRect();
        if (stage.isEmpty() || !isVisible()) {
            editor_.requestFullResolutionRegion({}, {});
            return;
        }
        editor_.requestFullResolutionRegion(regiongeometry::visibleUnitRect(stage, QRectF(rect())),
                                            regiongeometry::shownDevicePixels(stage, devicePixelRatioF()));
    });
}

void CanvasStageView::rebuildDisplayBitmaps() {
    displayDirty_ = false;
    requestRegion();
    const std::optional<QImage>& rendered = editor_.renderedDisplayImage();
    if (!rendered || rendered->isNull()) {
        rendered_.clear();
        original_.clear();
        return;
    }
    const double dpr = devicePixelRatioF();
    const QRectF stage = stageRect();
    const QSize device(int(std::lround(stage.width() * dpr)), int(std::lround(stage.height() * dpr)));
    rendered_.update(*rendered, device, dpr);
    const std::optional<QImage>& original = editor_.originalDisplayImage();
    if (editor_.isCompareMode() && original && !original->isNull())
        original_.update(*original, device, dpr);
    else
        original_.clear();
}

int CanvasStageView::displayBitmapRebuildCount() const {
    return rendered_.rebuildCount() + original_.rebuildCount();
}

QRectF CanvasStageView::stageRect() const {
    const std::optional<QImage>& rendered = editor_.renderedDisplayImage();
    if (!rendered || rendered->isNull()) return {};
    const double dpr = devicePixelRatioF();
    // Actual size is measured in the full-resolution image's pixels, not the preview's.
    const bool actual = editor_.isActualSizeMode();
    const QSizeF pixels = regiongeometry::layoutPixels(
        rendered->size(), actual ? editor_.fullResolutionDisplaySize() : QSize(), actual);
    const QSizeF shown = displayedSize(QSizeF(size()), pixels, editor_.zoomScale(), actual, dpr);
    return canvasgeometry::stageRect(QSizeF(size()), shown, editor_.panOffset(), dpr);
}

// ---- Painting ----

namespace {

// The photo at the stage: the ready reduction copied as it is, or the source magnified, smooth
// up to twice its size and crisp beyond.
void paintPhoto(QPainter& p, const DisplayBitmapCache& cache, const QRectF& stage, double dpr) {
    if (!cache.reduced().isNull()) {
        p.drawImage(stage.topLeft(), cache.reduced());
        return;
    }
    const QImage& source = cache.paintSource();
    if (source.isNull()) return;
    const double sx = stage.width() / source.width();
    const double sy = stage.height() / source.height();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, sx * dpr <= kSmoothMagnificationLimit + 1e-9);
    p.translate(stage.topLeft());
    p.scale(sx, sy);
    p.drawImage(QPointF(0, 0), source);
    p.restore();
}

// The full-resolution region over the preview, where it belongs to the preview on screen.
void paintRegion(QPainter& p, const EditorViewModel& editor, const QRectF& stage, double dpr) {
    const OptionalRegion& region = editor.fullResolutionRegion();
    const std::optional<QImage>& preview = editor.renderedDisplayImage();
    if (!region || region->image.isNull() || !preview || region->previewKey != preview->cacheKey()) return;
    const QRectF target = regiongeometry::onStage(region->unitRect, stage);
    const double magnification = target.width() * dpr / region->image.width();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform,
                    std::abs(magnification - 1) > 1e-3 && magnification <= kSmoothMagnificationLimit + 1e-9);
    p.drawImage(target, region->image);
    p.restore();
}

} // namespace

void CanvasStageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const double dpr = devicePixelRatioF();
    const QRectF canvas(rect());
    switch (editor_.backdrop()) {
    case CanvasBackdrop::dark:
        p.fillRect(canvas, kDarkBackdrop);
        break;
    case CanvasBackdrop::light:
        p.fillRect(canvas, kLightBackdrop);
        break;
    case CanvasBackdrop::checkerboard:
        canvaslayers::paintCheckerboard(p, canvas, QPointF(0, 0), false, dpr);
        break;
    }
    if (!editor_.renderedDisplayImage()) return;
    // A synchronous repaint (a grab) can come before the queued rebuild; the bitmap is still
    // made once for the change, never again for later paints.
    if (displayDirty_) rebuildDisplayBitmaps();

    const QRectF stage = stageRect();
    // Showing or moving the window changes what is in view without any editor signal.
    requestRegion();
    shadow_.paint(p, stage, dpr);
    if (editor_.isShowingTransparency() || editor_.backdrop() == CanvasBackdrop::checkerboard)
        canvaslayers::paintCheckerboard(p, stage.intersected(canvas), stage.topLeft(), true, dpr);

    if (compareLayerShown()) {
        const double splitX = stage.left() + stage.width() * clampedSplit(editor_.compareSplit());
        p.save();
        p.setClipRect(QRectF(QPointF(stage.left(), stage.top()), QPointF(splitX, stage.bottom())));
        paintPhoto(p, original_, stage, dpr);
        p.setClipRect(QRectF(QPointF(splitX, stage.top()), QPointF(stage.right(), stage.bottom())));
        paintPhoto(p, rendered_, stage, dpr);
        paintRegion(p, editor_, stage, dpr);
        p.restore();
        canvaslayers::paintCompareSplit(p, stage, splitX, canvas,
                                        S::t(QStringLiteral("BEFORE"), QStringLiteral("\u00d6NCES\u0130")),
                                        S::t(QStringLiteral("AFTER"), QStringLiteral("SONRASI")));
    } else {
        paintPhoto(p, rendered_, stage, dpr);
        paintRegion(p, editor_, stage, dpr);
    }

    if (editor_.isCropMode())
        canvaslayers::paintCropOverlay(p, stage, editor_.adjustments().cropRect.clamped());
}

// ---- Surfaces and gestures ----

bool CanvasStageView::compareLayerShown() const {
    return editor_.isCompareMode() && editor_.originalDisplayImage().has_value();
}

bool CanvasStageView::markupSurfaceShown() const {
    return editor_.selectedTab() == InspectorTab::annotate && !editor_.isCropMode() &&
           !editor_.isEyedropperActive() && !editor_.isCompareMode();
}

bool CanvasStageView::eyedropperSurfaceShown() const {
    return editor_.isEyedropperActive();
}

QPointF CanvasStageView::stageLocation(QPointF widgetPosition) const {
    return widgetPosition - stageRect().topLeft();
}

void CanvasStageView::beginDrag(QPointF position) {
    drag_ = Drag::none;
    panStarted_ = false;
    cropChanged_ = false;
    pressPosition_ = position;
    if (!editor_.renderedDisplayImage()) return;
    const QRectF stage = stageRect();
    const bool onStage = stage.contains(position);
    const QPointF local = position - stage.topLeft();
    if (compareLayerShown() && onStage) {
        drag_ = Drag::split;
    } else if (editor_.isCropMode()) {
        const QRectF crop = cropRectOnStage(editor_.adjustments().cropRect.clamped(), stage.size());
        if (std::optional<CropHandle> handle = cropHandleAt(local, crop)) {
            drag_ = Drag::crop;
            cropHandle_ = *handle;
            return; // a press alone moves nothing
        }
        drag_ = Drag::pan;
        return;
    } else if (eyedropperSurfaceShown() && onStage) {
        drag_ = Drag::eyedropper;
    } else if (markupSurfaceShown() && onStage) {
        drag_ = Drag::markup;
    } else {
        drag_ = Drag::pan;
        return;
    }
    // The surfaces take the first contact as a change, as the pointer lands.
    continueDrag(position);
}

void CanvasStageView::continueDrag(QPointF position) {
    const QRectF stage = stageRect();
    const QPointF local = position - stage.topLeft();
    switch (drag_) {
    case Drag::none:
        return;
    case Drag::split: {
        const double w = stage.width() >= 1 ? stage.width() : 1;
        editor_.setCompareSplit(clampedSplit(local.x() / w));
        return;
    }
    case Drag::crop:
        setCropFromHandle(position);
        return;
    case Drag::eyedropper:
        editor_.sampleColorAt(unitPoint(local, stage.size()));
        return;
    case Drag::markup:
        editor_.handleMarkupDragChanged(unitPoint(local, stage.size()));
        return;
    case Drag::pan: {
        const QPointF translation = position - pressPosition_;
        if (!panStarted_ && std::hypot(translation.x(), translation.y()) < kPanThreshold) return;
        panStarted_ = true;
        if (editor_.isCropMode() || editor_.isEyedropperActive() || editor_.isCompareMode() ||
            editor_.selectedTab() == InspectorTab::annotate)
            return;
        if (editor_.zoomScale() > kPannableZoom || editor_.isActualSizeMode()) {
            setCursor(Qt::ClosedHandCursor);
            editor_.updatePan(QSizeF(translation.x(), translation.y()));
        }
        return;
    }
    }
}

void CanvasStageView::endDrag() {
    const Drag ended = drag_;
    drag_ = Drag::none;
    if (ended == Drag::markup) editor_.handleMarkupDragEnded();
    if (ended == Drag::pan && panStarted_) editor_.endPan();
    panStarted_ = false;
}

void CanvasStageView::setCropFromHandle(QPointF position) {
    const QRectF stage = stageRect();
    const NormalizedPoint pointer = unitPoint(position - stage.topLeft(), stage.size());
    EditAdjustments a = editor_.adjustments();
    const NormalizedCropRect next = dragCropHandle(cropHandle_, a.cropRect.clamped(), pointer);
    if (next == a.cropRect) return;
    // One undo step for the whole drag, taken before its first change.
    if (!cropChanged_) editor_.pushUndoSnapshot();
    cropChanged_ = true;
    a.cropRect = next;
    editor_.setAdjustments(a);
}

void CanvasStageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    beginDrag(event->position());
    updateCursor(event->position());
}

void CanvasStageView::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ != Drag::none && (event->buttons() & Qt::LeftButton))
        continueDrag(event->position());
    else
        updateCursor(event->position());
}

void CanvasStageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    endDrag();
    updateCursor(event->position());
}

void CanvasStageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    const bool toggles = !editor_.isCropMode() && !editor_.isEyedropperActive() &&
                         editor_.selectedTab() != InspectorTab::annotate;
    if (toggles && stageRect().contains(event->position())) {
        drag_ = Drag::none;
        editor_.toggleActualSize();
        return;
    }
    // The second click of a quick pair is a press like any other: it draws, samples or drags.
    beginDrag(event->position());
}

void CanvasStageView::updateCursor(QPointF position) {
    if (drag_ == Drag::pan && panStarted_) return;
    const QRectF stage = stageRect();
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (stage.isValid()) {
        const QPointF local = position - stage.topLeft();
        if (editor_.isCropMode()) {
            const QRectF crop = cropRectOnStage(editor_.adjustments().cropRect.clamped(), stage.size());
            if (std::optional<CropHandle> handle = cropHandleAt(local, crop)) {
                switch (*handle) {
                case CropHandle::topLeft:
                case CropHandle::bottomRight:
                    shape = Qt::SizeFDiagCursor;
                    break;
                case CropHandle::topRight:
                case CropHandle::bottomLeft:
                    shape = Qt::SizeBDiagCursor;
                    break;
                case CropHandle::top:
                case CropHandle::bottom:
                    shape = Qt::SizeVerCursor;
                    break;
                case CropHandle::left:
                case CropHandle::right:
                    shape = Qt::SizeHorCursor;
                    break;
                }
            }
        } else if (stage.contains(position)) {
            if (compareLayerShown())
                shape = Qt::SplitHCursor;
            else if (eyedropperSurfaceShown() || markupSurfaceShown())
                shape = Qt::CrossCursor;
            else if (editor_.zoomScale() > kPannableZoom || editor_.isActualSizeMode())
                shape = Qt::OpenHandCursor;
        }
    }
    if (cursor().shape() != shape) setCursor(shape);
}

void CanvasStageView::applyPinch(double magnification) {
    editor_.setIsActualSizeMode(false);
    editor_.setZoomScale(pinchZoom(magnification));
}

bool CanvasStageView::handleNativeGesture(QNativeGestureEvent* event) {
    switch (event->gestureType()) {
    case Qt::BeginNativeGesture:
        pinchMagnification_ = 1.0;
        return true;
    case Qt::ZoomNativeGesture: {
        if (!pinchMagnification_) pinchMagnification_ = 1.0;
        *pinchMagnification_ *= 1.0 + event->value();
        if (std::abs(*pinchMagnification_ - 1.0) >= 0.01) applyPinch(*pinchMagnification_);
        return true;
    }
    case Qt::EndNativeGesture:
        pinchMagnification_.reset();
        return true;
    default:
        return false;
    }
}

bool CanvasStageView::handleGesture(QGestureEvent* event) {
    auto* pinch = static_cast<QPinchGesture*>(event->gesture(Qt::PinchGesture));
    if (!pinch) return false;
    if (pinch->state() == Qt::GestureUpdated || pinch->state() == Qt::GestureFinished) {
        const double magnification = pinch->totalScaleFactor();
        if (std::abs(magnification - 1.0) >= 0.01) applyPinch(magnification);
    }
    event->accept(pinch);
    return true;
}

bool CanvasStageView::event(QEvent* event) {
    // Moving to a screen of another pixel ratio changes the device size of the photo.
    if (event->type() == QEvent::ScreenChangeInternal) invalidateDisplay();
    if (event->type() == QEvent::NativeGesture &&
        handleNativeGesture(static_cast<QNativeGestureEvent*>(event)))
        return true;
    if (event->type() == QEvent::Gesture && handleGesture(static_cast<QGestureEvent*>(event))) return true;
    return QWidget::event(event);
}

void CanvasStageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
    invalidateDisplay();
}
