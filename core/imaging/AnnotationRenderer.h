#pragma once

#include "core/imaging/RetouchAndBarcodeService.h"
#include "core/model/AnnotationItem.h"
#include "core/model/RGBAColor.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QUuid>
#include <array>
#include <optional>

class QPainter;

// Burns markup into a bitmap: spot heals, then redactions, then the spotlight dimming, loupes,
// vector items and the selection outline, in that fixed order (so a redaction listed after an
// arrow still lies under it). Stateless; one instance per editor. Never changes its inputs.
class AnnotationRenderer {
public:
    // A new image of the same size with the items drawn on it, or `onto` itself for an empty list
    // (or an empty image). `selectedID` outlines the first item with that id, if any.
    QImage render(const QList<AnnotationItem>& annotations, const QImage& onto,
                  const std::optional<QUuid>& selectedID = std::nullopt) const;
    // The same for the output paths: nothing when an item could not be burnt in (a redaction
    // that could not be made would leave what it hides readable), where render() passes over it.
    std::optional<QImage> tryRender(const QList<AnnotationItem>& annotations, const QImage& onto,
                                    const std::optional<QUuid>& selectedID = std::nullopt) const;

    // The markup unit u of a width × height image: stroke widths, radii, fonts and shadows are
    // given for a 1000-pixel image and multiplied by it.
    static double scaleUnit(int width, int height);
    // The redaction strength actually applied: at least 0.2, at most 1.
    static double effectiveRedactStrength(double redactStrength);
    // Black on light label colours, white on dark ones.
    static QColor labelTextColor(const RGBAColor& labelColor);

    struct ArrowGeometry {
        double headLength = 0;
        QPointF shaftEnd;              // where the stroked shaft stops, short of the tip
        std::array<QPointF, 3> head{}; // tip first
    };
    // The arrow from `tail` to `tip` with stroke width `lineWidth` (pixels); nothing when the
    // two are 2 pixels apart or less.
    static std::optional<ArrowGeometry> arrowGeometry(QPointF tail, QPointF tip, double lineWidth);

private:
    // `complete` turns false when an item can't be drawn.
    QImage draw(const QList<AnnotationItem>& annotations, const QImage& onto,
                const std::optional<QUuid>& selectedID, bool& complete) const;
    QImage applyRedactions(const QList<AnnotationItem>& redactions, QImage image, bool& complete) const;
    void drawSpotlights(const QList<AnnotationItem>& spotlights, QPainter& context, int width, int height,
                        double scale) const;
    void drawVectorAnnotation(const AnnotationItem& item, QPainter& context, int width, int height,
                              double scale) const;
    void drawSelectionOutline(const AnnotationItem& item, QPainter& context, int width, int height,
                              double scale) const;

    RetouchAndBarcodeService retouchService;
};
