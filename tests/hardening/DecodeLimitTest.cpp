// Hostile and damaged image files: every decoder refuses a declared size beyond the limits before
// allocating pixels, and says which size it refused; every bad fixture gets a clear answer.
#include "core/common/ImageLimits.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/ImageMetadataService.h"
#include "core/files/imageio/ImageSource.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using testsupport::fixture;

namespace {

quint32 crc32Of(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& payload) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), length);
    png.append(length, 4);
    const QByteArray body = QByteArray(type, 4) + payload;
    png.append(body);
    char crc[4];
    qToBigEndian<quint32>(crc32Of(body), crc);
    png.append(crc, 4);
}

// A valid-looking grey PNG header declaring the given size, with a few bytes of (short) data.
QString writePngHeader(const QTemporaryDir& dir, const QString& name, quint32 width, quint32 height) {
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 0; // grey
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", ihdr);
    appendChunk(png, "IDAT", QByteArray::fromHex("789c030000000001")); // an empty zlib stream
    appendChunk(png, "IEND", {});
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    return path;
}

} // namespace

TEST(DecodeLimits, RefusalNamesTheSizeAndTheLimit) {
    EXPECT_TRUE(decodeSizeRefusal(65535, 6000).isEmpty());
    EXPECT_TRUE(isDecodableSize(20000, 20000));
    const QString wide = decodeSizeRefusal(65536, 1);
    EXPECT_TRUE(wide.contains("65536 x 1 pixels")) << wide.toStdString();
    EXPECT_TRUE(wide.contains("65535")) << wide.toStdString();
    // Each side within the limit, but the area beyond it.
    EXPECT_TRUE(decodeSizeRefusal(30000, 30000).contains("30000 x 30000"));
    EXPECT_FALSE(decodeSizeRefusal(0, 10).isEmpty());
}

TEST(DecodeLimits, EveryDecoderRefusesOversizedHeadersWithTheReason) {
    QTemporaryDir dir;
    const FolderBrowserService browser;
    struct Case {
        const char* name;
        quint32 width, height;
    };
    for (const Case& c :
         {Case{"wide.png", 65536, 1}, Case{"tall.png", 1, 70000}, Case{"area.png", 30000, 30000}}) {
        SCOPED_TRACE(c.name);
        const QString path = writePngHeader(dir, c.name, c.width, c.height);
        auto source = ImageSource::open(path);
        ASSERT_TRUE(source);
        EXPECT_FALSE(source->createImage(0));
        EXPECT_TRUE(source->lastDecodeError().contains(QStringLiteral("%1 x %2").arg(c.width).arg(c.height)))
            << source->lastDecodeError().toStdString();
        EXPECT_FALSE(source->createThumbnail(256));
        EXPECT_FALSE(source->lastDecodeError().isEmpty());

        QString failure;
        EXPECT_FALSE(browser.loadOrientedCGImage(path, 256, &failure));
        EXPECT_TRUE(failure.contains(QString::number(c.width))) << failure.toStdString();
        EXPECT_FALSE(browser.loadOrientedCGImage(path, std::nullopt, &failure));
        EXPECT_FALSE(failure.isEmpty());
    }

    // A size within the limits is not refused: whatever fails there is the decoder, without a size reason.
    auto fine = ImageSource::open(writePngHeader(dir, "fine.png", 64, 64));
    ASSERT_TRUE(fine);
    (void)fine->createImage(0);
    EXPECT_TRUE(fine->lastDecodeError().isEmpty());
    // A success clears an earlier reason.
    auto photo = ImageSource::open(fixture("photos/hopper.png"));
    ASSERT_TRUE(photo);
    EXPECT_TRUE(photo->createThumbnail(64));
    EXPECT_TRUE(photo->lastDecodeError().isEmpty());
}

TEST(DecodeLimits, EveryBadFixtureGetsAClearAnswer) {
    const QDir bad(fixture("bad"));
    const FolderBrowserService browser;
    const QStringList files = bad.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 6);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QString path = bad.filePath(name);
        // Described, decoded within a bound, and reported on, each without a crash.
        (void)browser.readDocumentInfo(path);
        QString failure;
        const auto thumbnail = browser.loadOrientedCGImage(path, 256, &failure);
        if (thumbnail) {
            EXPECT_LE(std::max(thumbnail->width(), thumbnail->height()), 256);
            EXPECT_TRUE(failure.isEmpty());
        }
        (void)ImageMetadataService().inspect(path);

        const auto cli = testsupport::runCli({QStringLiteral("thumb"), path, QStringLiteral("--max"),
                                              QStringLiteral("128"), QStringLiteral("-o"),
                                              QDir::temp().filePath(QStringLiteral("tavi-bad-thumb.png"))});
        if (thumbnail) {
            EXPECT_EQ(cli.exitCode, 0) << cli.err.toStdString();
        } else {
            EXPECT_EQ(cli.exitCode, 1);
            EXPECT_TRUE(cli.err.startsWith(path + u':')) << cli.err.toStdString();
        }
    }

    // The declared 65536 x 65536 image is described from its header but never decoded.
    const QString huge = bad.filePath("65536-uint32-limit.png");
    const auto info = browser.readDocumentInfo(huge);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pixelWidth, 65536);
    QString failure;
    EXPECT_FALSE(browser.loadOrientedCGImage(huge, 256, &failure));
    EXPECT_TRUE(failure.contains("65536 x 65536")) << failure.toStdString();
    const auto thumb = testsupport::runCli({QStringLiteral("thumb"), huge, QStringLiteral("-o"),
                                            QDir::temp().filePath(QStringLiteral("tavi-bad-thumb.png"))});
    EXPECT_EQ(thumb.exitCode, 1);
    EXPECT_TRUE(thumb.err.contains("65536 x 65536 pixels")) << thumb.err.toStdString();
    const auto infoCli = testsupport::runCli({QStringLiteral("info"), huge});
    EXPECT_EQ(infoCli.exitCode, 0);
    EXPECT_TRUE(infoCli.err.contains("too large to open")) << infoCli.err.toStdString();
}
