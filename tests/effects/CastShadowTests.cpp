#include "core/imaging/filters/CastShadow.h"

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>
#include <gtest/gtest.h>

namespace {

// A shadow lays its tint over the pixels it reaches with the alpha of the blurred coverage,
// rounded to nearest; it leaves alone the pixels beyond its reach and those in the area the
// caller will cover, on both sides of which the same row is still shadowed.
TEST(CastShadow, BlendsTheTintAndLeavesUnreachedAndHiddenPixelsAlone) {
    QImage target(120, 90, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < target.height(); ++y) {
        uchar* row = target.scanLine(y);
        for (int x = 0; x < target.width(); ++x, row += 4) {
            row[0] = uchar((x * 7 + y) % 256);
            row[1] = uchar((y * 5 + 3 * x) % 256);
            row[2] = uchar(255 - x);
            row[3] = 255;
        }
    }
    const QImage before = target.copy();
    const QRectF shape(30, 20, 60, 50);
    const QRect hidden(40, 30, 40, 30);
    castDropShadow(
        target, shape, ShadowStyle{QPointF(0, 0), 1.5, 0.5, QColor(0, 0, 255)},
        [&](QPainter& painter) { painter.fillRect(shape, Qt::black); }, hidden);

    const auto pixel = [](const QImage& image, int x, int y) { return image.constScanLine(y) + 4 * x; };
    for (const QPoint p : {QPoint(0, 0), QPoint(119, 89), QPoint(10, 45), QPoint(60, 85)})
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(pixel(target, p.x(), p.y())[c], pixel(before, p.x(), p.y())[c])
                << "beyond reach " << p.x();
    for (int y = hidden.top(); y <= hidden.bottom(); ++y)
        for (int x = hidden.left(); x <= hidden.right(); ++x)
            ASSERT_EQ(std::memcmp(pixel(target, x, y), pixel(before, x, y), 4), 0)
                << "hidden " << x << "," << y;

    // Well inside the shape, right beside the hidden area on either side of one row, the coverage is 1:
    // alpha 0.5 of the blue tint, 127 or 128 of 255 as the blur's last bits fall.
    for (const QPoint p : {QPoint(39, 45), QPoint(80, 45), QPoint(60, 24)}) {
        const uchar* got = pixel(target, p.x(), p.y());
        const uchar* was = pixel(before, p.x(), p.y());
        const int tint[4] = {0, 0, 255, 255};
        for (int c = 0; c < 4; ++c) {
            const auto blended = [&](int a) { return (was[c] * (255 - a) + tint[c] * a + 127) / 255; };
            EXPECT_TRUE(got[c] == blended(127) || got[c] == blended(128))
                << p.x() << "," << p.y() << " component " << c << ": " << int(got[c]);
        }
    }
}

} // namespace

// The shadow's blur against the definition, computed one sample at a time: three box passes
// (or, for a narrow blur, the sampled Gaussian) down every column and along every row, with
// zeros beyond the plane. Planes wider than a block of columns and of odd sizes, so every
// block edge and every end of a line is crossed.
TEST(CastShadow, TheBlurIsTheZeroPaddedFilterAlongBothAxes) {
    const auto reference = [](std::vector<double> plane, int width, int height, double sigma) {
        auto along = [&](int count, int length, auto at) {
            for (int l = 0; l < count; ++l) {
                std::vector<double> line(length);
                for (int i = 0; i < length; ++i) line[i] = at(l, i);
                auto sample = [&](int i) { return i >= 0 && i < length ? line[i] : 0.0; };
                std::vector<double> out(length, 0.0);
                if (sigma >= 3) {
                    // Kovesi's widths for three passes.
                    int lower = int(std::floor(std::sqrt(4 * sigma * sigma + 1)));
                    if (lower % 2 == 0) --lower;
                    const int lowerCount = int(std::lround((12 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9) /
                                                           (-4.0 * lower - 4)));
                    for (int pass = 0; pass < 3; ++pass) {
                        const int r = (pass < lowerCount ? lower : lower + 2) / 2;
                        for (int i = 0; i < length; ++i) {
                            double sum = 0;
                            for (int j = i - r; j <= i + r; ++j) sum += sample(j);
                            out[i] = sum / (2 * r + 1);
                        }
                        line = out;
                    }
                } else {
                    const int r = int(std::ceil(3 * sigma));
                    double total = 0;
                    for (int j = -r; j <= r; ++j) total += std::exp(-0.5 * j * j / (sigma * sigma));
                    for (int i = 0; i < length; ++i)
                        for (int j = -r; j <= r; ++j) out[i] += std::exp(-0.5 * j * j / (sigma * sigma)) / total * sample(i + j);
                    line = out;
                }
                for (int i = 0; i < length; ++i) at(l, i) = line[i];
            }
        };
        along(width, height, [&](int x, int y) -> double& { return plane[size_t(y) * width + x]; });
        along(height, width, [&](int y, int x) -> double& { return plane[size_t(y) * width + x]; });
        return plane;
    };
    for (const auto& [width, height, sigma] : {std::tuple{300, 37, 4.5}, {41, 283, 7.0}, {263, 19, 1.3}, {5, 3, 3.2}}) {
        std::vector<float> plane(size_t(width) * height);
        std::vector<double> exact(plane.size());
        for (size_t i = 0; i < plane.size(); ++i)
            exact[i] = plane[i] = float((i * 7919 % 101) / 100.0 * ((i / width) % 3 != 0));
        gaussianBlurZeroPadded(plane.data(), width, height, sigma);
        const std::vector<double> expected = reference(exact, width, height, sigma);
        for (size_t i = 0; i < plane.size(); ++i)
            ASSERT_NEAR(plane[i], expected[i], 1e-4) << width << "x" << height << " at " << i % width << "," << i / width;
    }
}
