#include "ui/browsing/CompareImageView.h"

#include "editor/EditorViewModel.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace {
constexpr double kPanThreshold = 1.01;
// Fitted photos keep a little air from the pane's edges and from each other.
constexpr int kInset = 12;
const QColor kBackdrop{0x16, 0x17, 0x1a};
} // namespace

CompareImageView::CompareImageView(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
    connect(&editor_, &EditorViewModel::zoomScaleChanged, this, [this] {
        rebuildDisplay();
        updateCursor();
        update();
    });
    connect(&editor_, &EditorViewModel::panOffsetChanged, this, qOverload<>(&QWidget::update));
    updateCursor();
}

void CompareImageView::setImage(const std::optional<QImage>& image) {
    const QImage next = image.value_or(QImage());
    if (next.cacheKey() == image_.cacheKey() && next.isNull() == image_.isNull()) return;
    image_ = next;
    rebuildDisplay();
    update();
}

QSizeF CompareImageView::fittedSize() const {
    const QSizeF room(width() - 2 * kInset, height() - 2 * kInset);
    if (image_.isNull() || room.isEmpty()) return {};
    return QSizeF(image_.size()).scaled(room, Qt::KeepAspectRatio);
}

QRectF CompareImageView::imageRect() const {
    const QSizeF fitted = fittedSize();
    if (fitted.isEmpty()) return {};
    const QSizeF shown = fitted * editor_.zoomScale();
    const QSizeF pan = editor_.panOffset();
    const QPointF centre = QRectF(rect()).center() + QPointF(pan.width(), pan.height());
    return QRectF(centre.x() - shown.width() / 2, centre.y() - shown.height() / 2, shown.width(),
                  shown.height());
}

void CompareImageView::rebuildDisplay() {
    const QSizeF shown = fittedSize() * editor_.zoomScale();
    if (shown.isEmpty()) {
        displayRatio_ = devicePixelRatioF();
        display_ = QPixmap();
        displayKey_ = 0;
        return;
    }
    const qreal dpr = devicePixelRatioF();
    displayRatio_ = dpr;
    // Never more pixels than the image has: beyond that the paint stretches the bitmap.
    QSize pixels(static_cast<int>(std::lround(shown.width() * dpr)),
                 static_cast<int>(std::lround(shown.height() * dpr)));
    if (pixels.width() >= image_.width() || pixels.height() >= image_.height()) pixels = image_.size();
    if (displayKey_ == image_.cacheKey() && displayPixels_ == pixels && !display_.isNull()) return;
    display_ = QPixmap::fromImage(
        pixels == image_.size() ? image_
                                : image_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    displayKey_ = image_.cacheKey();
    displayPixels_ = pixels;
}

void CompareImageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rebuildDisplay();
}

void CompareImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackdrop);
    if (display_.isNull()) {
        painter.setFont(symbols::font(40));
        painter.setPen(theme::hairline.lighter(130));
        painter.drawText(rect(), Qt::AlignCenter, symbols::glyph(QStringLiteral("photo")));
        return;
    }
    // Moved to a screen of another pixel ratio: the bitmap for it is made after this paint.
    if (!qFuzzyCompare(displayRatio_, devicePixelRatioF()))
        QTimer::singleShot(0, this, [this] {
            rebuildDisplay();
            update();
        });
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(imageRect(), display_, QRectF(display_.rect()));
}

void CompareImageView::updateCursor() {
    setCursor(editor_.zoomScale() > kPanThreshold ? (dragStart_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor)
                                                  : Qt::ArrowCursor);
}

void CompareImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragStart_ = event->position();
    updateCursor();
}

void CompareImageView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragStart_ || editor_.zoomScale() <= kPanThreshold) return;
    const QPointF moved = event->position() - *dragStart_;
    editor_.updatePan(QSizeF(moved.x(), moved.y()));
}

void CompareImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragStart_) return QWidget::mouseReleaseEvent(event);
    dragStart_.reset();
    editor_.endPan();
    updateCursor();
}
