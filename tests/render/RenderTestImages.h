#pragma once

#include <QColor>
#include <QImage>
#include <cmath>

// Small synthetic pictures for the render tests.
namespace rendertest {

inline QImage solid(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

// Each pixel a distinct colour: red grows with x, green with y, blue mixes both, so any
// misplaced pixel shows.
inline QImage coordinates(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 4) {
            row[0] = uchar(x % 256);
            row[1] = uchar(y % 256);
            row[2] = uchar((x / 256 + 16 * (y / 256) + 7 * x + 3 * y) % 256);
            row[3] = 255;
        }
    }
    return image;
}

// A textured photo-like picture: smooth gradients plus fine detail.
inline QImage textured(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 4) {
            const double u = double(x) / width, v = double(y) / height;
            const double detail = ((x / 6 + y / 6) % 2) ? 0.12 : -0.12;
            row[0] = uchar(255 * std::clamp(0.25 + 0.5 * u + detail, 0.0, 1.0));
            row[1] = uchar(255 * std::clamp(0.3 + 0.4 * v + detail, 0.0, 1.0));
            row[2] = uchar(255 * std::clamp(0.6 - 0.3 * u + detail, 0.0, 1.0));
            row[3] = 255;
        }
    }
    return image;
}

inline QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

inline double meanLuma(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum += 0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue();
        }
    return sum / (double(image.width()) * image.height());
}

inline double linear(int code) {
    const double c = code / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The textured picture with alpha falling from opaque on the left to a tenth on the right
// (premultiplied, so colour falls with it).
inline QImage translucent(int width, int height) {
    QImage image = textured(width, height);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 4) {
            const int alpha = 255 - 230 * x / (width - 1);
            for (int c = 0; c < 3; ++c)
                row[c] = uchar((row[c] * alpha + 127) / 255);
            row[3] = uchar(alpha);
        }
    }
    return image;
}

} // namespace rendertest
