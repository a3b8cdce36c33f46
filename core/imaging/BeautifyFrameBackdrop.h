#pragma once

#include "core/imaging/FrameEdgeCoverage.h"
#include "core/model/BeautifySettings.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>

// Everything of the screenshot frame that doesn't depend on the photo's pixels: the canvas with
// the wallpaper, the card's shadow, its dark ring and window bar drawn, and where the photo goes.
// It depends on the settings and the photo's size alone, so a caller that frames one photo
// after another of the same size (a slider drag) draws it once. Made by
// StudioEffectsService::makeBeautifyFrameBackdrop; laying a photo into it gives exactly what
// applyBeautifyFrame gives.
struct BeautifyFrameBackdrop {
    BeautifySettings settings;
    QSize photoSize;

    // The canvas as it stands before the photo is laid in. Pixels inside `interior` are
    // undefined: the photo covers them.
    QImage canvas;
    QPoint photoOrigin; // the photo's top-left corner on the canvas
    QRect interior;     // pixels the photo covers alone, away from the rounded corners and the hairline
    uchar cardColor[4] = {0, 0, 0, 255}; // premultiplied RGBA, seen through a translucent photo

    // The ring around the interior (the photo through the rounded outline, the hairline over it),
    // in the photo's coordinates: the same for every padding and aspect ratio, so a drag of those
    // keeps it. `edgeShape` is what it depends on.
    struct EdgeShape {
        QSize photo;
        double cornerRadius = 0;
        double bar = 0;
        double hairline = 0;
        bool operator==(const EdgeShape&) const = default;
    };
    EdgeShape edgeShape;
    std::shared_ptr<const FrameEdgeCoverage> edge;

    // Whether this backdrop is the one for these settings and this photo size.
    bool fits(const BeautifySettings& s, QSize size) const {
        return !canvas.isNull() && settings == s && photoSize == size;
    }
};
