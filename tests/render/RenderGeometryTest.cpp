// The render's edge cases of identity and geometry: what comes back, its size, and where each
// pixel lands.
#include "core/imaging/RenderGeometry.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/SeparableStraighten.h"
#include "tests/render/RenderTestImages.h"

#include <gtest/gtest.h>
#include <limits>

using namespace rendertest;

namespace {

const ImageRenderEngine engine;

TEST(RenderIdentity, DefaultRecipeReturnsTheSameBitmapEvenWithCrop) {
    const QImage source = coordinates(40, 30);
    EditAdjustments a;
    EXPECT_EQ(engine.render(source, a, true).cacheKey(), source.cacheKey());
    EXPECT_EQ(engine.render(source, a, false).cacheKey(), source.cacheKey());
    a.quarterTurns = 4; // a whole turn is no turn
    a.exposure = 0.0005;
    EXPECT_EQ(engine.render(source, a, true).cacheKey(), source.cacheKey());
}

TEST(RenderIdentity, NegativeClarityDoesNothingWhileNegativeExposureDarkens) {
    const QImage source = solid(20, 20, QColor(128, 128, 128));
    EditAdjustments a;
    a.clarity = -0.5;
    EXPECT_EQ(engine.render(source, a, true), source);
    a = EditAdjustments();
    a.exposure = -0.5;
    const QImage out = engine.render(source, a, true);
    EXPECT_LT(out.pixelColor(10, 10).red(), 110);
    EXPECT_EQ(out.format(), QImage::Format_RGBA8888_Premultiplied);
}

TEST(RenderGeometry, QuarterTurnsAreClockwiseExactMoves) {
    const QImage source = coordinates(400, 300);
    EditAdjustments a;
    a.quarterTurns = 1;
    const QImage once = engine.render(source, a, true);
    ASSERT_EQ(once.size(), QSize(300, 400));
    // Clockwise: the source's bottom-left corner becomes the top-left, its top-left the top-right.
    EXPECT_EQ(at(once, 0, 0), at(source, 0, 299));
    EXPECT_EQ(at(once, 299, 0), at(source, 0, 0));
    EXPECT_EQ(at(once, 120, 57), at(source, 57, 299 - 120));
    a.quarterTurns = 2;
    const QImage twice = engine.render(source, a, true);
    ASSERT_EQ(twice.size(), QSize(400, 300));
    EXPECT_EQ(at(twice, 0, 0), at(source, 399, 299));
    EXPECT_EQ(at(twice, 10, 20), at(source, 389, 279));
    a.quarterTurns = -1; // three clockwise turns
    const QImage back = engine.render(source, a, true);
    ASSERT_EQ(back.size(), QSize(300, 400));
    EXPECT_EQ(at(back, 0, 0), at(source, 399, 0));
}

TEST(RenderGeometry, FlipsComeBeforeTheTurn) {
    const QImage source = coordinates(40, 30);
    EditAdjustments a;
    a.flipHorizontal = true;
    const QImage mirrored = engine.render(source, a, true);
    EXPECT_EQ(at(mirrored, 0, 5), at(source, 39, 5));
    a.flipHorizontal = false;
    a.flipVertical = true;
    EXPECT_EQ(at(engine.render(source, a, true), 3, 0), at(source, 3, 29));
    a.flipVertical = false;
    a.flipHorizontal = true;
    a.quarterTurns = 1;
    const QImage turned = engine.render(source, a, true);
    ASSERT_EQ(turned.size(), QSize(30, 40));
    // Mirror first (x -> 39 − x), then turn clockwise: output (u, v) is mirrored (v, 29 − u).
    for (auto [u, v] : {std::pair{0, 0}, {29, 0}, {7, 33}, {29, 39}})
        EXPECT_EQ(at(turned, u, v), at(source, 39 - v, 29 - u)) << u << "," << v;
}

TEST(RenderGeometry, StraightenKeepsTheSizeAndFillsEveryCorner) {
    // A white picture with alpha 255 everywhere: an empty corner would show as transparent.
    const QImage source = solid(400, 300, Qt::white);
    EditAdjustments a;
    a.straightenDegrees = 10;
    const QImage out = engine.render(source, a, true);
    ASSERT_EQ(out.size(), QSize(400, 300));
    for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 299}, {399, 299}, {200, 150}})
        EXPECT_EQ(out.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    // The picture turns clockwise: a mark right of the centre moves down.
    QImage marked = coordinates(400, 300);
    for (int y = 148; y < 152; ++y)
        for (int x = 300; x < 304; ++x)
            marked.setPixelColor(x, y, Qt::black);
    const QImage turned = engine.render(marked, a, true);
    const double c = std::cos(10 * M_PI / 180), s = std::sin(10 * M_PI / 180);
    const double scale = std::max((c * 400 + s * 300) / 400, (s * 400 + c * 300) / 300);
    const int ex = int(200 + scale * c * 102), ey = int(150 + scale * s * 102);
    EXPECT_LT(turned.pixelColor(ex, ey).lightness(), 60);
}

TEST(RenderGeometry, CropTakesTheNamedRectangleOnlyWhenAsked) {
    const QImage source = coordinates(400, 300);
    EditAdjustments a;
    a.cropRect = NormalizedCropRect(0.25, 0.25, 0.5, 0.5);
    const QImage cropped = engine.render(source, a, true);
    ASSERT_EQ(cropped.size(), QSize(200, 150));
    EXPECT_EQ(at(cropped, 0, 0), at(source, 100, 75)); // measured from the top-left
    EXPECT_EQ(at(cropped, 199, 149), at(source, 299, 224));
    EXPECT_EQ(engine.render(source, a, false).size(), QSize(400, 300));
    // Off-centre, to tell the top-left origin from the bottom-left one.
    a.cropRect = NormalizedCropRect(0.1, 0.2, 0.3, 0.3);
    const QImage corner = engine.render(source, a, true);
    ASSERT_EQ(corner.size(), QSize(120, 90));
    EXPECT_EQ(at(corner, 0, 0), at(source, 40, 60));
}

TEST(RenderGeometry, TinyCropsAreRaisedOrSkipped) {
    EditAdjustments a;
    a.cropRect = NormalizedCropRect::unclamped(0, 0, 0.001, 0.001);
    EXPECT_EQ(engine.render(coordinates(1000, 1000), a, true).size(), QSize(50, 50));
    const QImage small = coordinates(20, 20);
    a.cropRect = NormalizedCropRect::unclamped(0.5, 0.5, 0.05, 0.05); // one pixel
    const QImage out = engine.render(small, a, true);
    EXPECT_EQ(out.size(), QSize(20, 20));
    EXPECT_EQ(out, small);
}

TEST(RenderGeometry, CropFollowsTheTurnAndColourFollowsTheSource) {
    const QImage source = coordinates(400, 300);
    EditAdjustments a;
    a.quarterTurns = 1;
    a.cropRect = NormalizedCropRect(0, 0, 0.5, 0.25); // of the turned 300 x 400 frame
    a.exposure = 0.5;
    const QImage out = engine.render(source, a, true);
    ASSERT_EQ(out.size(), QSize(150, 100));
    a.cropRect = NormalizedCropRect::full;
    const QImage whole = engine.render(source, a, true);
    EXPECT_EQ(out, whole.copy(0, 0, 150, 100)); // a cropped render is the same pixels
}

TEST(RenderHostileRecipes, InfinitiesAndNotANumberNeverCrash) {
    const QImage source = coordinates(64, 48);
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    for (double value : {nan, inf, -inf, 1e300}) {
        EditAdjustments a;
        a.exposure = value;
        a.brightness = 0.1;
        a.contrast = value;
        a.vibrance = value;
        a.warmth = value;
        a.tint = value;
        a.shadows = value;
        a.clarity = value;
        a.sharpness = value;
        a.vignette = value;
        a.grain = value;
        a.straightenDegrees = value;
        a.cropRect = NormalizedCropRect::unclamped(value, value, value, value);
        a.quarterTurns = std::numeric_limits<std::int64_t>::min() + 1;
        const QImage out = engine.render(source, a, true, value);
        EXPECT_FALSE(out.isNull());
        EXPECT_GE(out.width(), 1);
    }
    // Transparent pixels stay transparent through colour work.
    QImage clear(10, 10, QImage::Format_RGBA8888_Premultiplied);
    clear.fill(Qt::transparent);
    EditAdjustments a;
    a.exposure = 1;
    a.grain = 1;
    EXPECT_EQ(engine.render(clear, a, true).pixelColor(5, 5).alpha(), 0);
}

} // namespace

namespace {

EditAdjustments colourAndDetail() {
    EditAdjustments a;
    a.exposure = 0.3;
    a.contrast = 1.2;
    a.vibrance = 0.4;
    a.highlights = 0.7;
    a.shadows = 0.4;
    a.clarity = 0.8;
    a.sharpness = 0.6;
    a.vignette = 0.5;
    a.grain = 0.3;
    a.filterPreset = PhotoFilterPreset::portra;
    return a;
}

} // namespace

// An export gives its decoded photo up so the result can take its memory; that must change
// nothing about the pixels, and a bitmap someone else still holds must never be written.
TEST(RenderGivenUpSource, SamePixelsAndASharedBitmapIsNeverWritten) {
    const EditAdjustments a = colourAndDetail();
    const QImage original = textured(123, 77); // odd sizes: vector bodies and scalar tails both
    const QImage expected = engine.render(original, a, true);

    QImage owned = original.copy();
    const uchar* ownedBits = owned.constBits();
    const QImage result = engine.render(std::move(owned), a, true);
    EXPECT_EQ(result, expected);
    EXPECT_EQ(result.constBits(), ownedBits); // the given-up bitmap was reused

    QImage shared = original;
    const QImage fromShared = engine.render(std::move(shared), a, true);
    EXPECT_EQ(fromShared, expected);
    EXPECT_NE(fromShared.constBits(), original.constBits());
    EXPECT_EQ(original, textured(123, 77));

    // With a move of pixels (a turn) the source can't be the result's frame: a new bitmap.
    EditAdjustments turned = a;
    turned.quarterTurns = 1;
    QImage owned2 = original.copy();
    const QImage turnedResult = engine.render(std::move(owned2), turned, true);
    EXPECT_EQ(turnedResult, engine.render(original, turned, true));
    EXPECT_EQ(turnedResult.size(), QSize(77, 123));
}

// Widths around the four-pixel vector bodies render each column the same as a wider picture's
// matching columns would: the tails agree with the vector paths.
TEST(RenderGivenUpSource, NarrowWidthsAgreeWithTheVectorPath) {
    EditAdjustments a;
    a.exposure = 0.5;
    a.saturation = 1.3;
    a.filterPreset = PhotoFilterPreset::fade; // a prepared table lookup
    const QImage wide = textured(64, 9);
    const QImage wideOut = engine.render(wide, a, true);
    for (int width : {1, 2, 3, 5, 7}) {
        const QImage narrow = wide.copy(0, 0, width, 9);
        const QImage narrowOut = engine.render(narrow, a, true);
        ASSERT_EQ(narrowOut.size(), narrow.size());
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(narrowOut.pixel(x, y), wideOut.pixel(x, y)) << width << " at " << x << "," << y;
    }
}

// The check of the test below for one angle: every pixel away from the rim reads the ramp at
// its mapped point.
void checkStraightenedRamp(const QImage& ramp, double degrees, bool flipped) {
    const int w = ramp.width(), h = ramp.height();
    EditAdjustments a;
    a.straightenDegrees = degrees;
    a.flipHorizontal = flipped;
    const QImage out = engine.render(ramp, a, true);
    ASSERT_EQ(out.size(), ramp.size());
    const double angle = degrees * M_PI / 180, c = std::cos(angle), s = std::sin(angle);
    const double scale = std::max((c * w + std::abs(s) * h) / w, (std::abs(s) * w + c * h) / h);
    const double cx = 0.5 * w, cy = 0.5 * h;
    int checked = 0;
    for (int v = 0; v < h; ++v)
        for (int u = 0; u < w; ++u) {
            const double px = (u + 0.5 - cx) / scale, py = (v + 0.5 - cy) / scale;
            const double sx = cx + c * px + s * py - 0.5, sy = cy - s * px + c * py - 0.5;
            if (sx < 2 || sy < 2 || sx > w - 3 || sy > h - 3) continue; // taps clamped at the rim
            const QColor got = out.pixelColor(u, v);
            ASSERT_NEAR(got.red(), flipped ? w - 1 - sx : sx, 0.75) << u << "," << v;
            ASSERT_NEAR(got.green(), 4 * sy, 0.75) << u << "," << v;
            ASSERT_EQ(got.blue(), 128) << u << "," << v;
            ++checked;
        }
    EXPECT_GT(checked, w * h / 2);
}

// Catmull-Rom reproduces a linear ramp exactly, so a straightened ramp must read, at every
// pixel, the ramp's value at the point the turn and the fill scale map it to: wrong weights, a
// wrong phase or two neighbouring pixels mixed up (the resampling runs two at a time where the
// processor allows) all show.
TEST(RenderGeometry, StraightenedRampReadsTheRampAtEveryMappedPoint) {
    // Whole levels at every pixel (red x, green 4y), so the only errors left are the output's
    // rounding and the 1/256-pixel phase: half a level. A steep ramp and a large angle make
    // neighbouring pixels' phases differ by a third of a pixel, over a level of green. Small
    // angles take the two-pass resampler's vector paths (including groups of pixels that
    // straddle a row), the flipped picture and 30° its scalar ones or the 4 x 4 filter.
    const int w = 256, h = 61;
    QImage ramp(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ramp.setPixelColor(x, y, QColor(x, 4 * y, 128));
    for (double degrees : {30.0, 2.5, -4.0, 7.0})
        for (bool flipped : {false, true}) {
            SCOPED_TRACE(testing::Message() << degrees << "° flipped " << flipped);
            checkStraightenedRamp(ramp, degrees, flipped);
        }
}

// A picture stored by component, as the render hands it to the two-pass resampler.
PlanarBytes byComponent(const QImage& picture, bool opaque) {
    PlanarBytes planar = PlanarBytes::allocate(picture.size());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            for (int c = 0; c < 4; ++c)
                planar.plane(y, c)[x] = picture.constScanLine(y)[x * 4 + c];
    planar.opaque = opaque;
    return planar;
}

// The comparison of the test below for one size and angle.
void checkTwoPassAgainstFourByFour(QSize size, double degrees, bool opaque) {
    QImage picture = textured(size.width(), size.height());
    for (int y = 0; y < picture.height() && !opaque; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, row += 4) {
            const int alpha = 255 - (x * 3 + y) % 97;
            for (int c = 0; c < 3; ++c)
                row[c] = uchar(row[c] * alpha / 255);
            row[3] = uchar(alpha);
        }
    }
    const PlanarBytes planar = byComponent(picture, opaque);
    {
        EditAdjustments a;
        a.straightenDegrees = degrees;
        a.cropRect = NormalizedCropRect(0.1, 0.05, 0.8, 0.9);
        const RenderGeometry geometry(picture.size(), a, true);
        const separableStraighten::Map map = geometry.affineMap(QPoint(0, 0));
        ASSERT_TRUE(separableStraighten::suits(map));
        const QImage twoPass = separableStraighten::apply(planar, map, geometry.outputSize());
        const QImage fourByFour = geometry.apply(picture, QPoint(0, 0));
        ASSERT_EQ(twoPass.size(), fourByFour.size());
        double total = 0;
        int largest = 0;
        for (int y = 0; y < twoPass.height(); ++y)
            for (int x = 0; x < twoPass.width() * 4; ++x) {
                const int d =
                    std::abs(int(twoPass.constScanLine(y)[x]) - int(fourByFour.constScanLine(y)[x]));
                largest = std::max(largest, d);
                total += d;
            }
        EXPECT_LE(largest, 8); // at hard edges of the texture; a wrong tap is off by tens of levels
        EXPECT_LT(total / (double(twoPass.width()) * twoPass.height() * 4), 0.35);
    }
}

// The two-pass resampler against the 4 x 4 filter on a textured picture with alpha, at angles
// and proportions that take each of its paths (vector groups spanning one or two rows, one to
// four shifts, the scalar fallbacks of a panorama's wider steps and at the rims): the same
// continuous interpolation, so the two agree to rounding, and no group of pixels comes out
// wrong. Steep angles are not its to do.
TEST(RenderGeometry, TwoPassStraightenAgreesWithTheFourByFourFilter) {
    for (QSize size : {QSize(203, 131), QSize(420, 100)})
        for (double degrees : {1.0, 2.5, -6.0, 8.0})
            for (bool opaque : {false, true}) {
                SCOPED_TRACE(testing::Message() << degrees << "° " << size.width() << " x " << size.height()
                                                << (opaque ? " opaque" : ""));
                checkTwoPassAgainstFourByFour(size, degrees, opaque);
            }
    EditAdjustments steep;
    steep.straightenDegrees = 20;
    EXPECT_FALSE(
        separableStraighten::suits(RenderGeometry(QSize(200, 100), steep, true).affineMap(QPoint(0, 0))));
}

// Translucent stripes at full colour for their alpha: the filter overshoots at every edge, and
// the result must stay premultiplied (no component above alpha) wherever it was computed.
TEST(RenderGeometry, TwoPassStraightenKeepsColourWithinAlpha) {
    QImage picture(160, 90, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, row += 4) {
            const uchar level = ((x / 3 + y / 3) % 2) ? 128 : 0;
            row[0] = row[1] = row[2] = level;
            row[3] = 128;
        }
    }
    EditAdjustments a;
    a.straightenDegrees = 3;
    const RenderGeometry geometry(picture.size(), a, true);
    const separableStraighten::Map map = geometry.affineMap(QPoint(0, 0));
    ASSERT_TRUE(separableStraighten::suits(map));
    const QImage out = separableStraighten::apply(byComponent(picture, false), map, geometry.outputSize());
    int atAlpha = 0;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const uchar* p = out.constScanLine(y) + x * 4;
            ASSERT_EQ(p[3], 128) << x << "," << y;
            for (int c = 0; c < 3; ++c)
                ASSERT_LE(p[c], p[3]) << x << "," << y;
            atAlpha += p[0] == 128;
        }
    EXPECT_GT(atAlpha, out.width() * out.height() / 10);
}

// Tiny and thin pictures straighten through the two-pass resampler's edge paths (rows narrower
// than a vector group, windows that would leave the row) and agree with the 4 x 4 filter.
TEST(RenderGeometry, TwoPassStraightenHandlesTinyPictures) {
    int resampled = 0;
    for (QSize size : {QSize(1, 1), QSize(2, 3), QSize(5, 2), QSize(7, 9), QSize(9, 7), QSize(17, 3),
                       QSize(3, 17), QSize(40, 11)})
        for (double degrees : {1.0, -3.0, 7.5}) {
            SCOPED_TRACE(testing::Message()
                         << size.width() << " x " << size.height() << " " << degrees << "°");
            const QImage picture = textured(size.width(), size.height());
            const PlanarBytes planar = byComponent(picture, true);
            EditAdjustments a;
            a.straightenDegrees = degrees;
            const RenderGeometry geometry(size, a, true);
            const separableStraighten::Map map = geometry.affineMap(QPoint(0, 0));
            if (!separableStraighten::suits(map)) continue;
            ++resampled;
            const QImage twoPass = separableStraighten::apply(planar, map, geometry.outputSize());
            const QImage fourByFour = geometry.apply(picture, QPoint(0, 0));
            ASSERT_EQ(twoPass.size(), fourByFour.size());
            for (int y = 0; y < twoPass.height(); ++y)
                for (int x = 0; x < twoPass.width() * 4; ++x)
                    ASSERT_NEAR(twoPass.constScanLine(y)[x], fourByFour.constScanLine(y)[x], 12)
                        << x / 4 << "," << y;
            EXPECT_EQ(engine.render(picture, a, true).size(), size);
        }
    EXPECT_GE(resampled, 20);
}
