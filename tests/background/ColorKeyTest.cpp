#include "core/imaging/ColorKey.h"

#include <gtest/gtest.h>

namespace {

QImage filled(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

std::uint8_t at(const std::vector<std::uint8_t>& mask, int w, int x, int y) { return mask[y * w + x]; }

TEST(ColorKeyRadii, FollowTheToleranceAndStayNonNegative) {
    EXPECT_EQ(ColorKeyRadii::forTolerance(0.22), (ColorKeyRadii{97, 33, 130}));
    EXPECT_EQ(ColorKeyRadii::forTolerance(0), (ColorKeyRadii{0, 12, 12}));
    EXPECT_EQ(ColorKeyRadii::forTolerance(1), (ColorKeyRadii{442, 154, 596}));
    // Out-of-range and NaN tolerances are limited rather than giving negative radii.
    EXPECT_EQ(ColorKeyRadii::forTolerance(-3), ColorKeyRadii::forTolerance(0));
    EXPECT_EQ(ColorKeyRadii::forTolerance(7), ColorKeyRadii::forTolerance(1));
    EXPECT_EQ(ColorKeyRadii::forTolerance(std::nan("")), ColorKeyRadii::forTolerance(0));
}

TEST(ColorKeyRadii, RampBetweenInnerAndOuterRadius) {
    const ColorKeyRadii r = ColorKeyRadii::forTolerance(0.22);
    EXPECT_EQ(r.maskValue(97 * 97), 0);      // at t: background
    EXPECT_EQ(r.maskValue(97 * 97 + 1), 0);  // just past t the ramp starts at 0
    EXPECT_EQ(r.maskValue(130 * 130), 255);  // at t + s
    EXPECT_EQ(r.maskValue(130 * 130 + 1), 255);
    EXPECT_EQ(r.maskValue(110 * 110), 100);  // (110 − 97) / 33 × 255 = 100.45
    const ColorKeyRadii exact = ColorKeyRadii::forTolerance(0);
    EXPECT_EQ(exact.maskValue(0), 0);
    EXPECT_EQ(exact.maskValue(1), 21);   // 1/12 × 255
    EXPECT_EQ(exact.maskValue(36), 127); // t + s/2 = 6
    EXPECT_EQ(exact.maskValue(144), 255);
}

TEST(ColorKey, PixelValuesAtTheRadiiInAnImage) {
    // Target black, tolerance 0: distances 0, 6 (half the ramp), 12 (its end) and 13.
    QImage image = filled(4, 1, Qt::black);
    image.setPixelColor(1, 0, QColor(6, 0, 0));
    image.setPixelColor(2, 0, QColor(0, 12, 0));
    image.setPixelColor(3, 0, QColor(0, 0, 13));
    const auto mask = colorKeyMaskBytes(image, {RGBAColor{0, 0, 0, 1}, 0, false});
    ASSERT_TRUE(mask);
    EXPECT_EQ(*mask, (std::vector<std::uint8_t>{0, 127, 255, 255}));
    // Tolerance 1 removes every colour, even the farthest one.
    QImage white = filled(3, 3, Qt::white);
    white.setPixelColor(1, 1, Qt::black);
    const auto all = colorKeyMaskBytes(white, {RGBAColor::white, 1, true});
    ASSERT_TRUE(all);
    EXPECT_EQ(*all, std::vector<std::uint8_t>(9, 0));
}

// A white product on white: a dark ring (the product) enclosing a white hole.
QImage productOnWhite() {
    QImage image = filled(40, 30, Qt::white);
    for (int y = 8; y < 22; ++y)
        for (int x = 10; x < 30; ++x)
            if (y < 11 || y >= 19 || x < 13 || x >= 27) image.setPixelColor(x, y, QColor(40, 60, 90));
    return image;
}

TEST(ColorKey, ContiguousKeepsEnclosedBackgroundColour) {
    const QImage image = productOnWhite();
    const auto mask = colorKeyMaskBytes(image, {RGBAColor::white, 0.22, true});
    ASSERT_TRUE(mask);
    EXPECT_EQ(at(*mask, 40, 0, 0), 0);
    EXPECT_EQ(at(*mask, 40, 39, 29), 0);
    EXPECT_EQ(at(*mask, 40, 5, 15), 0);
    EXPECT_EQ(at(*mask, 40, 11, 9), 255);  // the product
    EXPECT_EQ(at(*mask, 40, 20, 15), 255); // enclosed white stays
}

TEST(ColorKey, NonContiguousRemovesEnclosedBackgroundColourToo) {
    const auto mask = colorKeyMaskBytes(productOnWhite(), {RGBAColor::white, 0.22, false});
    ASSERT_TRUE(mask);
    EXPECT_EQ(at(*mask, 40, 20, 15), 0);
    EXPECT_EQ(at(*mask, 40, 11, 9), 255);
    EXPECT_EQ(at(*mask, 40, 0, 0), 0);
}

TEST(ColorKey, EdgePixelsSoftenTheRimButStopTheFill) {
    // Target white, tolerance 0: a ramp-coloured column, then white inside a black frame. The
    // fill marks the ramp column but does not pass through it.
    QImage image = filled(9, 5, Qt::white);
    for (int y = 0; y < 5; ++y) image.setPixelColor(3, y, QColor(249, 255, 255)); // distance 6
    for (int y = 0; y < 5; ++y)
        for (int x = 4; x < 9; ++x)
            if (y == 0 || y == 4 || x == 4 || x == 8) image.setPixelColor(x, y, Qt::black);
    const auto mask = colorKeyMaskBytes(image, {RGBAColor::white, 0, true});
    ASSERT_TRUE(mask);
    EXPECT_EQ(at(*mask, 9, 0, 2), 0);
    EXPECT_EQ(at(*mask, 9, 3, 2), 127);
    EXPECT_EQ(at(*mask, 9, 6, 2), 255); // white but enclosed by the black frame
    EXPECT_EQ(at(*mask, 9, 4, 2), 255);
}

TEST(ColorKey, EmptyImageHasNoMaskAndImageFormIsOpaqueGrey) {
    EXPECT_FALSE(colorKeyMaskBytes(QImage(), {}));
    const QImage image = maskBytesToImage({0, 127, 255, 3}, 2, 2);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixelColor(1, 0), QColor(127, 127, 127, 255));
    EXPECT_TRUE(maskBytesToImage({1, 2, 3}, 2, 2).isNull());
}

} // namespace
