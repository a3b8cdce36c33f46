#include "core/model/AnnotationItem.h"

#include <QJsonArray>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace {

constexpr double minimumExtent = 0.02;
constexpr double hitSlop = 0.02;
constexpr double textBoxHeight = 0.06;
constexpr double textWidthPerCharacter = 0.015;
constexpr double textMinimumWidth = 0.08;
constexpr double textMaximumWidth = 0.45;
constexpr double stepBadgeSide = 0.06;

double clampUnit(double v) {
    if (std::isnan(v)) return 0;
    return std::clamp(v, 0.0, 1.0);
}

NormalizedPoint moved(NormalizedPoint p, double dx, double dy) {
    return {clampUnit(p.x + dx), clampUnit(p.y + dy)};
}

} // namespace

qsizetype perceivedCharacterCount(const QString& text) {
    if (text.isEmpty()) return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0) ++count;
    return count;
}

QRectF AnnotationItem::normalizedBoundingBox() const {
    if (tool == AnnotationTool::text) {
        const auto characters = std::max<qsizetype>(perceivedCharacterCount(text), 3);
        const double width = std::max(std::min(double(characters) * textWidthPerCharacter, textMaximumWidth),
                                      textMinimumWidth);
        return {start.x, start.y, width, textBoxHeight};
    }
    if (tool == AnnotationTool::stepNumber) {
        // Shifted to centre on start, but never past the top-left edge, and never shrunk.
        return {std::max(start.x - stepBadgeSide / 2, 0.0), std::max(start.y - stepBadgeSide / 2, 0.0),
                stepBadgeSide, stepBadgeSide};
    }
    if (points.isEmpty()) {
        return {std::min(start.x, end.x), std::min(start.y, end.y),
                std::max(std::abs(end.x - start.x), minimumExtent), std::max(std::abs(end.y - start.y), minimumExtent)};
    }
    double minX = points.front().x, maxX = minX, minY = points.front().y, maxY = minY;
    for (const auto& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return {minX, minY, std::max(maxX - minX, minimumExtent), std::max(maxY - minY, minimumExtent)};
}

bool AnnotationItem::hitTest(NormalizedPoint point) const {
    const QRectF box = normalizedBoundingBox();
    const double minX = box.x() - hitSlop;
    const double minY = box.y() - hitSlop;
    const double maxX = minX + (box.width() + 2 * hitSlop);
    const double maxY = minY + (box.height() + 2 * hitSlop);
    return minX <= point.x && point.x < maxX && minY <= point.y && point.y < maxY;
}

AnnotationItem AnnotationItem::translated(double dx, double dy) const {
    // An offset that is not a number would turn every point into one; it moves nothing instead.
    if (!std::isfinite(dx)) dx = 0;
    if (!std::isfinite(dy)) dy = 0;
    AnnotationItem copy = *this;
    copy.start = moved(start, dx, dy);
    copy.end = moved(end, dx, dy);
    for (auto& p : copy.points) p = moved(p, dx, dy);
    return copy;
}

QJsonObject AnnotationItem::toJson() const {
    QJsonArray pointArray;
    for (const auto& p : points) pointArray.append(p.toJson());
    // The standard 36-character upper-case form, as every other UUID this system writes.
    return {
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("tool"), rawValue(tool)},
        {QStringLiteral("start"), start.toJson()},
        {QStringLiteral("end"), end.toJson()},
        {QStringLiteral("points"), pointArray},
        {QStringLiteral("color"), color.toJson()},
        {QStringLiteral("lineWidth"), lineWidth},
        {QStringLiteral("text"), text},
        {QStringLiteral("stepIndex"), qint64(stepIndex)},
        {QStringLiteral("redactStrength"), redactStrength},
    };
}

std::optional<AnnotationItem> AnnotationItem::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                       const QString& path) {
    JsonObjectReader r(value, path, error);
    AnnotationItem item;
    item.id = r.uuid(u"id");
    item.tool = r.enumeration<AnnotationTool>(u"tool");
    item.start = r.object<NormalizedPoint>(u"start");
    item.end = r.object<NormalizedPoint>(u"end");
    item.points = r.list<NormalizedPoint>(u"points");
    item.color = r.object<RGBAColor>(u"color");
    item.lineWidth = r.number(u"lineWidth");
    item.text = r.string(u"text");
    item.stepIndex = r.integer(u"stepIndex");
    item.redactStrength = r.number(u"redactStrength");
    if (!r.ok()) return std::nullopt;
    return item;
}
