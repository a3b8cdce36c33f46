#pragma once

#include "core/files/ImageExportFormat.h"

// What the export sheet asks for. `quality` is stored as entered and clamped into 0.1...1 when
// encoding; `lockAspectRatio` and `stripMetadata` are the sheet's own state (an encoded render
// never carries the source's metadata).
struct ImageExportOptions {
    ImageExportFormat format = ImageExportFormat::jpeg;
    double quality = 0.88;
    bool resizeEnabled = false;
    int targetWidth = 1920;
    int targetHeight = 1080;
    bool lockAspectRatio = true;
    bool stripMetadata = false;

    bool operator==(const ImageExportOptions&) const = default;
};
