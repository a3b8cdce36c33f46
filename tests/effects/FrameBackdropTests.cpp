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
        const std::optional<BeautifyFrameBackdrop> backdrop = effects.makeBeautifyFrameBackdrop(settings, first.size());
        ASSERT_TRUE(backdrop);
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

TEST(FrameBackdrop, APhotoThatDoesNotFitIsRefused) {
    const StudioEffectsService effects;
    BeautifySettings settings;
    settings.enabled = true;
    const auto backdrop = effects.makeBeautifyFrameBackdrop(settings, QSize(200, 100));
    ASSERT_TRUE(backdrop);
    EXPECT_TRUE(backdrop->fits(settings, QSize(200, 100)));
    EXPECT_FALSE(backdrop->fits(settings, QSize(200, 101)));
    EXPECT_FALSE(effects.composeBeautifyFrame(*backdrop, solid(200, 101, kGrey)));
    EXPECT_FALSE(effects.composeBeautifyFrame(*backdrop, QImage()));
    EXPECT_FALSE(effects.makeBeautifyFrameBackdrop(settings, QSize()));
    EXPECT_FALSE(effects.makeBeautifyFrameBackdrop(settings, QSize(70000, 10)))
        << "beyond the canvas limits";
}

TEST(FrameBackdrop, TheCardEdgeLooksAsIfPaintedThroughTheOutline) {
    // The ring around the photo is blended from coverage found once per backdrop; it must agree
    // with painting the photo through the rounded outline and stroking the hairline over it.
    const StudioEffectsService effects;
    struct Case {
        bool translucent, bar; // the window bar takes the top of the outline from the photo
        QSize size;
        double corner;
    };
    // The last: square corners and a long photo, whose hairline (5.6 pixels) reaches into the
    // pixels copied straight from the photo.
    for (const Case& c : {Case{false, false, QSize(400, 260), 80}, Case{true, true, QSize(400, 260), 80},
                          Case{false, false, QSize(4000, 90), 0}}) {
        const bool translucent = c.translucent, bar = c.bar;
        BeautifySettings settings;
        settings.enabled = true;
        settings.cornerRadius = c.corner;
        settings.showWindowBar = bar;
        const QImage photo = pattern(c.size.width(), c.size.height(), 5, translucent);
        const double longer = std::max(c.size.width(), c.size.height());
        const auto backdrop = effects.makeBeautifyFrameBackdrop(settings, photo.size());
        ASSERT_TRUE(backdrop);
        const std::optional<QImage> composed = effects.composeBeautifyFrame(*backdrop, photo);
        ASSERT_TRUE(composed);

        const double radius = longer / 1000.0 * settings.cornerRadius;
        const QRectF shown(backdrop->photoOrigin, QSizeF(photo.size()));
        const double barHeight = bar ? 28 : 0; // the least bar
        const QRectF card = shown.adjusted(0, -barHeight, 0, 0);
        QPainterPath outline, below;
        outline.addRoundedRect(card, radius, radius);
        below.addRect(shown);
        QImage painted = backdrop->canvas.copy();
        {
            QPainter painter(&painted);
            painter.setRenderHint(QPainter::Antialiasing);
            // The backdrop leaves the interior to the photo; a translucent one shows the card.
            painter.fillRect(backdrop->interior, QColor::fromRgbF(0.1f, 0.1f, 0.12f));
            QBrush brush(photo);
            brush.setTransform(QTransform::fromTranslate(shown.left(), shown.top()));
            painter.fillPath(outline.intersected(below), brush);
            painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.22f), std::max(longer * 0.0014, 1.0)));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(outline);
        }
        int worst = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x) {
                const QRgb a = composed->pixel(x, y), b = painted.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            }
        EXPECT_LE(worst, 2) << (translucent ? "translucent " : "opaque ") << c.size.width();
    }
}

// The interior is copied and checked for translucency in one read: a single translucent pixel
// anywhere in a row, in a vector's lanes or in the tail, must be noticed.
TEST(FrameBackdrop, OneTranslucentPixelAnywhereInARowIsNoticed) {
    for (int count : {1, 3, 4, 7, 16, 37}) {
        std::vector<uchar> from(size_t(count) * 4, 255), to(from.size(), 0);
        EXPECT_TRUE(FrameEdgeCoverage::copyOpaque(to.data(), from.data(), count));
        EXPECT_EQ(to, from);
        for (int x = 0; x < count; ++x) {
            std::fill(from.begin(), from.end(), uchar(255));
            from[size_t(x) * 4 + 3] = 254;
            EXPECT_FALSE(FrameEdgeCoverage::copyOpaque(to.data(), from.data(), count)) << count << " " << x;
            EXPECT_EQ(to, from);
        }
    }
}
