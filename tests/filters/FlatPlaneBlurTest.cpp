// Every Gaussian blur keeps a flat picture flat, at its edges too: a recursive pass that starts
// from zero instead of the edge value, or a kernel that loses weight at a border, darkens the
// rim while every test of a step or a noise field still passes. The suite runs once per SIMD
// level, so each of the row, four-row and eight-row paths is held to it.
#include "core/imaging/filters/BlurredLuminance.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"
#include "core/imaging/filters/GaussianBlur.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

// 45 rows: five blocks of eight, one of four and a single row; 131 columns: two full strips and
// a partial one. Sigmas over the range the plane blur is meant for (wider ones are reduced first).
TEST(FlatPlaneBlur, GaussianPlane) {
    const int width = 131, height = 45;
    for (double sigma : {0.5, 1.5, 2.0, 3.5, 4.0, 6.0, 10.0, 12.0}) {
        std::vector<float> plane(size_t(width) * height, 0.73f);
        gaussianBlurPlane(plane.data(), width, height, sigma);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_NEAR(plane[size_t(y) * width + x], 0.73f, 2e-5)
                    << "sigma " << sigma << " at " << x << "," << y;
    }
}

TEST(FlatPlaneBlur, BlurredLuminance) {
    const int width = 97, height = 61;
    for (bool compact : {true, false})
        for (double sigma : {0.8, 1.9, 3.0, 9.0, 40.0}) {
            BlurredLuminance plane(width, height, sigma, false, compact);
            const std::vector<float> row(width, 0.6f);
            for (int y = 0; y < height; ++y)
                plane.addRow(y, row.data());
            plane.finish();
            std::vector<float> out(width);
            for (int y = 0; y < height; ++y) {
                plane.sampleRow(y, 0, width, out.data());
                for (int x = 0; x < width; ++x)
                    ASSERT_NEAR(out[x], 0.6f, 1e-3)
                        << "sigma " << sigma << (compact ? " compact" : "") << " at " << x << "," << y;
            }
        }
}

TEST(FlatPlaneBlur, ClampedGaussianBlurOfColourMaskAndRegion) {
    QImage colour(77, 53, QImage::Format_RGBA8888_Premultiplied);
    colour.fill(QColor(200, 60, 10, 128));
    const QRgb expected = colour.pixel(0, 0);
    QImage mask(77, 53, QImage::Format_Alpha8);
    mask.fill(QColor(0, 0, 0, 90));
    for (double sigma : {0.6, 1.5, 4.0, 25.0, 120.0}) {
        const QImage blurred = clampedGaussianBlur(colour, sigma);
        const QImage blurredMask = clampedGaussianBlur(mask, sigma);
        const auto region = clampedGaussianBlurRegion(colour, sigma, QRect(-20, 40, 130, 30));
        ASSERT_TRUE(region);
        for (int y = 0; y < colour.height(); ++y)
            for (int x = 0; x < colour.width(); ++x) {
                ASSERT_EQ(blurred.pixel(x, y), expected) << "sigma " << sigma << " at " << x << "," << y;
                ASSERT_EQ(qAlpha(blurredMask.pixel(x, y)), 90)
                    << "sigma " << sigma << " at " << x << "," << y;
            }
        for (int y = 0; y < region->height(); ++y)
            for (int x = 0; x < region->width(); ++x)
                ASSERT_EQ(region->pixel(x, y), expected)
                    << "region, sigma " << sigma << " at " << x << "," << y;
    }
}
