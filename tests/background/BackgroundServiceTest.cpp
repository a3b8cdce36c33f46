#include "core/imaging/VisionAIService.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"

#include <gtest/gtest.h>

namespace {

QImage filled(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

QImage greyMask(int w, int h, int grey) { return filled(w, h, QColor(grey, grey, grey)); }

BackgroundStudioSettings withFill(BackgroundFillStyle fill) {
    BackgroundStudioSettings settings;
    settings.fillStyle = fill;
    return settings;
}

TEST(BackgroundComposite, ConstantFillsAndCustomColourAlpha) {
    const VisionAIService service;
    const QImage source = filled(6, 4, QColor(200, 100, 50));
    const QImage background = greyMask(6, 4, 0);
    EXPECT_EQ(service.compositeWithBackground(source, background, withFill(BackgroundFillStyle::transparent))
                  .pixelColor(2, 2)
                  .alpha(),
              0);
    EXPECT_EQ(service.compositeWithBackground(source, background, withFill(BackgroundFillStyle::studioWhite))
                  .pixelColor(2, 2),
              QColor(255, 255, 255));
    EXPECT_EQ(service.compositeWithBackground(source, background, withFill(BackgroundFillStyle::studioBlack))
                  .pixelColor(0, 0),
              QColor(13, 14, 18)); // (0.05, 0.055, 0.07) × 255, rounded
    auto custom = withFill(BackgroundFillStyle::customColor);
    custom.customFillColor = {0.2, 0.4, 0.6, 0.1}; // the alpha is forced to 1
    EXPECT_EQ(service.compositeWithBackground(source, background, custom).pixelColor(5, 3), QColor(51, 102, 153, 255));
    // White keeps the source, grey blends linearly.
    EXPECT_EQ(service.compositeWithBackground(source, greyMask(6, 4, 255), custom).pixelColor(1, 1),
              QColor(200, 100, 50));
    const QColor half = service.compositeWithBackground(source, greyMask(6, 4, 128), withFill(BackgroundFillStyle::studioWhite))
                            .pixelColor(1, 1);
    EXPECT_NEAR(half.red(), (200 * 128 + 255 * 127) / 255, 1);
    EXPECT_NEAR(half.blue(), (50 * 128 + 255 * 127) / 255, 1);
}

TEST(BackgroundComposite, DiagonalGradientsRunCornerToCorner) {
    const VisionAIService service;
    const QImage source = filled(200, 100, Qt::red);
    const QImage out = service.compositeWithBackground(source, greyMask(200, 100, 0), withFill(BackgroundFillStyle::oceanGradient));
    const QColor topLeft = out.pixelColor(0, 0), bottomRight = out.pixelColor(199, 99);
    EXPECT_NEAR(topLeft.redF(), 0.08, 0.02);
    EXPECT_NEAR(topLeft.greenF(), 0.68, 0.02);
    EXPECT_NEAR(bottomRight.greenF(), 0.18, 0.02);
    EXPECT_NEAR(bottomRight.blueF(), 0.48, 0.02);
    // Colours follow the projection on the diagonal: the top-right corner of a 2:1 image lies
    // at 200² / (200² + 100²) = 0.8 of the way.
    EXPECT_NEAR(out.pixelColor(199, 0).greenF(), 0.68 + (0.18 - 0.68) * 0.8, 0.01);
    const QImage sunset = service.compositeWithBackground(source, greyMask(200, 100, 0), withFill(BackgroundFillStyle::sunsetGradient));
    EXPECT_NEAR(sunset.pixelColor(0, 0).redF(), 0.99, 0.02);
    const QImage aurora = service.compositeWithBackground(source, greyMask(200, 100, 0), withFill(BackgroundFillStyle::auroraGradient));
    EXPECT_NEAR(aurora.pixelColor(199, 99).blueF(), 0.86, 0.02);
}

TEST(BackgroundComposite, PortraitBlurHasAMinimumRadiusOfFour) {
    const VisionAIService service;
    QImage stripes(64, 64, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) stripes.setPixelColor(x, y, (x / 2) % 2 ? Qt::white : Qt::black);
    auto settings = withFill(BackgroundFillStyle::portraitBlur);
    settings.blurRadius = 1;
    const QImage out = service.compositeWithBackground(stripes, greyMask(64, 64, 0), settings);
    const QImage expected = clampedGaussianBlur(stripes, 4);
    const QImage weaker = clampedGaussianBlur(stripes, 1);
    EXPECT_EQ(out.convertToFormat(QImage::Format_RGBA8888_Premultiplied), expected);
    EXPECT_NE(out.convertToFormat(QImage::Format_RGBA8888_Premultiplied), weaker);
}

TEST(BackgroundSubjectMask, ColorKeyEngineReturnsAnOpaqueUnfeatheredMask) {
    const VisionAIService service;
    QImage image = filled(20, 20, Qt::white);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x) image.setPixelColor(x, y, Qt::darkBlue);
    BackgroundStudioSettings settings;
    settings.engine = BackgroundCutoutEngine::colorKeyMagic;
    settings.edgeFeather = 10; // not applied to the colour key
    const QImage mask = service.generateSubjectMask(image, settings);
    ASSERT_EQ(mask.size(), image.size());
    EXPECT_EQ(mask.pixelColor(0, 0), QColor(0, 0, 0, 255));
    EXPECT_EQ(mask.pixelColor(5, 5), QColor(255, 255, 255, 255));
    EXPECT_EQ(mask.pixelColor(4, 5), QColor(0, 0, 0, 255));
    const QImage cut = service.removeBackground(image, settings);
    EXPECT_EQ(cut.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(cut.pixelColor(10, 10), QColor(Qt::darkBlue));
}

TEST(BackgroundSubjectMask, AutoOnAFlatGraphicFallsBackToTheCornerColourKey) {
    const VisionAIService service;
    // A flat poster colour with nothing on it: no person, nothing salient; the contiguous key on
    // the colour sampled near the corner removes all of it.
    const QImage flat = filled(120, 90, QColor(30, 140, 120));
    BackgroundStudioSettings settings; // autoAI
    settings.colorKeyContiguous = false; // the fallback always fills contiguously
    const QImage mask = service.generateSubjectMask(flat, settings);
    ASSERT_EQ(mask.size(), flat.size());
    for (QPoint p : {QPoint(0, 0), QPoint(60, 45), QPoint(119, 89)}) EXPECT_EQ(mask.pixelColor(p), QColor(0, 0, 0));

    BackgroundStudioSettings key;
    key.engine = BackgroundCutoutEngine::colorKeyMagic;
    key.colorKeyTarget = {30 / 255.0, 140 / 255.0, 120 / 255.0, 1};
    EXPECT_EQ(mask, service.generateSubjectMask(flat, key));
}

TEST(BackgroundSubjectMask, EmptySourceFailsWithMaskGeneration) {
    const VisionAIService service;
    try {
        service.generateSubjectMask(QImage(), {});
        FAIL() << "no error";
    } catch (const VisionAIError& error) {
        EXPECT_EQ(error.kind(), VisionAIError::Kind::maskGenerationFailed);
    }
    EXPECT_THROW(service.compositeWithBackground(filled(4, 4, Qt::red), QImage(), {}), VisionAIError);
}

TEST(TrimTransparentBorders, CropsToVisiblePixelsPlusMargin) {
    QImage image = filled(100, 100, Qt::transparent);
    for (int y = 10; y <= 19; ++y)
        for (int x = 40; x <= 59; ++x) image.setPixelColor(x, y, Qt::red);
    image.setPixelColor(90, 90, QColor(0, 0, 0, 12)); // alpha 12 is not visible
    const QImage trimmed = VisionAIService::trimTransparentBorders(image);
    EXPECT_EQ(trimmed.size(), QSize(36, 26));
    EXPECT_EQ(trimmed, image.copy(32, 2, 36, 26));
    EXPECT_EQ(VisionAIService::trimTransparentBorders(image, 0).size(), QSize(20, 10));
    // A huge margin clamps to the image rather than overflowing.
    EXPECT_EQ(VisionAIService::trimTransparentBorders(image, std::numeric_limits<int>::max()).size(), QSize(100, 100));
}

TEST(TrimTransparentBorders, LeavesFullyTransparentAndTinyImagesAlone) {
    const QImage clear = filled(50, 40, Qt::transparent);
    EXPECT_EQ(VisionAIService::trimTransparentBorders(clear), clear);
    QImage narrow = filled(4, 100, Qt::transparent);
    narrow.setPixelColor(1, 50, Qt::red);
    EXPECT_EQ(VisionAIService::trimTransparentBorders(narrow), narrow);
    EXPECT_TRUE(VisionAIService::trimTransparentBorders(QImage()).isNull());
}

} // namespace
