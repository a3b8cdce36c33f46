#pragma once

#include "core/common/EnumSupport.h"

// How the background studio makes its foreground mask. Display labels come from the string table.
enum class BackgroundCutoutEngine { autoAI, portraitAI, colorKeyMagic };

template <>
struct EnumCases<BackgroundCutoutEngine> {
    static constexpr std::array cases{
        std::pair{BackgroundCutoutEngine::autoAI, "autoAI"},
        std::pair{BackgroundCutoutEngine::portraitAI, "portraitAI"},
        std::pair{BackgroundCutoutEngine::colorKeyMagic, "colorKeyMagic"},
    };
};
