#pragma once

// The edit the live-preview figures are measured with: every slider off neutral, a look,
// straighten and crop, a watermark and a screenshot frame.
#include "core/model/EditAdjustments.h"

#include <QImage>
#include <QString>
#include <cmath>
#include <cstdlib>

inline EditAdjustments liveEditRecipe() {
    EditAdjustments a;
    a.exposure = 0.4;
    a.brightness = 0.02;
    a.contrast = 1.15;
    a.saturation = 1.1;
    a.vibrance = 0.35;
    a.warmth = 0.25;
    a.tint = -0.1;
    a.highlights = 0.75;
    a.shadows = 0.35;
    a.clarity = 0.6;
    a.sharpness = 0.5;
    a.vignette = 0.5;
    a.grain = 0.25;
    a.straightenDegrees = 2.5;
    a.cropRect = NormalizedCropRect(0.04, 0.04, 0.92, 0.92);
    a.filterPreset = PhotoFilterPreset::portra;
    a.watermark.enabled = true;
    a.watermark.text = QStringLiteral("\u00A9 Bench Studio 2024");
    a.watermark.opacity = 0.6;
    a.beautify.enabled = true;
    a.beautify.wallpaper = BeautifyWallpaper::sunsetCoral;
    a.beautify.showWindowBar = true;
    return a;
}

// The 1800 x 1200 preview the live figures edit: the picture named by TAVIVIEW_BENCH_PREVIEW, or
// a synthetic one with smooth gradients and fine detail.
inline QImage livePreviewBase() {
    if (const char* path = std::getenv("TAVIVIEW_BENCH_PREVIEW")) {
        QImage image(QString::fromLocal8Bit(path));
        if (!image.isNull()) return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    }
    QImage image(1800, 1200, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, row += 4) {
            const double detail = 0.5 + 0.5 * std::sin(x * 0.23) * std::cos(y * 0.19);
            row[0] = uchar(40 + 150 * x / image.width() + 50 * detail);
            row[1] = uchar(30 + 140 * y / image.height() + 60 * detail);
            row[2] = uchar(180 - 120 * x / image.width() + 40 * detail);
            row[3] = 255;
        }
    }
    return image;
}

// One of the dragged sliders at position t of its drag, 0 ... 1: the four the live figures
// follow (contrast, grain, watermark opacity, frame padding), then the frame's corner radius and
// shadow depth, sharpness, clarity and highlights.
inline void setDragSlider(EditAdjustments& a, int slider, double t) {
    switch (slider) {
    case 0:
        a.contrast = 0.9 + 0.4 * t;
        break;
    case 1:
        a.grain = 0.1 + 0.5 * t;
        break;
    case 2:
        a.watermark.opacity = 0.3 + 0.6 * t;
        break;
    case 3:
        a.beautify.padding = 0.05 + 0.1 * t;
        break;
    case 4:
        a.beautify.cornerRadius = 5 + 40 * t;
        break;
    case 5:
        a.beautify.shadowIntensity = 0.2 + 0.7 * t;
        break;
    case 6:
        a.sharpness = 0.1 + 0.8 * t;
        break;
    case 7:
        a.clarity = 0.1 + 0.8 * t;
        break;
    default:
        a.highlights = 0.5 + 0.4 * t;
        break;
    }
}
