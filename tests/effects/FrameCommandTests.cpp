#include "core/imaging/StudioEffectsService.h"
#include "core/model/EditAdjustments.h"
#include "tests/effects/EffectsTestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::runCli;

TEST(FrameCommand, FramesAndStampsFromOptionsOrARecipe) {
    QTemporaryDir dir;
    const QString photo = testsupport::writeImage(dir, QStringLiteral("shot.png"), effectstest::solid(400, 300, QColor(250, 230, 20)));
    const QString out = dir.filePath(QStringLiteral("framed.png"));

    auto result = runCli({QStringLiteral("frame"), photo, QStringLiteral("-o"), out, QStringLiteral("--window-bar")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(464, 392));

    result = runCli({QStringLiteral("frame"), photo, QStringLiteral("-o"), out, QStringLiteral("--no-frame"),
                     QStringLiteral("--watermark"), QStringLiteral("HELLO"), QStringLiteral("--position"),
                     QStringLiteral("topLeft")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QImage stamped(out);
    ASSERT_EQ(stamped.size(), QSize(400, 300));
    EXPECT_LT(effectstest::brightInk(stamped.copy(0, 0, 200, 100), 240).top(), 40) << "white text at the top left";

    EditAdjustments recipe;
    recipe.beautify.enabled = true;
    recipe.beautify.aspectRatio = BeautifyAspectRatio::ratio1x1;
    const QString recipePath = dir.filePath(QStringLiteral("recipe.json"));
    QFile file(recipePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(recipe.toJson()).toJson());
    file.close();
    result = runCli({QStringLiteral("frame"), photo, QStringLiteral("-o"), out, QStringLiteral("--recipe"), recipePath});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QImage(out).size(), QSize(464, 464));
}

TEST(FrameCommand, RejectsBadInputWithoutWriting) {
    QTemporaryDir dir;
    const QString photo = testsupport::writeImage(dir, QStringLiteral("shot.png"), effectstest::solid(40, 30, Qt::red));
    const QString out = dir.filePath(QStringLiteral("framed.png"));
    const QString broken = dir.filePath(QStringLiteral("broken.json"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"beautify\": ");
    file.close();

    auto result = runCli({QStringLiteral("frame"), photo, QStringLiteral("-o"), out, QStringLiteral("--recipe"), broken});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.isEmpty());
    result = runCli({QStringLiteral("frame"), photo, QStringLiteral("-o"), out, QStringLiteral("--aspect"), QStringLiteral("3:2")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("ratio1x1"))) << result.err.toStdString();
    result = runCli({QStringLiteral("frame"), testsupport::fixture(QStringLiteral("bad/corrupt-header.jpg")),
                     QStringLiteral("-o"), out});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_FALSE(QFile::exists(out));
}

// An effect that is on but can't be drawn fails the output: the bare photo must not be written
// as if it had its frame or watermark. The preview forms keep their photo.
TEST(FrameCommand, AnEffectThatCannotBeDrawnFailsWithoutWriting) {
    const QImage photo = effectstest::solid(40, 30, Qt::red);
    const StudioEffectsService effects;
    BeautifySettings hugeFrame;
    hugeFrame.enabled = true;
    hugeFrame.padding = 2000; // a canvas far beyond the size limits
    EXPECT_FALSE(effects.tryApplyBeautifyFrame(hugeFrame, photo));
    EXPECT_EQ(effects.applyBeautifyFrame(hugeFrame, photo).cacheKey(), photo.cacheKey());
    EXPECT_EQ(effects.tryApplyBeautifyFrame(BeautifySettings(), photo)->cacheKey(), photo.cacheKey())
        << "off";
    WatermarkSettings hugeText;
    hugeText.enabled = true;
    hugeText.text = QStringLiteral("HELLO");
    hugeText.fontSize = 1e7;
    EXPECT_FALSE(effects.tryApplyWatermark(hugeText, photo));
    EXPECT_EQ(effects.applyWatermark(hugeText, photo).cacheKey(), photo.cacheKey());

    QTemporaryDir dir;
    const QString input = testsupport::writeImage(dir, QStringLiteral("shot.png"), photo);
    const QString out = dir.filePath(QStringLiteral("framed.png"));
    auto result = runCli({QStringLiteral("frame"), input, QStringLiteral("-o"), out,
                          QStringLiteral("--padding"), QStringLiteral("2000")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("frame could not be drawn"))) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    result = runCli({QStringLiteral("frame"), input, QStringLiteral("-o"), out, QStringLiteral("--no-frame"),
                     QStringLiteral("--watermark"), QStringLiteral("HELLO"), QStringLiteral("--font-size"),
                     QStringLiteral("10000000")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("watermark could not be drawn")))
        << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}
