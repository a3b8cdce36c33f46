#pragma once

#include "core/common/EnumSupport.h"

// Where the watermark text goes. Display labels come from the string table.
enum class WatermarkPosition { bottomRight, bottomLeft, topRight, topLeft, center, tiledDiagonal };

template <>
struct EnumCases<WatermarkPosition> {
    static constexpr std::array cases{
        std::pair{WatermarkPosition::bottomRight, "bottomRight"},
        std::pair{WatermarkPosition::bottomLeft, "bottomLeft"},
        std::pair{WatermarkPosition::topRight, "topRight"},
        std::pair{WatermarkPosition::topLeft, "topLeft"},
        std::pair{WatermarkPosition::center, "center"},
        std::pair{WatermarkPosition::tiledDiagonal, "tiledDiagonal"},
    };
};
