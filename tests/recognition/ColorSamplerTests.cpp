#include "core/imaging/ColorSamplerService.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// A 3 × 3 image whose pixel (x, y) holds red = 10·x + 1, green = 10·y + 2, blue 200, opaque.
QImage gridImage() {
    QImage image(3, 3, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            uchar* p = image.scanLine(y) + 4 * x;
            p[0] = static_cast<uchar>(10 * x + 1);
            p[1] = static_cast<uchar>(10 * y + 2);
            p[2] = 200;
            p[3] = 255;
        }
    return image;
}

SampledColor gridColor(int x, int y) { return {10 * x + 1, 10 * y + 2, 200, 255}; }

} // namespace

TEST(ColorSampler, UnitPointsPickTheRightPixelAndClampAtTheEdges) {
    const ColorSamplerService sampler;
    const QImage image = gridImage();
    EXPECT_EQ(sampler.sampleColor(image, 0, 0), gridColor(0, 0));
    EXPECT_EQ(sampler.sampleColor(image, 1, 1), gridColor(2, 2));      // bottom-right, not out of range
    EXPECT_EQ(sampler.sampleColor(image, 0.5, 0.5), gridColor(1, 1));  // centre of 3 × 3
    EXPECT_EQ(sampler.sampleColor(image, 0.99, 0.0), gridColor(2, 0)); // y counts from the top
    EXPECT_EQ(sampler.sampleColor(image, 0.34, 0.67), gridColor(1, 2));
    EXPECT_EQ(sampler.sampleColor(image, -3, 7), gridColor(0, 2));
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(sampler.sampleColor(image, inf, -inf), gridColor(2, 0));
    EXPECT_EQ(sampler.sampleColor(image, 1e300, 0.5), gridColor(2, 1));
}

TEST(ColorSampler, UnreadablePointsAndEmptyImagesGiveNothing) {
    const ColorSamplerService sampler;
    EXPECT_FALSE(sampler.sampleColor(QImage(), 0.5, 0.5));
    EXPECT_FALSE(sampler.sampleColor(QImage(0, 5, QImage::Format_RGBA8888_Premultiplied), 0.5, 0.5));
    EXPECT_FALSE(sampler.sampleColor(gridImage(), std::nan(""), 0.5));
}

TEST(ColorSampler, UndoesPremultiplicationByIntegerDivision) {
    const ColorSamplerService sampler;
    QImage image(2, 1, QImage::Format_RGBA8888_Premultiplied);
    uchar* p = image.scanLine(0);
    const uchar bytes[] = {128, 0, 0, 128, /* second pixel */ 50, 100, 3, 101};
    std::copy(std::begin(bytes), std::end(bytes), p);

    const auto red = sampler.sampleColor(image, 0, 0);
    ASSERT_TRUE(red);
    EXPECT_EQ(*red, (SampledColor{255, 0, 0, 128}));
    EXPECT_EQ(red->hexString(), "#FF0000");

    // 50·255/101 = 126.2 -> 126, 100·255/101 = 252.5 -> 252, 3·255/101 = 7.6 -> 7: rounded down.
    EXPECT_EQ(sampler.sampleColor(image, 0.9, 0), (SampledColor{126, 252, 7, 101}));

    QImage clear(1, 1, QImage::Format_RGBA8888_Premultiplied);
    clear.fill(Qt::transparent);
    EXPECT_EQ(sampler.sampleColor(clear, 0.5, 0.5), (SampledColor{0, 0, 0, 0}));
}

TEST(ColorSampler, AcceptsImagesOfOtherPixelFormats) {
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(QColor(255, 128, 0, 255));
    EXPECT_EQ(ColorSamplerService().sampleColor(image, 0.3, 0.8), (SampledColor{255, 128, 0, 255}));
}

TEST(SampledColorTexts, HexRgbAndHsl) {
    const SampledColor orange{255, 128, 0, 255};
    EXPECT_EQ(orange.hexString(), "#FF8000");
    EXPECT_EQ(orange.rgbString(), "rgb(255, 128, 0)");
    EXPECT_EQ(orange.hslString(), "hsl(30, 100%, 50%)");

    const SampledColor small{7, 8, 9, 255};
    EXPECT_EQ(small.rgbString(), "rgb(7, 8, 9)");
    EXPECT_EQ(small.hexString(), "#070809");
    // Saturation 12.5 and hue 120.5 are exact ties: C's "%.0f" gives the even neighbour.
    EXPECT_EQ(small.hslString(), "hsl(210, 12%, 3%)");
    EXPECT_EQ((SampledColor{0, 120, 1, 255}).hslString(), "hsl(120, 100%, 24%)");

    EXPECT_EQ((SampledColor{0, 0, 0, 255}).hslString(), "hsl(0, 0%, 0%)");
    EXPECT_EQ((SampledColor{255, 255, 255, 255}).hslString(), "hsl(0, 0%, 100%)");
    EXPECT_EQ((SampledColor{0, 0, 255, 255}).hslString(), "hsl(240, 100%, 50%)");
    EXPECT_EQ((SampledColor{0, 255, 0, 255}).hslString(), "hsl(120, 100%, 50%)");
    // Red maximum with blue above green: the fmod result is negative and wraps to the top of the circle.
    EXPECT_EQ((SampledColor{255, 0, 128, 255}).hslString(), "hsl(330, 100%, 50%)");
    EXPECT_EQ((SampledColor{64, 128, 128, 255}).hslString(), "hsl(180, 33%, 38%)");
    // Alpha never shows in the texts.
    EXPECT_EQ((SampledColor{255, 0, 0, 10}).hexString(), "#FF0000");
}

TEST(ColorSamplerCli, PrintsTheColourTexts) {
    QTemporaryDir dir;
    QImage image(10, 10, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(0, 0, 255));
    image.setPixelColor(9, 9, QColor(7, 8, 9));
    const QString path = testsupport::writeImage(dir, QStringLiteral("dot.png"), image);

    const auto result = testsupport::runCli({QStringLiteral("sample"), path, QStringLiteral("1"), QStringLiteral("1")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("#070809")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("rgb(7, 8, 9)"));

    const auto centre = testsupport::runCli({QStringLiteral("sample"), path, QStringLiteral("0.5"), QStringLiteral("0.5")});
    EXPECT_TRUE(centre.out.contains("hsl(240, 100%, 50%)")) << centre.out.toStdString();

    EXPECT_NE(testsupport::runCli({QStringLiteral("sample"), path, QStringLiteral("x"), QStringLiteral("1")}).exitCode, 0);
    EXPECT_NE(testsupport::runCli({QStringLiteral("sample"), dir.path() + "/missing.png", "0", "0"}).exitCode, 0);
}
