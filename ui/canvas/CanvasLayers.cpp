#include "ui/canvas/CanvasLayers.h"

#include "ui/canvas/CanvasGeometry.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace canvaslayers {
namespace {

constexpr double kShadowOpacity = 0.45;
constexpr double kShadowBlurRadius = 18;
constexpr double kShadowOffset = 8;

QColor grey(double level) {
    return QColor::fromRgbF(float(level), float(level), float(level));
}

double gaussianCdf(double t) {
    return 0.5 * std::erfc(-t / std::sqrt(2.0));
}

// A rounded white label on translucent black, top-left corner at `at`.
QRectF labelRect(const QFontMetricsF& m, const QString& text, QPointF at) {
    return {at, QSizeF(m.horizontalAdvance(text) + 20, m.height() + 8)};
}

void paintLabel(QPainter& p, const QRectF& r, const QString& text) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, 0.65f));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
}

// A soft shadow for small shapes: a few widening, fading copies of the shape.
void paintSoftShadow(QPainter& p, const QPainterPath& shape, double opacity, double radius, QPointF offset) {
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = 4;
    for (int i = steps; i >= 1; --i) {
        const double grow = radius * i / steps;
        QPainterPathStroker stroker;
        stroker.setWidth(grow * 2);
        stroker.setJoinStyle(Qt::RoundJoin);
        const QPainterPath spread = stroker.createStroke(shape).united(shape);
        p.setBrush(QColor::fromRgbF(0, 0, 0, float(opacity / steps)));
        p.drawPath(spread.translated(offset));
    }
    p.restore();
}

} // namespace

void paintCheckerboard(QPainter& painter, const QRectF& area, QPointF origin, bool lightStyle,
                       double devicePixelRatio) {
    const double dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int square = std::max(1, int(std::lround(canvasgeometry::kCheckerSquare * dpr)));
    QImage texture(square * 2, square * 2, QImage::Format_RGB32);
    const QColor first = lightStyle ? grey(0.94) : grey(0.18);
    const QColor second = lightStyle ? grey(0.78) : grey(0.25);
    texture.fill(first);
    {
        QPainter t(&texture);
        t.fillRect(square, 0, square, square, second);
        t.fillRect(0, square, square, square, second);
    }
    // Squares are drawn in device pixels; the brush maps them back to points.
    QBrush brush(texture);
    brush.setTransform(QTransform::fromTranslate(origin.x(), origin.y()).scale(1 / dpr, 1 / dpr));
    painter.fillRect(area, brush);
}

void StageShadow::make(double dpr) {
    ratio_ = dpr;
    const double sigma = kShadowBlurRadius / 2 * dpr;
    padPixels_ = int(std::ceil(3 * sigma));
    const int p = padPixels_;
    const int side = 4 * p + 1;
    // A blurred box is the product of two blurred intervals: exact, and cheap to tabulate.
    std::vector<double> profile(size_t(side), 0.0);
    for (int i = 0; i < side; ++i) {
        const double c = i + 0.5;
        profile[size_t(i)] = gaussianCdf((c - p) / sigma) - gaussianCdf((c - (3 * p + 1)) / sigma);
    }
    tile_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(tile_.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const int a = int(std::lround(255 * kShadowOpacity * profile[size_t(x)] * profile[size_t(y)]));
            row[x] = qRgba(0, 0, 0, a);
        }
    }
}

void StageShadow::paint(QPainter& painter, const QRectF& stage, double devicePixelRatio) {
    const double dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    if (tile_.isNull() || ratio_ != dpr) make(dpr);
    const int p = padPixels_;
    const double pad = p / dpr;
    const QRectF outer = stage.translated(0, kShadowOffset).adjusted(-pad, -pad, pad, pad);

    // Per axis: the blurred near edge 1:1, the flat middle stretched, the far edge 1:1.
    struct Span {
        double target0, target1;
        int source0, source1;
    };
    auto spans = [&](double start, double length) {
        const double edge = std::min(2 * pad, length / 2);
        return std::array<Span, 3>{Span{start, start + edge, 0, 2 * p},
                                   Span{start + edge, start + length - edge, 2 * p, 2 * p + 1},
                                   Span{start + length - edge, start + length, 2 * p + 1, 4 * p + 1}};
    };
    const auto xs = spans(outer.left(), outer.width());
    const auto ys = spans(outer.top(), outer.height());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            if (i == 1 && j == 1) continue; // under the photo
            const QRectF target(xs[i].target0, ys[j].target0, xs[i].target1 - xs[i].target0,
                                ys[j].target1 - ys[j].target0);
            if (target.width() <= 0 || target.height() <= 0) continue;
            const QRectF source(xs[i].source0, ys[j].source0, xs[i].source1 - xs[i].source0,
                                ys[j].source1 - ys[j].source0);
            painter.drawImage(target, tile_, source);
        }
    }
    painter.restore();
}

void paintCropOverlay(QPainter& p, const QRectF& stage, const NormalizedCropRect& crop) {
    using namespace canvasgeometry;
    const QRectF r = cropRectOnStage(crop, stage.size()).translated(stage.topLeft());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath outside;
    outside.addRect(stage);
    QPainterPath inside;
    inside.addRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, 0.54f));
    p.drawPath(outside.subtracted(inside));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.45f), 0.8));
    for (int k = 1; k <= 2; ++k) {
        const double x = r.left() + r.width() * k / 3;
        const double y = r.top() + r.height() * k / 3;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(r);

    for (CropHandle handle : kCropHandles) {
        const QRectF h = cropHandleRect(handle, r.translated(-stage.topLeft())).translated(stage.topLeft());
        QPainterPath shape;
        shape.addRoundedRect(h, 2, 2);
        paintSoftShadow(p, shape, 0.45, 3, QPointF(0, 1));
        p.setBrush(Qt::white);
        p.setPen(QPen(theme::accent, 2));
        p.drawRoundedRect(h.adjusted(1, 1, -1, -1), 2, 2);
    }
    p.restore();
}

void paintCompareSplit(QPainter& p, const QRectF& stage, double splitX, const QRectF& visible,
                       const QString& before, const QString& after) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double top = std::max(stage.top(), visible.top());
    const double bottom = std::min(stage.bottom(), visible.bottom());

    // The line, with a soft dark edge so it reads on white skies too.
    p.setPen(QPen(QColor(0, 0, 0, 70), 4));
    p.drawLine(QPointF(splitX, top), QPointF(splitX, bottom));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(splitX, top), QPointF(splitX, bottom));

    const QPointF centre(splitX, (top + bottom) / 2);
    QPainterPath knob;
    knob.addEllipse(centre, 15, 15);
    paintSoftShadow(p, knob, 0.45, 5, QPointF(0, 1));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(knob);
    p.setFont(symbols::font(20));
    p.setPen(QColor(0x1c, 0x1d, 0x21));
    p.drawText(QRectF(centre.x() - 15, centre.y() - 15, 30, 30), Qt::AlignCenter,
               symbols::glyph(QStringLiteral("arrow.left.and.right")));

    QFont f = p.font();
    f = QFont();
    f.setPixelSize(theme::captionPixelSize);
    f.setWeight(QFont::Bold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(f);
    const QFontMetricsF m(f);
    const double labelTop = top + 12;
    const double left = std::max(stage.left(), visible.left()) + 12;
    const double right = std::min(stage.right(), visible.right()) - 12;
    const QRectF beforeRect = labelRect(m, before, QPointF(left, labelTop));
    QRectF afterRect = labelRect(m, after, QPointF(0, labelTop));
    afterRect.moveRight(right);
    // Each label shows only over its own side of the split.
    p.save();
    p.setClipRect(QRectF(QPointF(visible.left(), top), QPointF(splitX - 1, bottom)));
    paintLabel(p, beforeRect, before);
    p.restore();
    p.setClipRect(QRectF(QPointF(splitX + 1, top), QPointF(visible.right(), bottom)));
    paintLabel(p, afterRect, after);
    p.restore();
}

} // namespace canvaslayers
