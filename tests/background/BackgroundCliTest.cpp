#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(BackgroundCli, CutoutWithColourKeyThenTrim) {
    QTemporaryDir dir;
    QImage image(100, 80, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::white);
    for (int y = 30; y < 50; ++y)
        for (int x = 20; x < 60; ++x) image.setPixelColor(x, y, QColor(200, 30, 30));
    const QString source = testsupport::writeImage(dir, QStringLiteral("card.png"), image);
    const QString cut = dir.filePath(QStringLiteral("cut.png"));
    auto result = testsupport::runCli({QStringLiteral("cutout"), source, QStringLiteral("--engine"),
                                       QStringLiteral("colorKeyMagic"), QStringLiteral("-o"), cut});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QImage cutImage(cut);
    EXPECT_EQ(cutImage.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(cutImage.pixelColor(30, 40), QColor(200, 30, 30));

    const QString trimmed = dir.filePath(QStringLiteral("trimmed.png"));
    result = testsupport::runCli({QStringLiteral("trim"), cut, QStringLiteral("-o"), trimmed});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QImage(trimmed).size(), QSize(40 + 16, 20 + 16));
}

TEST(BackgroundCli, BadArgumentsAndFailuresAreReported) {
    QTemporaryDir dir;
    QImage flat(50, 50, QImage::Format_RGBA8888_Premultiplied);
    flat.fill(QColor(10, 120, 200));
    const QString source = testsupport::writeImage(dir, QStringLiteral("flat.png"), flat);
    const QString out = dir.filePath(QStringLiteral("out.png"));
    EXPECT_EQ(testsupport::runCli({QStringLiteral("cutout"), source, QStringLiteral("--engine"), QStringLiteral("magic"),
                                   QStringLiteral("-o"), out})
                  .exitCode,
              2);
    EXPECT_EQ(testsupport::runCli({QStringLiteral("cutout"), source, QStringLiteral("--fill"), QStringLiteral("plaid"),
                                   QStringLiteral("-o"), out})
                  .exitCode,
              2);
    // portraitAI on a flat image finds nobody: the user's message, non-zero exit, no file.
    const auto result = testsupport::runCli({QStringLiteral("cutout"), source, QStringLiteral("--engine"),
                                             QStringLiteral("portraitAI"), QStringLiteral("-o"), out});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("No salient foreground subject detected"))) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
