#pragma once

#include "core/model/AnnotationTool.h"
#include "core/model/JsonDecoding.h"
#include "core/model/NormalizedPoint.h"
#include "core/model/RGBAColor.h"

#include <QJsonObject>
#include <QList>
#include <QRectF>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <optional>

// One markup element, in unit image coordinates. Build it with designated initializers; `tool`,
// `start` and `end` are the fields every caller should give, the rest have their defaults:
//
//     AnnotationItem{.tool = AnnotationTool::text, .start = p, .end = p, .color = c, .text = t}
//
// Every default-constructed item gets a fresh random id; copies keep it. (Each member has an
// explicit initializer so that designated initializers may leave any of them out silently.)
struct AnnotationItem {
    QUuid id = QUuid::createUuid();
    AnnotationTool tool = AnnotationTool::arrow;
    NormalizedPoint start{};
    NormalizedPoint end{};      // equals start for text and step badges
    QList<NormalizedPoint> points{}; // the freehand path in drawing order; empty for other tools
    RGBAColor color = RGBAColor::red;
    double lineWidth = 5;       // reference units; also the text size of text items
    QString text{};
    std::int64_t stepIndex = 1;
    double redactStrength = 0.65; // meaningful 0.2...1, limited when drawn

    bool operator==(const AnnotationItem&) const = default;

    // The item's extent in unit coordinates (x, y, width, height); at least 0.02 on each side.
    QRectF normalizedBoundingBox() const;
    // Whether a point touches the item: its box grown by 0.02 on every side, lower edges
    // inclusive and upper edges exclusive. A box test for every tool.
    bool hitTest(NormalizedPoint point) const;
    // A copy moved by (dx, dy) with the same id; each point is limited to 0...1 on its own, so an
    // item pushed against an edge is squashed rather than stopped.
    AnnotationItem translated(double dx, double dy) const;

    QJsonObject toJson() const;
    static std::optional<AnnotationItem> fromJson(const QJsonValue& value, JsonDecodeError* error = nullptr,
                                                  const QString& path = {});
};

// The number of user-perceived characters (grapheme clusters) of a text.
qsizetype perceivedCharacterCount(const QString& text);
