#pragma once

#include "core/common/EnumSupport.h"

// How the workspace shows the folder.
enum class WorkspaceViewMode { single, grid, sideBySide };
template <> struct EnumCases<WorkspaceViewMode> {
    static constexpr std::array cases{
        std::pair{WorkspaceViewMode::single, "single"},
        std::pair{WorkspaceViewMode::grid, "grid"},
        std::pair{WorkspaceViewMode::sideBySide, "sideBySide"},
    };
};

// The inspector's tabs, in their order.
enum class InspectorTab { adjust, annotate, aiColor, studio, info };
template <> struct EnumCases<InspectorTab> {
    static constexpr std::array cases{
        std::pair{InspectorTab::adjust, "adjust"},   std::pair{InspectorTab::annotate, "annotate"},
        std::pair{InspectorTab::aiColor, "aiColor"}, std::pair{InspectorTab::studio, "studio"},
        std::pair{InspectorTab::info, "info"},
    };
};

// What lies behind the image on the canvas.
enum class CanvasBackdrop { dark, checkerboard, light };
template <> struct EnumCases<CanvasBackdrop> {
    static constexpr std::array cases{
        std::pair{CanvasBackdrop::dark, "dark"},
        std::pair{CanvasBackdrop::checkerboard, "checkerboard"},
        std::pair{CanvasBackdrop::light, "light"},
    };
};

// What a click of the eyedropper is for.
enum class EyedropperPurpose { sampleColor, pickBackgroundKeyColor };
template <> struct EnumCases<EyedropperPurpose> {
    static constexpr std::array cases{
        std::pair{EyedropperPurpose::sampleColor, "sampleColor"},
        std::pair{EyedropperPurpose::pickBackgroundKeyColor, "pickBackgroundKeyColor"},
    };
};
