#pragma once

#include "core/common/EnumSupport.h"

#include <QString>

// The formats of the export and batch sheets, in the pickers' order.
enum class ImageExportFormat { jpeg, png, heic, avif, tiff, pdf };

template <> struct EnumCases<ImageExportFormat> {
    static constexpr std::array cases{
        std::pair{ImageExportFormat::jpeg, "jpeg"}, std::pair{ImageExportFormat::png, "png"},
        std::pair{ImageExportFormat::heic, "heic"}, std::pair{ImageExportFormat::avif, "avif"},
        std::pair{ImageExportFormat::tiff, "tiff"}, std::pair{ImageExportFormat::pdf, "pdf"},
    };
};

// "JPEG (.jpg)".
QString displayName(ImageExportFormat format);
QString fileExtension(ImageExportFormat format);
QString utTypeIdentifier(ImageExportFormat format);
// The lossy formats, whose sheets show the quality slider.
bool supportsQuality(ImageExportFormat format);
