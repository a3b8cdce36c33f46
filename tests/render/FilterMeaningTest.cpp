// What each recipe step means, checked on small synthetic pictures through the engine, and the
// filters' own parameters where the engine's values are fixed.
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/filters/ColorControls.h"
#include "core/imaging/filters/GaussianBlur.h"
#include "core/imaging/filters/PhotoEffect.h"
#include "core/imaging/filters/TemperatureAndTint.h"
#include "core/imaging/filters/Vibrance.h"
#include "tests/render/RenderTestImages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <array>
#include <numeric>

using namespace rendertest;

namespace {

const ImageRenderEngine engine;

QColor renderOne(QColor color, const EditAdjustments& a) {
    return engine.render(solid(8, 8, color), a, true).pixelColor(4, 4);
}

TEST(LightAndColour, ExposureOneStopDoublesLinearLight) {
    EditAdjustments a;
    a.exposure = 1;
    for (int code : {30, 60, 100, 150}) {
        const QColor out = renderOne(QColor(code, code, code), a);
        EXPECT_NEAR(linear(out.red()) / linear(code), 2.0, 0.05) << code;
    }
    a.exposure = -1;
    EXPECT_NEAR(linear(renderOne(QColor(200, 200, 200), a).green()) / linear(200), 0.5, 0.02);
}

TEST(LightAndColour, ContrastPivotsOnMidGreyAndSaturationZeroGivesGrey) {
    EditAdjustments a;
    a.contrast = 1.5;
    EXPECT_NEAR(renderOne(QColor(128, 128, 128), a).red(), 128, 1);
    EXPECT_LT(renderOne(QColor(60, 60, 60), a).red(), 50);
    EXPECT_GT(renderOne(QColor(200, 200, 200), a).red(), 215);
    a = EditAdjustments();
    a.saturation = 0;
    const QColor grey = renderOne(QColor(200, 80, 40), a);
    EXPECT_NEAR(grey.red(), grey.green(), 1);
    EXPECT_NEAR(grey.green(), grey.blue(), 1);
    EXPECT_NEAR(grey.red(), 0.2126 * 200 + 0.7152 * 80 + 0.0722 * 40, 2);
    a = EditAdjustments();
    a.brightness = 0.1;
    EXPECT_NEAR(renderOne(QColor(100, 100, 100), a).red(), 100 + 25.5, 1.5);
}

double chroma(QColor c) {
    return std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
}

TEST(LightAndColour, VibranceFavoursDullColoursAndSparesSkin) {
    EditAdjustments a;
    a.vibrance = 1;
    const QColor dull(120, 130, 150), vivid(30, 80, 230);
    const double dullGain = chroma(renderOne(dull, a)) / chroma(dull);
    const double vividGain = chroma(renderOne(vivid, a)) / chroma(vivid);
    EXPECT_GT(dullGain, 1.3);
    EXPECT_LT(vividGain, 1.1);
    // A skin tone of the same chroma as a dull blue gains less.
    const QColor skin(200, 160, 130), blue(130, 160, 200);
    EXPECT_LT(chroma(renderOne(skin, a)) / chroma(skin), chroma(renderOne(blue, a)) / chroma(blue) - 0.2);
    float r = 0.5f, g = 0.5f, b = 0.5f;
    Vibrance{1}.apply(r, g, b);
    EXPECT_FLOAT_EQ(r, 0.5f); // grey has no colour to raise
}

TEST(LightAndColour, WarmthWarmsAGreyAndTintMovesGreenMagenta) {
    EditAdjustments a;
    a.warmth = 1;
    const QColor warm = renderOne(QColor(128, 128, 128), a);
    EXPECT_GT(warm.red(), warm.blue() + 20);
    a.warmth = -1;
    const QColor cool = renderOne(QColor(128, 128, 128), a);
    EXPECT_GT(cool.blue(), cool.red() + 20);
    a.warmth = 0;
    a.tint = 1; // the light is taken as more magenta, so the picture turns green
    const QColor green = renderOne(QColor(128, 128, 128), a);
    EXPECT_GT(green.green(), green.red() + 5);
    EXPECT_GT(green.green(), green.blue() + 5);
    a.tint = -1;
    const QColor magenta = renderOne(QColor(128, 128, 128), a);
    EXPECT_LT(magenta.green() + 5, magenta.red());
    EXPECT_LT(magenta.green() + 5, magenta.blue());
    // The sliders' ends name these lights, each mapped to daylight.
    const TemperatureAndTint warmest = TemperatureAndTint::fromWarmthAndTint(1, 0);
    EXPECT_EQ(warmest.neutral, (std::array<double, 2>{8900, 0}));
    EXPECT_EQ(warmest.targetNeutral, (std::array<double, 2>{6500, 0}));
    const TemperatureAndTint coolest = TemperatureAndTint::fromWarmthAndTint(-1, -1);
    EXPECT_EQ(coolest.neutral, (std::array<double, 2>{4100, -80}));
    EXPECT_EQ(coolest.targetNeutral, (std::array<double, 2>{6500, 0}));
    // Equal lights change nothing; the Planckian locus is where it should be.
    const auto identity = TemperatureAndTint{{5000, 10}, {5000, 10}}.matrix();
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(identity[i], i % 4 == 0 ? 1 : 0, 1e-5);
    const auto xy = TemperatureAndTint::chromaticity(6500, 0);
    EXPECT_NEAR(xy[0], 0.3135, 0.001);
    EXPECT_NEAR(xy[1], 0.3237, 0.001);
}

TEST(Tones, HighlightsAndShadowsEachLeaveTheOtherEndAlone) {
    // Left half dark, right half bright.
    QImage image(200, 100, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            image.setPixelColor(x, y, x < 100 ? QColor(30, 30, 30) : QColor(225, 225, 225));
    EditAdjustments a;
    a.highlights = 0.3;
    QImage out = engine.render(image, a, true);
    EXPECT_EQ(out.pixelColor(20, 50), QColor(30, 30, 30));
    EXPECT_LT(out.pixelColor(180, 50).red(), 205);
    a = EditAdjustments();
    a.shadows = 0.8;
    out = engine.render(image, a, true);
    EXPECT_GT(out.pixelColor(20, 50).red(), 50);
    EXPECT_EQ(out.pixelColor(180, 50), QColor(225, 225, 225));
    // No halo: the dark side right next to the edge is lifted like the rest of the dark side.
    EXPECT_NEAR(out.pixelColor(97, 50).red(), out.pixelColor(20, 50).red(), 12);
}

TEST(Detail, ClarityAndSharpnessRaiseLocalContrastOnly) {
    const QImage source = textured(120, 120);
    for (auto field : {&EditAdjustments::clarity, &EditAdjustments::sharpness}) {
        EditAdjustments a;
        a.*field = 1;
        const QImage out = engine.render(source, a, true);
        // Mean kept (within a level), differences across the checker edges grown.
        EXPECT_NEAR(meanLuma(out), meanLuma(source), 1.5);
        auto edge = [](const QImage& im) {
            return std::abs(im.pixelColor(59, 60).green() - im.pixelColor(60, 60).green());
        };
        EXPECT_GT(edge(out), edge(source));
    }
}

TEST(Detail, VignetteDarkensTheCornersNotTheCentre) {
    EditAdjustments a;
    a.vignette = 1;
    const QImage out = engine.render(solid(300, 200, QColor(180, 180, 180)), a, true);
    EXPECT_NEAR(out.pixelColor(150, 100).red(), 180, 1);
    EXPECT_LT(out.pixelColor(0, 0).red(), 130);
    EXPECT_LT(out.pixelColor(0, 0).red(), out.pixelColor(0, 100).red());
}

TEST(Detail, GrainChangesPixelsWithZeroMeanAndRepeats) {
    const QImage source = solid(200, 200, QColor(120, 120, 120));
    EditAdjustments a;
    a.grain = 1;
    const QImage out = engine.render(source, a, true);
    int changed = 0;
    double sum = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            const int v = out.pixelColor(x, y).red();
            changed += v != 120;
            sum += v - 120;
        }
    EXPECT_GT(changed, 200 * 200 / 2);
    EXPECT_NEAR(sum / (200 * 200), 0.0, 0.3);
    EXPECT_EQ(engine.render(source, a, true), out);
}

TEST(Looks, BlackAndWhiteLooksGiveGreyAndNoirHasMoreContrast) {
    const QImage source = textured(64, 64);
    auto spread = [](const QImage& im) {
        std::vector<int> v;
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < im.width(); ++x)
                v.push_back(im.pixelColor(x, y).red());
        std::sort(v.begin(), v.end());
        return v[v.size() * 95 / 100] - v[v.size() * 5 / 100];
    };
    EditAdjustments a;
    for (auto look : {PhotoFilterPreset::noirBW, PhotoFilterPreset::silverBW}) {
        a.filterPreset = look;
        const QImage out = engine.render(source, a, true);
        for (int y = 0; y < 64; y += 7)
            for (int x = 0; x < 64; x += 5) {
                const QColor c = out.pixelColor(x, y);
                EXPECT_EQ(c.red(), c.green());
                EXPECT_EQ(c.green(), c.blue());
            }
    }
    a.filterPreset = PhotoFilterPreset::noirBW;
    const int noir = spread(engine.render(source, a, true));
    a.filterPreset = PhotoFilterPreset::silverBW;
    const int tonal = spread(engine.render(source, a, true));
    EXPECT_GT(noir, tonal + 15);
}

TEST(Looks, EachLookIsDeterministicAndItsOwn) {
    const QImage source = textured(48, 48);
    std::vector<QImage> renders;
    for (PhotoFilterPreset look : allCases<PhotoFilterPreset>()) {
        if (look == PhotoFilterPreset::original) continue;
        EditAdjustments a;
        a.filterPreset = look;
        const QImage out = engine.render(source, a, true);
        EXPECT_EQ(engine.render(source, a, true), out) << rawValue(look).toStdString();
        EXPECT_GT(testsupport::meanAbsoluteDifference(out, source), 1.0) << rawValue(look).toStdString();
        for (const QImage& other : renders)
            EXPECT_GT(testsupport::meanAbsoluteDifference(out, other), 1.0) << rawValue(look).toStdString();
        renders.push_back(out);
    }
    EXPECT_EQ(renders.size(), 11u);
}

TEST(Looks, FilmEffectsKeepTheirCharacter) {
    auto run = [](PhotoEffect e, float r, float g, float b) {
        photoEffect::table(e).apply(r, g, b);
        return std::array<float, 3>{r, g, b};
    };
    // Instant: warm and faded — black lifted, grey warmer.
    EXPECT_GT(run(PhotoEffect::instant, 0, 0, 0)[0], 0.04f);
    const auto instantGrey = run(PhotoEffect::instant, 0.5f, 0.5f, 0.5f);
    EXPECT_GT(instantGrey[0], instantGrey[2] + 0.03f);
    // Fade: washed out — blacks lifted, whites lowered, colour halved.
    const auto fadeBlack = run(PhotoEffect::fade, 0, 0, 0), fadeWhite = run(PhotoEffect::fade, 1, 1, 1);
    EXPECT_GT(fadeBlack[1], 0.08f);
    EXPECT_LT(fadeWhite[1], 0.97f);
    // Chrome: exaggerated colour. Process: cool cast.
    const auto chromeRed = run(PhotoEffect::chrome, 0.7f, 0.35f, 0.3f);
    EXPECT_GT(chromeRed[0] - chromeRed[1], 0.35f + 0.05f);
    const auto processGrey = run(PhotoEffect::process, 0.3f, 0.3f, 0.3f);
    EXPECT_GT(processGrey[2], processGrey[0] + 0.03f);
}

// A plane whose rows are all alike blurs each row as a lone row would (the vertical pass
// leaves it alike), and likewise for columns: the many-rows-at-once and many-columns-at-once
// paths, their transposes and their tails agree with the single line.
TEST(Blur, BlocksOfRowsAndColumnsAgreeWithASingleLine) {
    const int width = 67, height = 45;
    auto pattern = [](int i) { return float((i * 37) % 11) / 10.0f + (i == 20 ? 3.0f : 0.0f); };
    for (double sigma : {2.5, 7.0}) {
        std::vector<float> row(width), column(height);
        for (int x = 0; x < width; ++x)
            row[x] = pattern(x);
        for (int y = 0; y < height; ++y)
            column[y] = pattern(y);
        std::vector<float> byRows(size_t(width) * height), byColumns(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                byRows[size_t(y) * width + x] = row[x];
                byColumns[size_t(y) * width + x] = column[y];
            }
        gaussianBlurPlane(row.data(), width, 1, sigma);
        gaussianBlurPlane(column.data(), 1, height, sigma);
        gaussianBlurPlane(byRows.data(), width, height, sigma);
        gaussianBlurPlane(byColumns.data(), width, height, sigma);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                ASSERT_NEAR(byRows[size_t(y) * width + x], row[x], 1e-4) << sigma << " " << x << "," << y;
                ASSERT_NEAR(byColumns[size_t(y) * width + x], column[y], 1e-4)
                    << sigma << " " << x << "," << y;
            }
    }
}

TEST(Blur, RecursiveGaussianMatchesTheKernelAtAnyRadius) {
    for (double sigma : {1.0, 3.0, 12.0, 40.0}) {
        const int n = 401;
        std::vector<float> plane(n * 3, 0.0f);
        for (int row = 0; row < 3; ++row)
            plane[row * n + n / 2] = 1.0f; // an impulse in every row
        gaussianBlurPlane(plane.data(), n, 3, sigma);
        const float* row = plane.data() + n; // middle row
        EXPECT_NEAR(std::accumulate(row, row + n, 0.0), 1.0, 0.01) << sigma;
        const double peak = 1.0 / (std::sqrt(2 * M_PI) * sigma);
        EXPECT_NEAR(row[n / 2], peak, peak * 0.06) << sigma;
        const double oneSigma = peak * std::exp(-0.5);
        EXPECT_NEAR(row[n / 2 + int(sigma)], oneSigma, peak * 0.06) << sigma;
    }
}

} // namespace
