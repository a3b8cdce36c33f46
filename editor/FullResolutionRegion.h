#pragma once

#include <QImage>
#include <QRectF>
#include <QtGlobal>
#include <optional>

// Part of the shown image rendered from the full-size source, for a canvas that shows the photo
// at more device pixels than the preview has. `unitRect` is the part of the shown image it
// covers, in unit coordinates (the same ones markup, the crop and the eyedropper use), so the
// canvas draws `image` over exactly that part of the preview, however the view is zoomed.
struct FullResolutionRegion {
    QImage image;
    QRectF unitRect;
    // Which request made it; a new result has a new generation.
    quint64 generation = 0;
    // The preview it belongs to (its cache key): a change of the edit makes it stale.
    qint64 previewKey = 0;
    bool operator==(const FullResolutionRegion& other) const {
        return generation == other.generation && previewKey == other.previewKey;
    }
};
using OptionalRegion = std::optional<FullResolutionRegion>;
