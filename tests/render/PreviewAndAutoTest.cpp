// The preview agrees with the export, automatic enhancement adapts and repeats, and the
// render command writes what the engine renders.
#include "core/files/FolderBrowserService.h"
#include "core/imaging/AutoEnhance.h"
#include "core/imaging/ImageRenderEngine.h"
#include "tests/render/RenderTestImages.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rendertest;

namespace {

const ImageRenderEngine engine;

QImage reduced(const QImage& image, int width) {
    return image.scaledToWidth(width, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

TEST(PreviewScale, AReducedRenderMatchesTheReducedFullRender) {
    const auto photo = FolderBrowserService().loadOrientedCGImage(testsupport::fixture("photos/saw-2725x2225.jpg"));
    ASSERT_TRUE(photo);
    const QImage full = photo->convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int previewWidth = int(full.width() * 0.3);
    const QImage preview = reduced(full, previewWidth);
    const double scale = double(preview.width()) / full.width();
    EditAdjustments a;
    a.clarity = 1;
    a.sharpness = 1;
    a.shadows = 0.5;
    const QImage expected = reduced(engine.render(full, a, true), previewWidth);
    const double scaled = testsupport::meanAbsoluteDifference(engine.render(preview, a, true, scale), expected);
    const double unscaled = testsupport::meanAbsoluteDifference(engine.render(preview, a, true, 1.0), expected);
    RecordProperty("scaledDifference", std::to_string(scaled));
    RecordProperty("unscaledDifference", std::to_string(unscaled));
    EXPECT_LT(scaled, 1.5) << scaled << " against " << unscaled;
    EXPECT_LT(scaled, unscaled * 0.6); // radii at full size overdo the preview
}

TEST(AutoEnhance, AdaptsToThePictureAndRepeats) {
    // A dark, dull, bluish picture gets a brighter exposure, vibrance and a warming nudge.
    QImage dark = textured(160, 120);
    for (int y = 0; y < dark.height(); ++y)
        for (int x = 0; x < dark.width(); ++x) {
            const QColor c = dark.pixelColor(x, y);
            dark.setPixelColor(x, y, QColor(c.red() / 4 + 10, c.green() / 4 + 12, c.blue() / 4 + 17));
        }
    const auto chain = autoEnhance::adjustments(dark);
    bool brighter = false, warmer = false;
    for (const auto& step : chain) {
        if (auto* e = std::get_if<ExposureAdjust>(&step)) brighter = e->ev > 0.2;
        if (auto* t = std::get_if<TemperatureAndTint>(&step)) warmer = t->neutral[0] > 6500;
    }
    EXPECT_TRUE(brighter);
    EXPECT_TRUE(warmer);
    EXPECT_EQ(autoEnhance::analyze(dark), autoEnhance::analyze(dark));
    EditAdjustments a;
    a.autoEnhanced = true;
    const QImage out = engine.render(dark, a, true);
    EXPECT_GT(meanLuma(out), meanLuma(dark) + 15);
    EXPECT_EQ(engine.render(dark, a, true), out);
    // A well exposed, neutral, colourful picture is left nearly alone.
    const QImage good = textured(160, 120);
    EXPECT_LT(testsupport::meanAbsoluteDifference(engine.render(good, a, true), good), 6.0);
}

TEST(RenderCommand, WritesTheRenderAndRejectsBadInput) {
    QTemporaryDir dir;
    const QString source = testsupport::writeImage(dir, "in.png", coordinates(80, 60));
    const QString output = dir.filePath("out.png");
    auto result = testsupport::runCli({"render", source, "-o", output, "--quarter-turns", "1", "--exposure", "0.5",
                                       "--look", "noirBW", "--crop", "0,0,0.5,0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QImage written(output);
    EXPECT_EQ(written.size(), QSize(30, 40));
    const QColor c = written.pixelColor(5, 5);
    EXPECT_EQ(c.red(), c.blue());

    EditAdjustments a;
    a.warmth = 0.5;
    QFile recipe(dir.filePath("r.json"));
    ASSERT_TRUE(recipe.open(QIODevice::WriteOnly));
    recipe.write(QJsonDocument(a.toJson()).toJson());
    recipe.close();
    result = testsupport::runCli({"render", source, "-o", output, "--recipe", recipe.fileName()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QImage expected = engine.render(QImage(source).convertToFormat(QImage::Format_RGBA8888_Premultiplied), a, true);
    EXPECT_LT(testsupport::meanAbsoluteDifference(QImage(output), expected), 0.01);

    EXPECT_NE(testsupport::runCli({"render", source, "-o", output, "--look", "sepia"}).exitCode, 0);
    EXPECT_NE(testsupport::runCli({"render", dir.filePath("missing.png"), "-o", output}).exitCode, 0);
    QFile broken(dir.filePath("broken.json"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"exposure\": 1");
    broken.close();
    EXPECT_EQ(testsupport::runCli({"render", source, "-o", output, "--recipe", broken.fileName()}).exitCode, 1);
}

} // namespace
