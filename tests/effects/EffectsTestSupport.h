#pragma once

#include "tests/support/TestSupport.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <cmath>
#include <numbers>
#include <vector>

namespace effectstest {

inline const QColor kGrey(100, 100, 100);

inline QImage solid(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

inline QImage hopper() {
    return QImage(testsupport::fixture(QStringLiteral("photos/hopper.png"))).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// The bounding box of light text drawn over a darker background: pixels whose every channel
// is above `threshold`.
inline QRect brightInk(const QImage& image, int threshold = 150) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::min({c.red(), c.green(), c.blue()}) > threshold) box |= QRect(x, y, 1, 1);
        }
    return box;
}

inline bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The direction of the longest bright stroke (the principal axis of the largest connected set
// of bright pixels), in degrees from the x axis with rows counted downwards, in (-90, 90].
inline double longestStrokeAngleDegrees(const QImage& image, int threshold = 150) {
    const int w = image.width(), h = image.height();
    std::vector<int> label(size_t(w) * h, -1);
    const auto bright = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return std::min({c.red(), c.green(), c.blue()}) > threshold;
    };
    std::vector<QPoint> best, current, stack;
    int next = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (label[size_t(y) * w + x] >= 0 || !bright(x, y)) continue;
            current.clear();
            stack.assign(1, QPoint(x, y));
            label[size_t(y) * w + x] = next;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                current.push_back(p);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = p.x() + dx, ny = p.y() + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || label[size_t(ny) * w + nx] >= 0 || !bright(nx, ny)) continue;
                        label[size_t(ny) * w + nx] = next;
                        stack.emplace_back(nx, ny);
                    }
            }
            ++next;
            if (current.size() > best.size()) best = current;
        }
    if (best.empty()) return std::nan("");
    double mx = 0, my = 0;
    for (const QPoint& p : best) mx += p.x(), my += p.y();
    mx /= best.size(), my /= best.size();
    double xx = 0, yy = 0, xy = 0;
    for (const QPoint& p : best) xx += (p.x() - mx) * (p.x() - mx), yy += (p.y() - my) * (p.y() - my), xy += (p.x() - mx) * (p.y() - my);
    return 0.5 * std::atan2(2 * xy, xx - yy) * 180 / std::numbers::pi;
}

} // namespace effectstest
