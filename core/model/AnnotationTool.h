#pragma once

#include "core/common/EnumSupport.h"

#include <QString>

// The markup tools, in the order of the inspector's tool grid. `select` is an interaction mode
// and never appears in a stored item. Display labels come from the string table.
enum class AnnotationTool {
    select,
    arrow,
    line,
    rectangle,
    filledRectangle,
    ellipse,
    highlighter,
    spotlight,
    magnifier,
    spotHeal,
    freehand,
    text,
    stepNumber,
    blurRedact,
    pixelateRedact,
};

template <>
struct EnumCases<AnnotationTool> {
    static constexpr std::array cases{
        std::pair{AnnotationTool::select, "select"},
        std::pair{AnnotationTool::arrow, "arrow"},
        std::pair{AnnotationTool::line, "line"},
        std::pair{AnnotationTool::rectangle, "rectangle"},
        std::pair{AnnotationTool::filledRectangle, "filledRectangle"},
        std::pair{AnnotationTool::ellipse, "ellipse"},
        std::pair{AnnotationTool::highlighter, "highlighter"},
        std::pair{AnnotationTool::spotlight, "spotlight"},
        std::pair{AnnotationTool::magnifier, "magnifier"},
        std::pair{AnnotationTool::spotHeal, "spotHeal"},
        std::pair{AnnotationTool::freehand, "freehand"},
        std::pair{AnnotationTool::text, "text"},
        std::pair{AnnotationTool::stepNumber, "stepNumber"},
        std::pair{AnnotationTool::blurRedact, "blurRedact"},
        std::pair{AnnotationTool::pixelateRedact, "pixelateRedact"},
    };
};

// The system icon name of the tool's button (the user interface maps it to an icon).
QString symbolName(AnnotationTool tool);
