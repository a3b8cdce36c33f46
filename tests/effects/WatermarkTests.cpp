#include "core/imaging/StudioEffectsService.h"
#include "tests/effects/EffectsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace effectstest;

namespace {

WatermarkSettings enabledWatermark(const QString& text, WatermarkPosition position = WatermarkPosition::bottomRight) {
    WatermarkSettings settings;
    settings.enabled = true;
    settings.text = text;
    settings.position = position;
    return settings;
}

// Text whose ink reaches the bottom of its line (descenders) and the end of its advance.
const QString descending = QStringLiteral("gjpqy");

} // namespace

TEST(Watermark, NothingToDrawGivesBackTheInputItself) {
    const StudioEffectsService effects;
    const QImage photo = solid(120, 80, QColor(90, 90, 90));
    WatermarkSettings settings;
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(effects.applyWatermark(settings, photo).cacheKey(), photo.cacheKey()) << "off by default";

    settings.enabled = true;
    for (const QString& text : {QString(), QStringLiteral("   "), QStringLiteral(" \n\t \r\n ")}) {
        settings.text = text;
        EXPECT_EQ(effects.applyWatermark(settings, photo).cacheKey(), photo.cacheKey()) << text.size();
    }
    EXPECT_EQ(effects.applyWatermark(enabledWatermark(QStringLiteral("x")), QImage()).isNull(), true);
}

TEST(Watermark, AnchoredPlacementsOnASmallPhotoKeepTheMinimumMargin) {
    // 400 x 300: t = 0.4 so u = 0.5; font 14 pixels, margin 18.
    const StudioEffectsService effects;
    const QImage photo = solid(400, 300, kGrey);
    const QImage out = effects.applyWatermark(enabledWatermark(descending), photo);
    ASSERT_EQ(out.size(), photo.size());
    EXPECT_EQ(out.format(), QImage::Format_RGBA8888_Premultiplied);
    const QRect ink = brightInk(out);
    ASSERT_FALSE(ink.isEmpty());
    // The text's line box ends 18 pixels from the right and the bottom edge (rows top to bottom).
    EXPECT_NEAR(400 - 1 - ink.right(), 18, 2.0);
    EXPECT_NEAR(300 - 1 - ink.bottom(), 18, 2.0);
    EXPECT_GT(ink.top(), 240) << "drawn near the bottom, not the top";

    const QRect topLeft = brightInk(effects.applyWatermark(enabledWatermark(descending, WatermarkPosition::topLeft), photo));
    EXPECT_NEAR(topLeft.left(), 18, 2.0);
    EXPECT_GE(topLeft.top(), 18);
    EXPECT_LE(topLeft.top(), 18 + 5) << "the line box starts 18 below the top; its ink a little lower";
    EXPECT_EQ(topLeft.height(), ink.height());

    const QRect topRight = brightInk(effects.applyWatermark(enabledWatermark(descending, WatermarkPosition::topRight), photo));
    EXPECT_EQ(topRight.right(), ink.right());
    EXPECT_EQ(topRight.top(), topLeft.top());
    const QRect bottomLeft = brightInk(effects.applyWatermark(enabledWatermark(descending, WatermarkPosition::bottomLeft), photo));
    EXPECT_EQ(bottomLeft.left(), topLeft.left());
    EXPECT_EQ(bottomLeft.bottom(), ink.bottom());

    const QRect centre = brightInk(effects.applyWatermark(enabledWatermark(QStringLiteral("HHHH"), WatermarkPosition::center), photo));
    EXPECT_NEAR((centre.left() + centre.right()) / 2.0, 199.5, 2.0);
    EXPECT_NEAR((centre.top() + centre.bottom()) / 2.0, 149.5, 4.0);
}

TEST(Watermark, FontAndMarginScaleWithTheLongerSide) {
    const StudioEffectsService effects;
    const auto capHeight = [&](int width, int height, double fontSize) {
        WatermarkSettings settings = enabledWatermark(QStringLiteral("HH"));
        settings.fontSize = fontSize;
        return brightInk(effects.applyWatermark(settings, solid(width, height, kGrey))).height();
    };
    // 4000 x 3000: t = 4, a 112-pixel font, eight times the 14 of a 400 x 300 photo.
    const int small = capHeight(400, 300, 28);
    const int large = capHeight(4000, 3000, 28);
    ASSERT_GT(small, 5);
    EXPECT_NEAR(double(large) / small, 8.0, 0.6);
    // 200 x 100 with fontSize 14 would be 7 pixels; 12 is the least, the same as fontSize 24 there.
    EXPECT_EQ(capHeight(200, 100, 14), capHeight(200, 100, 24));
    EXPECT_NEAR(double(capHeight(200, 100, 14)) / small, 12.0 / 14.0, 0.12);
    EXPECT_GT(capHeight(200, 100, 36), capHeight(200, 100, 24));

    // The margin is 28 u = 112 on the large photo.
    const QImage large4k = effects.applyWatermark(enabledWatermark(descending), solid(4000, 3000, kGrey));
    const QRect ink = brightInk(large4k);
    EXPECT_NEAR(4000 - 1 - ink.right(), 112, 4.0);
    EXPECT_NEAR(3000 - 1 - ink.bottom(), 112, 6.0);
}

TEST(Watermark, ShadowIsBlurredAndFallsBelowTheText) {
    // On 4000 x 3000 the shadow is offset 6 pixels down with blur 16: it darkens the grey well
    // below the ink (further than a hard copy moved by 6 could) and fades out gradually.
    const StudioEffectsService effects;
    WatermarkSettings settings = enabledWatermark(QStringLiteral("HHHH"));
    settings.opacity = 1;
    const QImage out = effects.applyWatermark(settings, solid(4000, 3000, kGrey));
    const QRect ink = brightInk(out);
    ASSERT_FALSE(ink.isEmpty());
    const int column = ink.left() + 4; // inside the first stem
    const auto darkening = [&](int y) { return kGrey.red() - out.pixelColor(column, y).red(); };
    EXPECT_GT(darkening(ink.bottom() + 4), 20);
    EXPECT_GT(darkening(ink.bottom() + 10), 3) << "a hard shadow moved 6 pixels ends at +6";
    EXPECT_GT(darkening(ink.bottom() + 4), darkening(ink.bottom() + 10));
    EXPECT_GT(darkening(ink.bottom() + 4), darkening(ink.top() - 4)) << "the shadow hangs below";
    EXPECT_LE(darkening(ink.bottom() + 40), 0) << "no further than the blur reaches";
}

TEST(Watermark, OpacityGivesTheAlphaAndTheColourAlphaIsIgnored) {
    const StudioEffectsService effects;
    const QImage black = solid(400, 300, Qt::black);
    const auto brightest = [&](double opacity, RGBAColor colour) {
        WatermarkSettings settings = enabledWatermark(QStringLiteral("HHH"), WatermarkPosition::center);
        settings.fontSize = 120; // thick stems with fully covered pixels
        settings.opacity = opacity;
        settings.color = colour;
        const QImage out = effects.applyWatermark(settings, black);
        int best = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) best = std::max(best, out.pixelColor(x, y).red());
        return best;
    };
    EXPECT_NEAR(brightest(0.45, RGBAColor::white), 0.45 * 255, 2);
    EXPECT_NEAR(brightest(0.01, RGBAColor::white), 0.05 * 255, 2) << "at least 0.05";
    EXPECT_NEAR(brightest(1.5, RGBAColor::white), 255, 1) << "at most 1";
    EXPECT_NEAR(brightest(0.45, RGBAColor{1, 1, 1, 0}), 0.45 * 255, 2) << "the colour's own alpha is not used";
}

TEST(Watermark, KeepsTheInputsPixelsAroundTheText) {
    const StudioEffectsService effects;
    const QImage photo = hopper();
    const QImage out = effects.applyWatermark(enabledWatermark(QStringLiteral("\u00A9 Test")), photo);
    ASSERT_EQ(out.size(), photo.size());
    EXPECT_EQ(out.pixelColor(5, 5), photo.pixelColor(5, 5));
    EXPECT_LT(testsupport::meanAbsoluteDifference(out, photo), 2.0);
    EXPECT_GT(testsupport::meanAbsoluteDifference(out, photo), 0.0);
}

TEST(Watermark, TiledDiagonalCoversASquareWithRisingLines) {
    const StudioEffectsService effects;
    WatermarkSettings settings = enabledWatermark(QStringLiteral("\u2501\u2501\u2501\u2501\u2501\u2501\u2501\u2501"),
                                                  WatermarkPosition::tiledDiagonal);
    settings.opacity = 1;
    settings.fontSize = 40; // long unbroken strokes
    const QImage out = effects.applyWatermark(settings, solid(600, 600, kGrey));
    // Every ninth of the square holds text.
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_FALSE(brightInk(out.copy(column * 200, row * 200, 200, 200)).isEmpty()) << row << ' ' << column;
    // The strokes run at 30° and rise to the right (rows counted downwards: a slope of -tan 30°).
    EXPECT_NEAR(longestStrokeAngleDegrees(out), -30, 1.5);
}

TEST(Watermark, DrawnInPlaceItIsTheSameAndComesOffExactly) {
    // The live preview draws the watermark into a picture it keeps and takes it off again.
    const StudioEffectsService effects;
    const QImage photo = hopper().scaled(420, 300).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    for (const WatermarkPosition position : {WatermarkPosition::bottomRight, WatermarkPosition::bottomLeft,
                                             WatermarkPosition::topRight, WatermarkPosition::topLeft,
                                             WatermarkPosition::center}) {
        WatermarkSettings settings = enabledWatermark(QStringLiteral("\u00A9 gjpqy Studio"), position);
        settings.opacity = position == WatermarkPosition::center ? 0 : 0.7; // the faintest draws too
        settings.fontSize = 60; // glyphs and shadow near the picture's edge
        QImage canvas = photo.copy();
        QImage under;
        QPoint at;
        ASSERT_TRUE(effects.drawWatermarkInPlace(settings, canvas, under, at)) << int(position);
        EXPECT_EQ(canvas, *effects.tryApplyWatermark(settings, photo)) << int(position);
        StudioEffectsService::restorePixels(canvas, under, at);
        EXPECT_EQ(canvas, photo) << int(position);
    }
    WatermarkSettings tiled = enabledWatermark(QStringLiteral("x"), WatermarkPosition::tiledDiagonal);
    QImage canvas = photo.copy(), under;
    QPoint at;
    EXPECT_FALSE(effects.drawWatermarkInPlace(tiled, canvas, under, at)) << "over the whole picture: a copy";
    EXPECT_EQ(canvas, photo);
}
