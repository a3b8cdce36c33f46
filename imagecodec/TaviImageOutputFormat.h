#pragma once

#include "core/common/EnumSupport.h"

#include <QString>

// The codec library's output formats, in the order the pickers list them.
enum class TaviImageOutputFormat { png, jpeg, heic, tiff, pdf };

template <> struct EnumCases<TaviImageOutputFormat> {
    static constexpr std::array cases{
        std::pair{TaviImageOutputFormat::png, "png"},   std::pair{TaviImageOutputFormat::jpeg, "jpeg"},
        std::pair{TaviImageOutputFormat::heic, "heic"}, std::pair{TaviImageOutputFormat::tiff, "tiff"},
        std::pair{TaviImageOutputFormat::pdf, "pdf"},
    };
};

QString fileExtension(TaviImageOutputFormat format);
// The raw value upper-cased ("HEIC").
QString displayName(TaviImageOutputFormat format);
// The uniform type identifier handed to the image I/O layer ("public.jpeg").
QString utTypeIdentifier(TaviImageOutputFormat format);
bool supportsLossyQuality(TaviImageOutputFormat format);
