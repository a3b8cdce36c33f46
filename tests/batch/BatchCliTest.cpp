#include "tests/support/TestSupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::fixture;
using testsupport::runCli;

namespace {

QImage filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A folder like a camera card after a trip: a big JPEG, a small PNG, a damaged file and two
// sources that end in the same output name.
TEST(BatchCli, ShrinksLargeKeepsSmallSkipsBrokenAndKeepsBothTwins) {
    QTemporaryDir in, out;
    ASSERT_TRUE(filled(3000, 2000, Qt::darkGreen).save(in.filePath("big.jpg")));
    ASSERT_TRUE(filled(800, 600, Qt::yellow).save(in.filePath("small.png")));
    writeBytes(in.filePath("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really a jpeg"));
    ASSERT_TRUE(filled(100, 100, Qt::red).save(in.filePath("twin.jpg")));
    ASSERT_TRUE(filled(100, 100, Qt::blue).save(in.filePath("twin.png")));

    const auto result = runCli({"batch", in.path(), "-o", out.filePath("exported"), "--max-edge", "2000"});
    EXPECT_EQ(result.exitCode, 1) << "a failed file makes the run fail";
    EXPECT_TRUE(result.out.contains("Exported 4 / 5 images")) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("broken.jpg")) << result.err.toStdString();

    const QDir exported(out.filePath("exported"));
    EXPECT_EQ(exported.entryList(QDir::Files, QDir::Name),
              (QStringList{"big.jpg", "small.jpg", "twin-2.jpg", "twin.jpg"}));
    EXPECT_EQ(QImage(exported.filePath("big.jpg")).size(), QSize(2000, 1333));
    EXPECT_EQ(QImage(exported.filePath("small.jpg")).size(), QSize(800, 600));
    // twin.png comes after twin.jpg and takes the next free name; neither result is lost.
    EXPECT_GT(QImage(exported.filePath("twin.jpg")).pixelColor(50, 50).red(), 200);
    EXPECT_GT(QImage(exported.filePath("twin-2.jpg")).pixelColor(50, 50).blue(), 200);
    // No temporary files of the atomic writer are left behind.
    EXPECT_EQ(exported.entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST(BatchCli, UprightOutputsTinyMaxEdgeRaisedAndThumbs) {
    QTemporaryDir in, out;
    // EXIF orientation 6: stored on its side (450 x 600), shown as 600 x 450.
    ASSERT_TRUE(QFile::copy(fixture("photos/landscape_6.jpg"), in.filePath("turned.jpg")));
    QImageReader stored(in.filePath("turned.jpg"));
    stored.setAutoTransform(false);
    ASSERT_EQ(stored.size(), QSize(450, 600));
    ASSERT_TRUE(filled(640, 480, Qt::gray).save(in.filePath("plain.png")));

    const auto tiny = runCli({"batch", in.path(), "-o", out.filePath("tiny"), "--max-edge", "30", "--threads", "1"});
    ASSERT_EQ(tiny.exitCode, 0) << tiny.err.toStdString();
    EXPECT_EQ(QImage(out.filePath("tiny/plain.jpg")).size(), QSize(64, 48));

    const auto full = runCli({"batch", in.path(), "-o", out.filePath("full"), "--format", "png"});
    ASSERT_EQ(full.exitCode, 0) << full.err.toStdString();
    const QImage upright(out.filePath("full/turned.png"));
    EXPECT_EQ(upright.size(), QSize(600, 450));
    EXPECT_EQ(QImage(out.filePath("full/plain.png")).size(), QSize(640, 480));

    const auto thumbs = runCli({"thumbs", in.path(), "-o", out.filePath("thumbs")});
    ASSERT_EQ(thumbs.exitCode, 0) << thumbs.err.toStdString();
    EXPECT_TRUE(thumbs.out.contains("Exported 2 / 2 images"));
    EXPECT_EQ(QImage(out.filePath("thumbs/turned.jpg")).size(), QSize(220, 165));
    EXPECT_EQ(QImage(out.filePath("thumbs/plain.jpg")).size(), QSize(220, 165));
}

TEST(BatchCli, RefusesToOverwriteOriginalsAndReportsBadFolders) {
    QTemporaryDir in, out;
    const QString original = in.filePath("photo.jpg");
    ASSERT_TRUE(filled(900, 600, Qt::cyan).save(original));
    const QByteArray before = [&] {
        QFile file(original);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    const auto same = runCli({"batch", in.path(), "-o", in.path() + "/.", "--max-edge", "100"});
    EXPECT_EQ(same.exitCode, 2);
    QFile after(original);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);

    const auto missing = runCli({"batch", in.filePath("no-such-folder"), "-o", out.path()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.isEmpty());
    writeBytes(out.filePath("a-file"), "x");
    const auto blocked = runCli({"batch", in.path(), "-o", out.filePath("a-file/sub")});
    EXPECT_EQ(blocked.exitCode, 1);

    EXPECT_EQ(runCli({"batch", in.path()}).exitCode, 2);
    EXPECT_EQ(runCli({"batch", in.path(), "-o", out.path(), "--max-edge", "0"}).exitCode, 2);
    EXPECT_EQ(runCli({"thumbs", in.path(), "-o", out.path(), "--format", "png"}).exitCode, 2);
    const auto empty = runCli({"batch", out.path(), "-o", out.filePath("none")});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.out.contains("Exported 0 / 0 images"));
}

} // namespace
