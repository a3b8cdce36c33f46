#pragma once

#include "core/model/BeautifySettings.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QSize>

// Everything of the screenshot frame that doesn't depend on the photo's pixels: the canvas with
// the wallpaper, the card's shadow, its dark ring and window bar drawn, and where the photo goes.
// It depends on the settings, the photo's size and whether the photo is opaque alone, so a
// caller that frames one photo after another of the same size (a slider drag) draws it once.
// Made by StudioEffectsService::makeBeautifyFrameBackdrop; laying a photo into it gives
// exactly what applyBeautifyFrame gives.
struct BeautifyFrameBackdrop {
    BeautifySettings settings;
    QSize photoSize;
    bool opaquePhoto = false;

    // The canvas as it stands before the photo is laid in. Pixels inside `interior` are
    // undefined: the photo covers them.
    QImage canvas;
    QPointF photoOrigin;    // the photo's top-left corner on the canvas
    QRect interior;         // copied straight from the photo (empty for a translucent one)
    QPainterPath photoArea; // where the photo is painted through its rounded corners, `interior` cut out
    QPainterPath outline;   // the card's rounded outline, for the hairline
    double hairlineWidth = 1;

    // Whether this backdrop is the one for these settings and this photo.
    bool fits(const BeautifySettings& s, QSize size, bool opaque) const {
        return !canvas.isNull() && settings == s && photoSize == size && opaquePhoto == opaque;
    }
};
