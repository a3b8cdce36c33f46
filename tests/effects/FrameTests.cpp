#include "core/imaging/StudioEffectsService.h"
#include "tests/effects/EffectsTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace effectstest;

namespace {

const QColor kYellow(250, 230, 20);

BeautifySettings enabledFrame() {
    BeautifySettings settings;
    settings.enabled = true;
    return settings;
}

bool isPhoto(const QImage& image, int x, int y) { return near(image.pixelColor(x, y), kYellow, 40); }

// Where the photo's pixels begin and end along the middle row and the middle column.
struct Span {
    int first = -1, last = -1;
};
Span photoColumns(const QImage& image, int row) {
    Span span;
    for (int x = 0; x < image.width(); ++x)
        if (isPhoto(image, x, row)) span.first = span.first < 0 ? x : span.first, span.last = x;
    return span;
}
Span photoRows(const QImage& image, int column) {
    Span span;
    for (int y = 0; y < image.height(); ++y)
        if (isPhoto(image, column, y)) span.first = span.first < 0 ? y : span.first, span.last = y;
    return span;
}

} // namespace

TEST(Frame, OffOrEmptyGivesBackTheInputItself) {
    const StudioEffectsService effects;
    const QImage photo = solid(40, 30, kYellow);
    EXPECT_EQ(effects.applyBeautifyFrame(BeautifySettings(), photo).cacheKey(), photo.cacheKey());
    EXPECT_TRUE(effects.applyBeautifyFrame(enabledFrame(), QImage()).isNull());
}

TEST(Frame, DefaultsAroundA400By300Photo) {
    // Padding 32, no bar, radius 8.8: a 464 x 364 canvas with the card at (32, 32).
    const StudioEffectsService effects;
    const QImage out = effects.applyBeautifyFrame(enabledFrame(), solid(400, 300, kYellow));
    ASSERT_EQ(out.size(), QSize(464, 364));
    EXPECT_EQ(out.format(), QImage::Format_RGBA8888_Premultiplied);
    const Span columns = photoColumns(out, 182), rows = photoRows(out, 232);
    EXPECT_EQ(columns.first, 32);
    EXPECT_EQ(columns.last, 431);
    EXPECT_EQ(rows.first, 32);
    EXPECT_EQ(rows.last, 331);
    EXPECT_EQ(out.pixelColor(232, 182), kYellow) << "drawn unscaled and untouched inside";
    // The corner is rounded by 8.8 pixels: its outermost pixels belong to the wallpaper.
    EXPECT_FALSE(isPhoto(out, 32, 32));
    EXPECT_FALSE(isPhoto(out, 33, 33));
    EXPECT_TRUE(isPhoto(out, 37, 37));
    EXPECT_FALSE(isPhoto(out, 431, 331));
    // The violetAurora gradient runs from the top-left corner to the bottom-right one.
    EXPECT_TRUE(near(out.pixelColor(0, 0), QColor::fromRgbF(0.24f, 0.62f, 1.0f), 4)) << out.pixelColor(0, 0).name().toStdString();
    EXPECT_TRUE(near(out.pixelColor(463, 363), QColor::fromRgbF(0.18f, 0.10f, 0.44f), 4))
        << out.pixelColor(463, 363).name().toStdString();
    // A faint white hairline lightens the wallpaper just outside the card's edge.
    BeautifySettings flat = enabledFrame();
    flat.shadowIntensity = 0;
    const QImage noShadow = effects.applyBeautifyFrame(flat, solid(400, 300, kYellow));
    flat.enabled = false;
    EXPECT_GT(noShadow.pixelColor(31, 182).lightness(), noShadow.pixelColor(20, 182).lightness());
}

TEST(Frame, WindowBarSitsAboveThePhoto) {
    const StudioEffectsService effects;
    BeautifySettings settings = enabledFrame();
    settings.showWindowBar = true;
    const QImage out = effects.applyBeautifyFrame(settings, solid(400, 300, kYellow));
    // round(12.8) = 13 is below the least bar height of 28.
    ASSERT_EQ(out.size(), QSize(464, 392));
    const Span rows = photoRows(out, 232);
    EXPECT_EQ(rows.first, 32 + 28);
    EXPECT_EQ(rows.last, 32 + 28 + 299);
    EXPECT_TRUE(near(out.pixelColor(232, 46), QColor::fromRgbF(0.13f, 0.14f, 0.16f), 2));
    EXPECT_TRUE(near(out.pixelColor(232, 32), QColor::fromRgbF(0.13f, 0.14f, 0.16f), 40)) << "the bar's top row";
    // Three dots of diameter 10.08 on the bar's middle row: red, amber, green, left to right.
    const struct {
        double x;
        QColor colour;
    } dots[] = {{32 + 14.56 + 5.04, QColor::fromRgbF(1, 0.37f, 0.34f)},
                {32 + 14.56 + 5.04 + 16.632, QColor::fromRgbF(1, 0.74f, 0.18f)},
                {32 + 14.56 + 5.04 + 2 * 16.632, QColor::fromRgbF(0.15f, 0.79f, 0.25f)}};
    for (const auto& dot : dots) {
        EXPECT_TRUE(near(out.pixelColor(int(dot.x), 46), dot.colour, 3)) << dot.x;
        EXPECT_TRUE(near(out.pixelColor(int(dot.x), 46 - 7), QColor::fromRgbF(0.13f, 0.14f, 0.16f), 3)) << "radius 5";
    }
}

TEST(Frame, AspectRatiosOnlyGrowTheCanvas) {
    const StudioEffectsService effects;
    const QImage photo = solid(400, 300, kYellow);
    BeautifySettings settings = enabledFrame();

    settings.aspectRatio = BeautifyAspectRatio::ratio1x1;
    QImage out = effects.applyBeautifyFrame(settings, photo);
    ASSERT_EQ(out.size(), QSize(464, 464));
    EXPECT_EQ(photoRows(out, 232).first, 82);
    EXPECT_EQ(photoColumns(out, 232).first, 32);

    // 9:16 stands the canvas up: round(464 / 0.5625) = 825 rows, the photo unscaled in the middle.
    settings.aspectRatio = BeautifyAspectRatio::ratio9x16;
    out = effects.applyBeautifyFrame(settings, photo);
    ASSERT_EQ(out.size(), QSize(464, 825));
    const Span rows = photoRows(out, 232);
    EXPECT_EQ(rows.last - rows.first + 1, 300);
    EXPECT_NEAR(rows.first, 262, 1);

    // 16:9 on a square photo widens it instead: 464 rows, round(464 × 16 / 9) = 825 columns.
    settings.aspectRatio = BeautifyAspectRatio::ratio16x9;
    out = effects.applyBeautifyFrame(settings, solid(400, 400, kYellow));
    ASSERT_EQ(out.size(), QSize(825, 464));
    const Span columns = photoColumns(out, 232);
    EXPECT_EQ(columns.last - columns.first + 1, 400);
    EXPECT_EQ(columns.first, 213); // round(425 / 2)
}

TEST(Frame, NegativeRadiusGivesSquareCorners) {
    const StudioEffectsService effects;
    BeautifySettings settings = enabledFrame();
    settings.cornerRadius = -5;
    const QImage out = effects.applyBeautifyFrame(settings, solid(400, 300, kYellow));
    // The corner pixels themselves are lightened by both strokes of the hairline.
    EXPECT_GT(out.pixelColor(32, 32).red(), 240);
    EXPECT_GT(out.pixelColor(431, 331).red(), 240);
    EXPECT_TRUE(isPhoto(out, 33, 33));
    EXPECT_TRUE(isPhoto(out, 430, 330));
    EXPECT_FALSE(isPhoto(out, 31, 31));
}

TEST(Frame, ShadowAppearsAboveTheThresholdAndFallsBelowTheCard) {
    const StudioEffectsService effects;
    const QImage photo = solid(400, 300, kYellow);
    BeautifySettings settings = enabledFrame();
    settings.shadowIntensity = 0;
    const QImage none = effects.applyBeautifyFrame(settings, photo);
    settings.shadowIntensity = 0.01;
    EXPECT_EQ(effects.applyBeautifyFrame(settings, photo), none) << "0.01 casts no shadow";

    // 0.02: blur 16 (the least), offset 5.12 down, at alpha 0.013: faint but real.
    settings.shadowIntensity = 0.02;
    const QImage faint = effects.applyBeautifyFrame(settings, photo);
    EXPECT_NE(faint, none);
    EXPECT_GE(none.pixelColor(232, 336).blue() - faint.pixelColor(232, 336).blue(), 1);

    // A strong shadow: darker below the card than above it, fading with distance, and soft
    // (still there 16 pixels below, where a hard copy moved 5 pixels could not reach).
    settings.shadowIntensity = 1;
    const QImage strong = effects.applyBeautifyFrame(settings, photo);
    const auto darkening = [&](int x, int y) {
        return none.pixelColor(x, y).lightness() - strong.pixelColor(x, y).lightness();
    };
    EXPECT_GT(darkening(232, 334), darkening(232, 29));
    EXPECT_GT(darkening(232, 334), darkening(232, 348));
    EXPECT_GT(darkening(232, 348), 2);
    EXPECT_GT(darkening(28, 182), 2) << "beside the card too";
    EXPECT_EQ(strong.pixelColor(232, 182), kYellow) << "never over the photo";
}

TEST(Frame, PhotoKeepsItsOrientationAndShowsTheCardThroughTransparency) {
    const StudioEffectsService effects;
    QImage photo(200, 100, QImage::Format_RGBA8888_Premultiplied);
    photo.fill(Qt::transparent);
    {
        QPainter painter(&photo);
        painter.fillRect(0, 0, 200, 20, Qt::red); // the top rows
    }
    BeautifySettings settings = enabledFrame();
    const QImage out = effects.applyBeautifyFrame(settings, photo);
    // Padding 24 (16 is below the least), so the photo's top row is canvas row 24.
    ASSERT_EQ(out.size(), QSize(248, 148));
    EXPECT_EQ(out.pixelColor(124, 30), QColor(Qt::red));
    EXPECT_TRUE(near(out.pixelColor(124, 100), QColor::fromRgbF(0.1f, 0.1f, 0.12f), 1)) << "the card under the photo";
}

TEST(Frame, HostileSettingsGiveBackTheInput) {
    const StudioEffectsService effects;
    const QImage photo = solid(40, 30, kYellow);
    BeautifySettings settings = enabledFrame();
    for (double padding : {1e12, std::nan(""), std::numeric_limits<double>::infinity()}) {
        settings.padding = padding;
        EXPECT_EQ(effects.applyBeautifyFrame(settings, photo).cacheKey(), photo.cacheKey()) << padding;
    }
    settings = enabledFrame();
    settings.cornerRadius = std::nan("");
    settings.shadowIntensity = std::nan("");
    EXPECT_EQ(effects.applyBeautifyFrame(settings, photo).size(), QSize(88, 78)) << "square, unshadowed";
    settings.cornerRadius = 1e9; // no rounder than half the card
    EXPECT_EQ(effects.applyBeautifyFrame(settings, photo).size(), QSize(88, 78));
}

TEST(Frame, OpaquePhotosLookTheSameAsPhotosWithTransparency) {
    // An opaque photo's interior is copied rather than painted; one translucent pixel sends the
    // same photo down the fully painted road, and the two frames must agree.
    const StudioEffectsService effects;
    const QImage opaque = hopper().scaled(300, 200);
    QImage translucent = opaque.copy();
    translucent.setPixelColor(299, 199, QColor(0, 0, 0, 254));
    BeautifySettings settings = enabledFrame();
    settings.showWindowBar = true;
    const QImage a = effects.applyBeautifyFrame(settings, opaque);
    const QImage b = effects.applyBeautifyFrame(settings, translucent);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_LT(testsupport::meanAbsoluteDifference(a, b), 0.05);
    EXPECT_EQ(a.pixelColor(150, 150), b.pixelColor(150, 150));
}
