#include "core/model/AnnotationTool.h"

QString symbolName(AnnotationTool tool) {
    switch (tool) {
    case AnnotationTool::select: return QStringLiteral("cursorarrow");
    case AnnotationTool::arrow: return QStringLiteral("arrow.up.right");
    case AnnotationTool::line: return QStringLiteral("line.diagonal");
    case AnnotationTool::rectangle: return QStringLiteral("rectangle");
    case AnnotationTool::filledRectangle: return QStringLiteral("rectangle.fill");
    case AnnotationTool::ellipse: return QStringLiteral("circle");
    case AnnotationTool::highlighter: return QStringLiteral("highlighter");
    case AnnotationTool::spotlight: return QStringLiteral("sun.max.fill");
    case AnnotationTool::magnifier: return QStringLiteral("magnifyingglass.circle.fill");
    case AnnotationTool::spotHeal: return QStringLiteral("bandage.fill");
    case AnnotationTool::freehand: return QStringLiteral("scribble.variable");
    case AnnotationTool::text: return QStringLiteral("textformat");
    case AnnotationTool::stepNumber: return QStringLiteral("1.circle.fill");
    case AnnotationTool::blurRedact: return QStringLiteral("drop.halffull");
    case AnnotationTool::pixelateRedact: return QStringLiteral("squareshape.split.3x3");
    }
    return {};
}
