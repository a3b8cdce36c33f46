// The frame drawn in two halves, as the live preview does during a drag: one backdrop for a
// size and a set of settings, many photos laid into it.
#include "core/imaging/StudioEffectsService.h"
#include "tests/effects/EffectsTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace effectstest;

namespace {

QImage pattern(int width, int height, int seed, bool translucent) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int alpha = translucent && (x + y) % 7 == 0 ? 90 : 255;
            const QColor c((x * 3 + seed) % 256, (y * 5 + seed * 7) % 256, (x ^ y) % 256, alpha);
            image.setPixelColor(x, y, c);
        }
    return image;
}

} // namespace

TEST(FrameBackdrop, AnotherPhotoOfTheSameSizeFramesAsIfDrawnAlone) {
    const StudioEffectsService effects;
    struct Case {
        BeautifyAspectRatio ratio;
        bool bar;
        bool translucent;
        double corner;
    };
    for (const Case& c : {Case{BeautifyAspectRatio::automatic, false, false, 22},
                          Case{BeautifyAspectRatio::ratio16x9, true, false, 60},
                          Case{BeautifyAspectRatio::ratio9x16, true, true, 22},
                          Case{BeautifyAspectRatio::ratio1x1, false, true, 0}}) {
        BeautifySettings settings;
        settings.enabled = true;
        settings.aspectRatio = c.ratio;
        settings.showWindowBar = c.bar;
        settings.cornerRadius = c.corner;
        settings.wallpaper = BeautifyWallpaper::sunsetCoral;
        const QImage first = pattern(301, 203, 1, c.translucent);
        const QImage second = pattern(301, 203, 99, c.translucent);
        const std::optional<BeautifyFrameBackdrop> backdrop =
            effects.makeBeautifyFrameBackdrop(settings, first.size(), effects.isOpaqueForFrame(first));
        ASSERT_TRUE(backdrop);
        EXPECT_EQ(backdrop->opaquePhoto, !c.translucent);
        const QImage untouched = backdrop->canvas;
        for (const QImage& photo : {first, second}) {
            const std::optional<QImage> composed = effects.composeBeautifyFrame(*backdrop, photo);
            ASSERT_TRUE(composed);
            EXPECT_EQ(*composed, effects.applyBeautifyFrame(settings, photo)) << int(c.ratio) << c.bar;
        }
        EXPECT_EQ(backdrop->canvas, untouched) << "laying a photo in leaves the backdrop as it was";
        EXPECT_EQ(backdrop->canvas.cacheKey(), untouched.cacheKey());
    }
}

TEST(FrameBackdrop, OneTranslucentPixelMakesThePhotoTranslucent) {
    const StudioEffectsService effects;
    QImage photo = pattern(37, 5, 3, false);
    EXPECT_TRUE(effects.isOpaqueForFrame(photo));
    photo.setPixelColor(36, 4, QColor(10, 20, 30, 254));
    EXPECT_FALSE(effects.isOpaqueForFrame(photo));
    photo = pattern(37, 5, 3, false);
    photo.setPixelColor(0, 2, QColor(0, 0, 0, 0));
    EXPECT_FALSE(effects.isOpaqueForFrame(photo));
}

TEST(FrameBackdrop, APhotoThatDoesNotFitIsRefused) {
    const StudioEffectsService effects;
    BeautifySettings settings;
    settings.enabled = true;
    const auto backdrop = effects.makeBeautifyFrameBackdrop(settings, QSize(200, 100), true);
    ASSERT_TRUE(backdrop);
    EXPECT_TRUE(backdrop->fits(settings, QSize(200, 100), true));
    EXPECT_FALSE(backdrop->fits(settings, QSize(200, 100), false));
    EXPECT_FALSE(effects.composeBeautifyFrame(*backdrop, solid(200, 101, kGrey)));
    EXPECT_FALSE(effects.composeBeautifyFrame(*backdrop, QImage()));
    EXPECT_FALSE(effects.makeBeautifyFrameBackdrop(settings, QSize(), true));
    EXPECT_FALSE(effects.makeBeautifyFrameBackdrop(settings, QSize(70000, 10), true))
        << "beyond the canvas limits";
}
