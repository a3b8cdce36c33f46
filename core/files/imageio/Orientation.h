#pragma once

#include <QImage>

// Turns a bitmap stored with EXIF orientation 1...8 upright.
QImage applyOrientation(const QImage& image, int orientation);
