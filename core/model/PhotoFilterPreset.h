#pragma once

#include "core/common/EnumSupport.h"

// The filter looks, in the order of the look chips. Display labels come from the string table.
enum class PhotoFilterPreset {
    original,
    vivid,
    cinematic,
    warmFilm,
    portra,
    coolMatte,
    moodyDark,
    dramatic,
    noirBW,
    silverBW,
    fade,
    crisp,
};

template <>
struct EnumCases<PhotoFilterPreset> {
    static constexpr std::array cases{
        std::pair{PhotoFilterPreset::original, "original"},
        std::pair{PhotoFilterPreset::vivid, "vivid"},
        std::pair{PhotoFilterPreset::cinematic, "cinematic"},
        std::pair{PhotoFilterPreset::warmFilm, "warmFilm"},
        std::pair{PhotoFilterPreset::portra, "portra"},
        std::pair{PhotoFilterPreset::coolMatte, "coolMatte"},
        std::pair{PhotoFilterPreset::moodyDark, "moodyDark"},
        std::pair{PhotoFilterPreset::dramatic, "dramatic"},
        std::pair{PhotoFilterPreset::noirBW, "noirBW"},
        std::pair{PhotoFilterPreset::silverBW, "silverBW"},
        std::pair{PhotoFilterPreset::fade, "fade"},
        std::pair{PhotoFilterPreset::crisp, "crisp"},
    };
};
