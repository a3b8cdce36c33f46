#include "core/imaging/filters/ClampedGaussianBlur.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QImage blackWhiteSplit(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::black);
    QPainter(&image).fillRect(QRect(width / 2, 0, width - width / 2, height), Qt::white);
    return image;
}

// Variance of the blurred step's derivative, i.e. the sigma the blur really applied.
double measuredSigma(const QImage& blurred, int row) {
    const uchar* line = blurred.constScanLine(row);
    double total = 0, mean = 0, second = 0;
    for (int x = 1; x < blurred.width(); ++x) {
        const double d = line[x * 4] - line[(x - 1) * 4];
        total += d;
        mean += d * (x - 0.5);
    }
    mean /= total;
    for (int x = 1; x < blurred.width(); ++x) {
        const double d = line[x * 4] - line[(x - 1) * 4];
        second += d * (x - 0.5 - mean) * (x - 0.5 - mean);
    }
    return std::sqrt(second / total);
}

} // namespace

TEST(ClampedGaussianBlur, SpreadsAnEdgeByTheRequestedSigma) {
    const QImage step = blackWhiteSplit(600, 8);
    for (double sigma : {0.8, 1.5, 3.0, 8.0, 20.0, 45.0}) {
        const QImage blurred = clampedGaussianBlur(step, sigma);
        EXPECT_NEAR(measuredSigma(blurred, 4), sigma, std::max(0.06 * sigma, 0.15)) << "sigma " << sigma;
        // The transition stays centred on the edge.
        EXPECT_NEAR(blurred.pixelColor(299, 4).red() + blurred.pixelColor(300, 4).red(), 255, 4);
    }
}

TEST(ClampedGaussianBlur, WideBellsKeepTheirSigmaAndAgreeByRegion) {
    // Wide blurs (a heal or redaction on a large photo) run through a reduced copy; the edge
    // still spreads by the requested sigma, stays centred, and a window matches the whole.
    const QImage step = blackWhiteSplit(3000, 40);
    for (double sigma : {150.0, 400.0}) {
        const QImage blurred = clampedGaussianBlur(step, sigma);
        EXPECT_NEAR(measuredSigma(blurred, 20), sigma, 0.04 * sigma) << "sigma " << sigma;
        EXPECT_NEAR(blurred.pixelColor(1499, 20).red() + blurred.pixelColor(1500, 20).red(), 255, 4);
        const auto window = clampedGaussianBlurRegion(step, sigma, QRect(1300, 5, 400, 10));
        ASSERT_TRUE(window);
        EXPECT_LE(testsupport::meanAbsoluteDifference(*window, blurred.copy(1300, 5, 400, 10)), 1.0);
    }
}

TEST(ClampedGaussianBlur, ClampedEdgesKeepFlatImagesFlatAndOpaque) {
    QImage flat(50, 40, QImage::Format_RGBA8888_Premultiplied);
    flat.fill(QColor(200, 60, 10));
    const QImage blurred = clampedGaussianBlur(flat, 30);
    for (QPoint p : {QPoint(0, 0), QPoint(49, 39), QPoint(25, 20), QPoint(0, 39)})
        EXPECT_EQ(blurred.pixelColor(p), QColor(200, 60, 10)) << p.x() << "," << p.y();
}

TEST(ClampedGaussianBlur, RegionMatchesTheSameAreaOfTheWholeBlur) {
    QImage noise(300, 200, QImage::Format_RGBA8888_Premultiplied);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int v = seed >> 24;
            noise.setPixelColor(x, y, QColor(v, 255 - v, (v * 7) & 255));
        }
    const QImage whole = clampedGaussianBlur(noise, 9);
    // Inside, on the border and partly outside the image (outside pixels continue the edge).
    for (QRect r : {QRect(100, 50, 60, 40), QRect(0, 0, 30, 30), QRect(280, 190, 20, 10)}) {
        const auto part = clampedGaussianBlurRegion(noise, 9, r);
        ASSERT_TRUE(part);
        ASSERT_EQ(part->size(), r.size());
        int worst = 0;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                worst = std::max(worst, std::abs(part->pixelColor(x, y).green() -
                                                 whole.pixelColor(r.x() + x, r.y() + y).green()));
        EXPECT_LE(worst, 1);
    }
    // Far outside, every row of the window sees only the clamped left column, blurred vertically.
    const auto outside = clampedGaussianBlurRegion(noise, 9, QRect(-200, 0, 3, 200));
    ASSERT_TRUE(outside);
    QImage leftColumn = noise.copy(0, 0, 1, 200).scaled(3, 200);
    const QImage columnBlur = clampedGaussianBlur(leftColumn, 9);
    EXPECT_LE(testsupport::meanAbsoluteDifference(*outside, columnBlur), 0.5);
}

TEST(ClampedGaussianBlur, DegenerateInputs) {
    const QImage image = blackWhiteSplit(20, 20);
    EXPECT_EQ(clampedGaussianBlur(image, 0).cacheKey(), image.cacheKey());
    EXPECT_EQ(clampedGaussianBlur(image, -3).cacheKey(), image.cacheKey());
    EXPECT_TRUE(clampedGaussianBlur(QImage(), 5).isNull());
    EXPECT_FALSE(clampedGaussianBlurRegion(image, 5, QRect()));
    EXPECT_FALSE(clampedGaussianBlurRegion(image, std::nan(""), image.rect()));
    // A huge radius is bounded rather than allocating margins of its size.
    const auto huge = clampedGaussianBlurRegion(image, 1e12, image.rect());
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->size(), image.size());
}
