#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString writeText(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

const QByteArray kArrow = R"([{"id": "0f8fad5b-d9cb-469f-a165-70867728950e", "tool": "arrow",
  "start": {"x": 0.1, "y": 0.1}, "end": {"x": 0.9, "y": 0.9}, "points": [],
  "color": {"r": 0.16, "g": 0.52, "b": 0.99, "a": 1}, "lineWidth": 8, "text": "", "stepIndex": 1,
  "redactStrength": 0.65}])";

} // namespace

TEST(AnnotateCommand, BurnsItemsIntoAPng) {
    QTemporaryDir dir;
    const QString items = writeText(dir, "items.json", kArrow);
    const QString out = dir.filePath("out.png");
    const auto result = testsupport::runCli(
        {"annotate", testsupport::fixture("photos/hopper.png"), items, "-o", out, "--selected",
         "0f8fad5b-d9cb-469f-a165-70867728950e"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QImage written(out);
    const QImage source(testsupport::fixture("photos/hopper.png"));
    ASSERT_EQ(written.size(), source.size());
    // The arrow's blue runs through the middle.
    const QColor middle = written.pixelColor(64, 64);
    EXPECT_GT(middle.blue(), 200);
    EXPECT_LT(middle.red(), 80);
    EXPECT_GT(testsupport::meanAbsoluteDifference(written.convertToFormat(QImage::Format_RGBA8888_Premultiplied),
                                                  source.convertToFormat(QImage::Format_RGBA8888_Premultiplied)),
              1);
}

TEST(AnnotateCommand, BadInputFailsWithoutWritingAnything) {
    QTemporaryDir dir;
    const QString photo = testsupport::fixture("photos/hopper.png");
    const QString out = dir.filePath("out.png");
    QByteArray unknownTool = kArrow;
    unknownTool.replace("\"arrow\"", "\"laser\"");
    QByteArray missingKey = kArrow;
    missingKey.replace("\"redactStrength\": 0.65", "\"other\": 1");
    for (const QByteArray& json : {QByteArray("[{\"id\": "), QByteArray("{\"tool\": \"arrow\"}"), unknownTool, missingKey}) {
        const auto result = testsupport::runCli({"annotate", photo, writeText(dir, "bad.json", json), "-o", out});
        EXPECT_NE(result.exitCode, 0) << json.toStdString();
        EXPECT_FALSE(result.err.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
    }
    const QString items = writeText(dir, "items.json", kArrow);
    EXPECT_NE(testsupport::runCli({"annotate", dir.filePath("missing.jpg"), items, "-o", out}).exitCode, 0);
    EXPECT_NE(testsupport::runCli({"annotate", photo, items, "-o", dir.filePath("no/such/dir/out.png")}).exitCode, 0);
    EXPECT_EQ(testsupport::runCli({"annotate", photo, items}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));
    // An empty list writes the photo unchanged.
    const auto empty = testsupport::runCli({"annotate", photo, writeText(dir, "empty.json", "[]"), "-o", out});
    ASSERT_EQ(empty.exitCode, 0) << empty.err.toStdString();
    EXPECT_EQ(testsupport::meanAbsoluteDifference(
                  QImage(out).convertToFormat(QImage::Format_RGBA8888_Premultiplied),
                  QImage(photo).convertToFormat(QImage::Format_RGBA8888_Premultiplied)),
              0);
}
