#pragma once

#include <QImage>

// input where the mask is white, background where it is clear, linear between (premultiplied
// components, so partly transparent pixels blend correctly). All three must share one size;
// the mask is read as grey levels. A null image when they don't.
QImage blendWithMask(const QImage& input, const QImage& background, const QImage& mask);
