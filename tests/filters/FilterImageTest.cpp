#include "core/imaging/filters/FilterImage.h"

#include <gtest/gtest.h>

namespace {

QImage quadrants() {
    // Top-left red, top-right green, bottom-left blue, bottom-right white (rows top to bottom).
    QImage image(4, 4, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixelColor(x, y, y < 2 ? (x < 2 ? Qt::red : Qt::green) : (x < 2 ? Qt::blue : Qt::white));
    return image;
}

TEST(FilterImage, WrapHasBitmapExtentAndRendersBack) {
    const QImage bitmap = quadrants();
    const FilterImage image = FilterImage::wrap(bitmap);
    EXPECT_EQ(image.extent(), QRectF(0, 0, 4, 4));
    FilterContext context;
    auto out = context.createImage(image, image.extent());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, bitmap);
}

TEST(FilterImage, CropUsesBottomLeftOriginAndNeverEnlarges) {
    const FilterImage image = FilterImage::wrap(quadrants());
    // y-up: the bottom half of the plane is the bottom rows of the bitmap (blue, white).
    const FilterImage bottomLeft = image.cropped(QRectF(0, 0, 2, 2));
    EXPECT_EQ(bottomLeft.extent(), QRectF(0, 0, 2, 2));
    FilterContext context;
    auto out = context.createImage(bottomLeft, bottomLeft.extent());
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(image.cropped(QRectF(-10, -10, 100, 100)).extent(), QRectF(0, 0, 4, 4));
    EXPECT_TRUE(image.cropped(QRectF(10, 10, 2, 2)).isEmpty());
}

TEST(FilterImage, TransformsAreExact) {
    const FilterImage image = FilterImage::wrap(quadrants());
    FilterContext context;
    const FilterImage moved = image.transformed(QTransform::fromTranslate(3, 5));
    EXPECT_EQ(moved.extent(), QRectF(3, 5, 4, 4));
    auto out = context.createImage(moved, moved.extent());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, quadrants());
    // A quarter turn counter-clockwise on the y-up plane, moved back into the positive quadrant.
    const FilterImage turned = image.transformed(QTransform().rotate(90) * QTransform::fromTranslate(4, 0));
    EXPECT_EQ(turned.extent(), QRectF(0, 0, 4, 4));
    auto rotated = context.createImage(turned, turned.extent());
    ASSERT_TRUE(rotated);
    // Counter-clockwise: the top-right (green) goes to the top-left.
    EXPECT_EQ(rotated->pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(rotated->pixelColor(3, 3), QColor(Qt::blue));
}

TEST(FilterImage, ClampRepeatsEdgesAndCompositeIsSourceOver) {
    const FilterImage image = FilterImage::wrap(quadrants());
    FilterContext context;
    auto wide = context.createImage(image.clampedToExtent(), QRectF(-2, -2, 8, 8));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->pixelColor(0, 0), QColor(Qt::red));   // beyond the top-left corner
    EXPECT_EQ(wide->pixelColor(7, 7), QColor(Qt::white)); // beyond the bottom-right corner

    QImage half(2, 2, QImage::Format_RGBA8888_Premultiplied);
    half.fill(QColor(0, 0, 0, 0));
    const FilterImage over = FilterImage::wrap(half).composited(FilterImage::constantColor(1, 1, 0));
    EXPECT_TRUE(over.isInfinite());
    auto out = context.createImage(over, QRectF(0, 0, 2, 2));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixelColor(1, 1), QColor(Qt::yellow));
}

TEST(FilterContextTest, RefusesHostileRectangles) {
    FilterContext context;
    const FilterImage image = FilterImage::constantColor(1, 0, 0);
    EXPECT_FALSE(context.createImage(image, QRectF(0, 0, 1e9, 1e9)));
    EXPECT_FALSE(context.createImage(image, QRectF()));
    EXPECT_FALSE(context.createImage(image, QRectF(0, 0, qQNaN(), 3)));
}

} // namespace
