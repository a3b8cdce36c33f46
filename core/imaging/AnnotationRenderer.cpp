#include "core/imaging/AnnotationRenderer.h"

#include "core/imaging/filters/ClampedGaussianBlur.h"
#include "core/imaging/filters/DropShadow.h"
#include "core/imaging/filters/Pixellate.h"
#include "core/imaging/filters/RoundStroke.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

bool isFinite(const NormalizedPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Items with coordinates that are not numbers cannot be placed anywhere; they draw nothing.
bool isDrawable(const AnnotationItem& item) {
    if (!isFinite(item.start) || !isFinite(item.end)) return false;
    for (const auto& p : item.points)
        if (!isFinite(p)) return false;
    return std::isfinite(item.lineWidth);
}

bool isRedaction(AnnotationTool tool) {
    return tool == AnnotationTool::blurRedact || tool == AnnotationTool::pixelateRedact;
}

bool isVector(AnnotationTool tool) {
    switch (tool) {
    case AnnotationTool::select:
    case AnnotationTool::blurRedact:
    case AnnotationTool::pixelateRedact:
    case AnnotationTool::spotlight:
    case AnnotationTool::magnifier:
    case AnnotationTool::spotHeal:
        return false;
    default:
        return true;
    }
}

QList<AnnotationItem> itemsWhere(const QList<AnnotationItem>& items, auto predicate) {
    QList<AnnotationItem> picked;
    for (const auto& item : items)
        if (predicate(item.tool) && isDrawable(item)) picked.append(item);
    return picked;
}

QRectF pixelBox(const QRectF& normalized, int width, int height) {
    return QRectF(normalized.x() * width, normalized.y() * height, normalized.width() * width,
                  normalized.height() * height);
}

QFont systemFont(double pixelSize, QFont::Weight weight, const QPaintDevice* device) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Point sizes keep the fraction that pixel sizes would round away.
    const int dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    font.setPointSizeF(std::max(pixelSize, 1.0) * 72.0 / dpi);
    font.setWeight(weight);
    return font;
}

constexpr auto kTextFlags = Qt::AlignLeft | Qt::AlignTop;

// Lines and pen strokes: round caps and joins laid straight into the canvas bitmap, so a long
// scribble costs the ink it lays (redrawn on every pointer event while drawing) and a pen held
// still leaves a dot. The painter draws into the same pixels immediately, so the two interleave
// in list order; any other device falls back to the painter's own stroking.
void strokeOnCanvas(QPainter& context, const QList<QPointF>& points, double width, const QColor& color) {
    auto* canvas = dynamic_cast<QImage*>(context.device());
    if (canvas && canvas->format() == QImage::Format_RGBA8888_Premultiplied &&
        context.transform().isIdentity() && !context.hasClipping()) {
        strokeRoundPolyline(*canvas, points, width, color);
        return;
    }
    context.drawPolyline(QPolygonF(points));
}

} // namespace

double AnnotationRenderer::scaleUnit(int width, int height) {
    return std::max(std::max(width, height) / 1000.0, 0.5);
}

double AnnotationRenderer::effectiveRedactStrength(double redactStrength) {
    // A strength that is not a number hides fully rather than not at all.
    return redactStrength < 1 ? std::max(redactStrength, 0.2) : 1.0;
}

QColor AnnotationRenderer::labelTextColor(const RGBAColor& labelColor) {
    const double luma = 0.299 * labelColor.r + 0.587 * labelColor.g + 0.114 * labelColor.b;
    return luma > 0.72 ? Qt::black : Qt::white;
}

std::optional<AnnotationRenderer::ArrowGeometry> AnnotationRenderer::arrowGeometry(QPointF tail, QPointF tip,
                                                                                   double lineWidth) {
    const double length = std::hypot(tip.x() - tail.x(), tip.y() - tail.y());
    if (!(length > 2)) return std::nullopt;
    const double theta = std::atan2(tip.y() - tail.y(), tip.x() - tail.x());
    const double h = std::max(std::min(0.45 * length, 5.2 * lineWidth), 3.8 * lineWidth);
    const double alpha = std::numbers::pi / 6.2;
    ArrowGeometry arrow;
    arrow.headLength = h;
    arrow.shaftEnd = tip - 0.65 * h * QPointF(std::cos(theta), std::sin(theta));
    arrow.head = {tip, tip - h * QPointF(std::cos(theta - alpha), std::sin(theta - alpha)),
                  tip - h * QPointF(std::cos(theta + alpha), std::sin(theta + alpha))};
    return arrow;
}

QImage AnnotationRenderer::render(const QList<AnnotationItem>& annotations, const QImage& onto,
                                  const std::optional<QUuid>& selectedID) const {
    bool complete = true;
    return draw(annotations, onto, selectedID, complete);
}

std::optional<QImage> AnnotationRenderer::tryRender(const QList<AnnotationItem>& annotations, const QImage& onto,
                                                    const std::optional<QUuid>& selectedID) const {
    bool complete = true;
    QImage drawn = draw(annotations, onto, selectedID, complete);
    if (!complete || (drawn.isNull() && !onto.isNull())) return std::nullopt;
    return drawn;
}

QImage AnnotationRenderer::draw(const QList<AnnotationItem>& annotations, const QImage& onto,
                                const std::optional<QUuid>& selectedID, bool& complete) const {
    if (annotations.isEmpty() || onto.isNull()) return onto;
    const int width = onto.width();
    const int height = onto.height();
    const double u = scaleUnit(width, height);

    // 1–2: pixel passes. Every heal and redaction is done before any drawing, whatever the order
    // of the list.
    QImage base = onto.format() == QImage::Format_RGBA8888_Premultiplied
                      ? onto
                      : onto.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const auto heals = itemsWhere(annotations, [](AnnotationTool t) { return t == AnnotationTool::spotHeal; });
    if (!heals.isEmpty()) base = retouchService.applySpotHeals(heals, base);
    const auto redactions = itemsWhere(annotations, isRedaction);
    if (!redactions.isEmpty()) base = applyRedactions(redactions, std::move(base), complete);

    // 3: the canvas. The loupes must read the healed and redacted base without any markup; they
    // read only their sample squares, so those are kept aside and the canvas takes the base
    // over: when the pixel passes made it, no further copy of the photo is made.
    const auto magnifiers = itemsWhere(annotations, [](AnnotationTool t) { return t == AnnotationTool::magnifier; });
    QList<QImage> loupeSamples;
    for (const auto& loupe : magnifiers)
        loupeSamples.append(base.copy(RetouchAndBarcodeService::magnifierSampleRect(loupe, width, height, u)));
    QImage canvas = std::move(base);
    {
        QPainter context(&canvas);
        if (!context.isActive()) {
            complete = false;
            return canvas;
        }
        context.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);

        // 4: spotlight dimming.
        const auto spotlights =
            itemsWhere(annotations, [](AnnotationTool t) { return t == AnnotationTool::spotlight; });
        if (!spotlights.isEmpty()) drawSpotlights(spotlights, context, width, height, u);

        // 5: loupes, drawn over the dimming but showing the undimmed base.
        for (qsizetype i = 0; i < magnifiers.size(); ++i)
            retouchService.drawMagnifierLoupeFromSample(magnifiers[i], loupeSamples[i], context, width, height, u);

        // 6: vector items in list order.
        for (const auto& item : annotations)
            if (isVector(item.tool) && isDrawable(item)) drawVectorAnnotation(item, context, width, height, u);

        // 7: the selection outline of the first item with the selected id.
        if (selectedID) {
            const auto it = std::find_if(annotations.begin(), annotations.end(),
                                         [&](const AnnotationItem& item) { return item.id == *selectedID; });
            if (it != annotations.end() && isDrawable(*it)) drawSelectionOutline(*it, context, width, height, u);
        }
    }
    return canvas;
}

QImage AnnotationRenderer::applyRedactions(const QList<AnnotationItem>& redactions, QImage image,
                                           bool& complete) const {
    // Taken by value: when the caller hands over the healed image, it is redacted in place.
    QImage current = std::move(image);
    const QRectF extent(0, 0, current.width(), current.height());
    const double m = std::min(extent.width(), extent.height());
    for (const auto& item : redactions) {
        const QRectF b = item.normalizedBoundingBox();
        if (!(b.width() > 0.002 && b.height() > 0.002)) continue;
        // The box on the y-up plane, rounded outward, then back to rows top to bottom.
        const QRect plane = QRectF(b.x() * extent.width(), (1 - b.y() - b.height()) * extent.height(),
                                   b.width() * extent.width(), b.height() * extent.height())
                                .intersected(extent)
                                .toAlignedRect();
        if (plane.width() < 2 || plane.height() < 2) continue;
        const QRect region(plane.x(), current.height() - plane.y() - plane.height(), plane.width(), plane.height());

        const double s = effectiveRedactStrength(item.redactStrength);
        std::optional<QImage> hidden;
        if (item.tool == AnnotationTool::blurRedact)
            hidden = clampedGaussianBlurRegion(current, std::max(s * m * 0.028, 8.0), region);
        else
            hidden = pixellatedRegion(current, std::max(s * m * 0.03, 10.0),
                                      QPointF(region.x() + region.width() / 2.0, region.y() + region.height() / 2.0),
                                      region);
        if (!hidden) {
            complete = false;
            continue;
        }
        // The first write detaches from an image the caller still holds; without memory for
        // that, redacting stops with what is done so far.
        if (!current.isDetached()) {
            QImage own = current.copy();
            if (own.isNull()) {
                complete = false;
                return current;
            }
            current = std::move(own);
        }
        // The box is replaced, not laid over: where the photo is partly transparent, a
        // see-through blur over the sharp original would leave the original readable.
        for (int y = 0; y < hidden->height(); ++y)
            std::memcpy(current.scanLine(region.top() + y) + region.left() * 4, hidden->constScanLine(y),
                        static_cast<std::size_t>(hidden->width()) * 4);
    }
    return current;
}

void AnnotationRenderer::drawSpotlights(const QList<AnnotationItem>& spotlights, QPainter& context, int width,
                                        int height, double scale) const {
    QList<QRectF> holes;
    for (const auto& item : spotlights) {
        const QRectF box = pixelBox(item.normalizedBoundingBox(), width, height);
        if (box.width() >= 4 && box.height() >= 4) holes.append(box);
    }
    if (holes.isEmpty()) return;
    const double radius = 10 * scale;
    const QColor dim = QColor::fromRgbF(0, 0, 0, 0.56f);
    // Anti-aliased even-odd filling is needed only where the holes are; the rest of the image is
    // dimmed by plain rectangles, which are many times faster on a whole photo.
    QRectF around;
    for (const auto& box : holes) around = around.united(box);
    // Cut to the image before going to whole pixels: hostile boxes reach the ends of int, where the
    // one-pixel margin would overflow.
    const QRectF visible = around.intersected(QRectF(0, 0, width, height));
    const QRect bounds = visible.isEmpty()
                             ? QRect()
                             : visible.toAlignedRect().adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, width, height));
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(bounds);
    for (const auto& box : holes) path.addRoundedRect(box, radius, radius);
    context.save();
    const QRect image(0, 0, width, height);
    if (bounds.isEmpty()) {
        context.fillRect(image, dim);
    } else {
        context.fillRect(QRect(0, 0, width, bounds.top()), dim);
        context.fillRect(QRect(0, bounds.bottom() + 1, width, height - bounds.bottom() - 1), dim);
        context.fillRect(QRect(0, bounds.top(), bounds.left(), bounds.height()), dim);
        context.fillRect(QRect(bounds.right() + 1, bounds.top(), width - bounds.right() - 1, bounds.height()), dim);
        context.fillPath(path, dim);
    }
    QPen outline(QColor::fromRgbF(1, 1, 1, 0.85f), std::max(2 * scale, 1.5));
    context.setPen(outline);
    context.setBrush(Qt::NoBrush);
    for (const auto& box : holes) context.drawRoundedRect(box, radius, radius);
    context.restore();
}

void AnnotationRenderer::drawVectorAnnotation(const AnnotationItem& item, QPainter& context, int width, int height,
                                              double scale) const {
    const QPointF p1(item.start.x * width, item.start.y * height);
    const QPointF p2(item.end.x * width, item.end.y * height);
    // Wider than a few images is no different on the picture, and keeps fonts and paths sane.
    const double lw = std::min(std::max(scale * item.lineWidth, 2.0), 4.0 * std::max(width, height));
    const QRectF box(std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y()), std::abs(p2.x() - p1.x()),
                     std::abs(p2.y() - p1.y()));
    const QColor color = item.color.cgColor();
    QPen stroke(color, lw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    context.save();
    context.setPen(stroke);
    context.setBrush(Qt::NoBrush);
    switch (item.tool) {
    case AnnotationTool::arrow:
        if (const auto arrow = arrowGeometry(p1, p2, lw)) {
            context.drawLine(p1, arrow->shaftEnd);
            QPainterPath head;
            head.moveTo(arrow->head[0]);
            head.lineTo(arrow->head[1]);
            head.lineTo(arrow->head[2]);
            head.closeSubpath();
            context.fillPath(head, color);
        }
        break;
    case AnnotationTool::line:
        strokeOnCanvas(context, {p1, p2}, lw, color);
        break;
    case AnnotationTool::rectangle:
        context.drawRoundedRect(box, 1.2 * lw, 1.2 * lw);
        break;
    case AnnotationTool::filledRectangle: {
        QPainterPath rounded;
        rounded.addRoundedRect(box, 1.2 * lw, 1.2 * lw);
        context.fillPath(rounded, color);
        break;
    }
    case AnnotationTool::ellipse:
        context.drawEllipse(box);
        break;
    case AnnotationTool::highlighter: {
        QColor marker = color;
        marker.setAlphaF(0.36f);
        context.fillRect(box, marker);
        break;
    }
    case AnnotationTool::freehand:
        if (item.points.size() >= 2) {
            QList<QPointF> line;
            line.reserve(item.points.size());
            for (const auto& p : item.points)
                line.append(QPointF(p.x * width, p.y * height));
            strokeOnCanvas(context, line, lw, color);
        }
        break;
    case AnnotationTool::text: {
        const QString text = item.text.trimmed();
        if (text.isEmpty()) break;
        const double f = std::max(scale * item.lineWidth * 4.6, 16.0);
        const QFont font = systemFont(std::min(f, 4.0 * std::max(width, height)), QFont::DemiBold, context.device());
        const QFontMetricsF metrics(font, context.device());
        const QRectF measured = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), kTextFlags, text);
        const double px = 0.45 * f, py = 0.24 * f;
        const QRectF label(p1.x(), p1.y(), measured.width() + 2 * px, measured.height() + 2 * py);
        QPainterPath rounded;
        rounded.addRoundedRect(label, 0.35 * f, 0.35 * f);
        drawDropShadow(context, rounded, QPointF(0, 2 * scale), 6 * scale, QColor::fromRgbF(0, 0, 0, 0.4f));
        context.fillPath(rounded, color);
        context.setFont(font);
        context.setPen(labelTextColor(item.color));
        context.drawText(QRectF(p1.x() + px, p1.y() + py, measured.width(), measured.height()), kTextFlags, text);
        break;
    }
    case AnnotationTool::stepNumber: {
        const double r = std::max(20 * scale, 14.0);
        QPainterPath disc;
        disc.addEllipse(p1, r, r);
        drawDropShadow(context, disc, QPointF(0, 2 * scale), 6 * scale, QColor::fromRgbF(0, 0, 0, 0.45f));
        context.fillPath(disc, color);
        context.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.95f), std::max(2.6 * scale, 2.0)));
        context.drawEllipse(p1, r, r);
        const QString number = QString::number(item.stepIndex);
        const QFont font = systemFont(1.1 * r, QFont::Bold, context.device());
        const QFontMetricsF metrics(font, context.device());
        const QSizeF size = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), kTextFlags, number).size();
        context.setFont(font);
        context.setPen(Qt::white);
        context.drawText(QRectF(p1 - QPointF(size.width() / 2, size.height() / 2), size), kTextFlags, number);
        break;
    }
    default:
        break;
    }
    context.restore();
}

void AnnotationRenderer::drawSelectionOutline(const AnnotationItem& item, QPainter& context, int width, int height,
                                              double scale) const {
    const double grow = 6 * scale;
    const QRectF box = pixelBox(item.normalizedBoundingBox(), width, height).adjusted(-grow, -grow, grow, grow);
    const double lineWidth = std::max(2.5 * scale, 2.0);
    QPen pen(QColor::fromRgbF(0.22f, 0.62f, 1.0f, 0.95f), lineWidth, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    // Dash lengths are counted in line widths.
    pen.setDashPattern({6 * scale / lineWidth, 4 * scale / lineWidth});
    pen.setDashOffset(0);
    context.save();
    context.setPen(pen);
    context.setBrush(Qt::NoBrush);
    context.drawRect(box);
    context.restore();
}
