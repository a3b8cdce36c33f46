#include "core/common/AtomicFileWriter.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "imagecodec/TaviImageCodecEngine.h"
#include "imagecodec/TaviImageCoreError.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QImage solid(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

// A smooth photo-like pattern, so resampling errors show as differences.
QImage gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            row[x * 4 + 0] = static_cast<uchar>(255 * x / std::max(1, w - 1));
            row[x * 4 + 1] = static_cast<uchar>(255 * y / std::max(1, h - 1));
            row[x * 4 + 2] = static_cast<uchar>(128 + 100 * std::sin(x * 0.02 + y * 0.03));
            row[x * 4 + 3] = 255;
        }
    }
    return image;
}

// The left `share` of the columns in one colour, the rest in another.
QImage twoColours(int w, int h, double share, QColor left, QColor right) {
    QImage image = solid(w, h, right);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(0, 0, static_cast<int>(w * share), h), left);
    return image;
}

QSize decodedSize(const QByteArray& bytes, const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    file.close();
    auto source = ImageSource::open(path);
    if (!source) return {};
    const auto image = source->createImage(0);
    return image ? image->size() : QSize();
}

TEST(CodecResize, DegenerateAndUnchangedSizes) {
    TaviImageCodecEngine engine;
    const QImage image = gradient(64, 48);
    EXPECT_EQ(engine.resize(image, 0, 0).size(), QSize(1, 1));
    EXPECT_EQ(engine.resize(image, -5, -9).size(), QSize(1, 1));
    EXPECT_EQ(engine.resize(image, 64, 48).cacheKey(), image.cacheKey());
    // An absurd request is refused instead of allocating terabytes: the input comes back.
    EXPECT_EQ(engine.resize(image, 2'000'000, 2'000'000).cacheKey(), image.cacheKey());
    EXPECT_TRUE(engine.resize(QImage(), 10, 10).isNull());
}

TEST(CodecResize, ExactSizesAndFaithfulPixels) {
    TaviImageCodecEngine engine;
    const QImage image = gradient(1000, 667);
    for (const QSize target :
         {QSize(333, 222), QSize(1, 1), QSize(999, 3), QSize(2000, 1334), QSize(7, 500)}) {
        const QImage scaled = engine.resize(image, target.width(), target.height());
        EXPECT_EQ(scaled.size(), target);
        EXPECT_EQ(scaled.format(), QImage::Format_RGBA8888_Premultiplied);
    }
    // Against Qt's own smooth scaling: both are faithful resamplings of a smooth picture.
    const QImage ours = engine.resize(image, 250, 167);
    const QImage reference = image.scaled(250, 167, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(testsupport::meanAbsoluteDifference(ours, reference), 2.0);
    const QImage flat = engine.resize(solid(300, 200, QColor(40, 90, 200)), 77, 51);
    EXPECT_EQ(flat.pixelColor(38, 25), QColor(40, 90, 200));
}

TEST(CodecResize, TransparencyStaysValidPremultiplied) {
    TaviImageCodecEngine engine;
    // A hard edge between opaque white and full transparency rings under a Lanczos filter.
    const QImage image = twoColours(200, 100, 0.5, QColor(255, 255, 255), QColor(0, 0, 0, 0));
    const QImage scaled = engine.resize(image, 73, 41);
    for (int y = 0; y < scaled.height(); ++y) {
        const uchar* px = scaled.constScanLine(y);
        for (int x = 0; x < scaled.width(); ++x, px += 4)
            ASSERT_TRUE(px[0] <= px[3] && px[1] <= px[3] && px[2] <= px[3]) << x << "," << y;
    }
    EXPECT_EQ(qAlpha(scaled.pixel(2, 20)), 255);
    EXPECT_EQ(qAlpha(scaled.pixel(70, 20)), 0);
}

TEST(CodecResize, AspectFitted) {
    TaviImageCodecEngine engine;
    EXPECT_EQ(engine.aspectFittedResize(solid(8000, 2000, Qt::red), 1000).size(), QSize(1000, 250));
    EXPECT_EQ(engine.aspectFittedResize(solid(3, 1000, Qt::red), 16).size(), QSize(1, 16));
    const QImage image = solid(400, 300, Qt::blue);
    EXPECT_EQ(engine.aspectFittedResize(image, 10).size(), engine.aspectFittedResize(image, 16).size());
    EXPECT_EQ(engine.aspectFittedResize(image, 10).size(), QSize(16, 12));
    EXPECT_EQ(engine.aspectFittedResize(image, 400).cacheKey(), image.cacheKey());
    EXPECT_EQ(engine.aspectFittedResize(image, 5000).cacheKey(), image.cacheKey());
    EXPECT_EQ(engine.aspectFittedResize(solid(1001, 10, Qt::blue), 100).size(), QSize(100, 1));
}

TEST(CodecEncode, EveryFormatDecodesAtItsSize) {
    TaviImageCodecEngine engine;
    QTemporaryDir dir;
    const QImage image = gradient(120, 80);
    for (TaviImageOutputFormat format : {TaviImageOutputFormat::png, TaviImageOutputFormat::jpeg,
                                         TaviImageOutputFormat::heic, TaviImageOutputFormat::tiff}) {
        const QByteArray bytes = engine.encode(image, TaviImageEncodeOptions(format));
        EXPECT_EQ(decodedSize(bytes, dir, "out." + fileExtension(format)), QSize(120, 80))
            << rawValue(format).toStdString();
    }
    const QByteArray pdf = engine.encode(image, TaviImageEncodeOptions(TaviImageOutputFormat::pdf));
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 120"));
}

TEST(CodecEncode, QualityOnlyForLossyFormatsAndBoundedSize) {
    TaviImageCodecEngine engine;
    QTemporaryDir dir;
    const QImage image = gradient(160, 120);
    for (TaviImageOutputFormat format :
         {TaviImageOutputFormat::png, TaviImageOutputFormat::tiff, TaviImageOutputFormat::pdf})
        EXPECT_EQ(engine.encode(image, TaviImageEncodeOptions(format, 0.1)),
                  engine.encode(image, TaviImageEncodeOptions(format, 1.0)));
    for (TaviImageOutputFormat format : {TaviImageOutputFormat::jpeg, TaviImageOutputFormat::heic})
        EXPECT_LT(engine.encode(image, TaviImageEncodeOptions(format, 0.1)).size(),
                  engine.encode(image, TaviImageEncodeOptions(format, 1.0)).size());

    const QImage big = solid(6000, 4000, QColor(200, 120, 40));
    const QByteArray bounded =
        engine.encode(big, TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, 0.8, true, 4096));
    EXPECT_EQ(decodedSize(bounded, dir, "bounded.jpg"), QSize(4096, 2731));
    const QByteArray pdf =
        engine.encode(gradient(600, 400), TaviImageEncodeOptions(TaviImageOutputFormat::pdf, 0.9, true, 100));
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 100.000000 67.000000]")) << pdf.left(2000).toStdString();

    try {
        engine.encode(QImage(), TaviImageEncodeOptions(TaviImageOutputFormat::pdf));
        ADD_FAILURE() << "a null bitmap encoded";
    } catch (const TaviImageCoreError& error) {
        EXPECT_EQ(error.description(), "Failed to encode image: Could not initialize PDF context");
    }
    try {
        engine.encode(QImage(), TaviImageEncodeOptions(TaviImageOutputFormat::heic));
        ADD_FAILURE() << "a null bitmap encoded";
    } catch (const TaviImageCoreError& error) {
        EXPECT_EQ(error.description(), "Failed to encode image: ImageIO failed to finalize HEIC");
    }
}

TEST(CodecWrite, CreatesFoldersReplacesAndWritesNothingOnFailure) {
    TaviImageCodecEngine engine;
    QTemporaryDir dir;
    const QString path = dir.filePath("a/b/c/out.png");
    engine.write(gradient(40, 30), path, TaviImageEncodeOptions());
    auto source = ImageSource::open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), ImageType::PNG);

    engine.write(gradient(20, 10), path, TaviImageEncodeOptions(TaviImageOutputFormat::jpeg));
    source = ImageSource::open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), ImageType::JPEG);

    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_THROW(engine.write(QImage(), path, TaviImageEncodeOptions(TaviImageOutputFormat::pdf)),
                 TaviImageCoreError);
    EXPECT_THROW(engine.write(QImage(), dir.filePath("never/made.png"), TaviImageEncodeOptions()),
                 TaviImageCoreError);
    EXPECT_FALSE(QDir(dir.filePath("never")).exists());
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);

    // A file standing where a folder must go is the file system's error.
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(engine.write(gradient(4, 4), dir.filePath("file/sub/x.png"), TaviImageEncodeOptions()),
                 FileSystemError);
}

TEST(CodecLoad, UprightDecodeAndUnreadableFiles) {
    TaviImageCodecEngine engine;
    const QImage plain = engine.loadCGImage(testsupport::fixture("photos/landscape_1.jpg"));
    const QImage rotated = engine.loadCGImage(testsupport::fixture("photos/landscape_6.jpg"));
    EXPECT_GT(plain.width(), plain.height());
    EXPECT_EQ(rotated.size(), plain.size()); // stored sideways, turned upright
    EXPECT_LT(testsupport::meanAbsoluteDifference(plain, rotated), 12.0);
    EXPECT_EQ(rotated.format(), QImage::Format_RGBA8888_Premultiplied);
    try {
        engine.loadCGImage(testsupport::fixture("bad/corrupt-header.jpg"));
        ADD_FAILURE() << "a corrupt file decoded";
    } catch (const TaviImageCoreError& error) {
        EXPECT_EQ(error.description(), "Could not decode image: corrupt-header.jpg");
    }
    EXPECT_THROW(engine.loadCGImage("/nonexistent/x.png"), TaviImageCoreError);
    EXPECT_EQ(TaviImageCodecEngine::supportedInputExtensions().size(), 18);
    EXPECT_TRUE(TaviImageCodecEngine::supportedInputExtensions().contains("rw2"));
    EXPECT_FALSE(TaviImageCodecEngine::supportedInputExtensions().contains("avif"));
}

TEST(CodecMetadata, SummaryFromProperties) {
    TaviImageCodecEngine engine;
    const auto gps = engine.inspectMetadata(testsupport::fixture("photos/DSCN0010.jpg"));
    ASSERT_TRUE(gps);
    EXPECT_TRUE(gps->hasGPS);
    EXPECT_EQ(gps->cameraModel, QString("COOLPIX P6000"));
    EXPECT_EQ(gps->colorSpaceName, "RGB");
    EXPECT_GT(gps->width, 0);

    const auto rotated = engine.inspectMetadata(testsupport::fixture("photos/landscape_6.jpg"));
    const auto plain = engine.inspectMetadata(testsupport::fixture("photos/landscape_1.jpg"));
    ASSERT_TRUE(rotated && plain);
    EXPECT_EQ(rotated->width, plain->height); // as stored, not upright

    const auto alpha = engine.inspectMetadata(testsupport::fixture("formats/with-alpha.png"));
    ASSERT_TRUE(alpha);
    EXPECT_TRUE(alpha->hasAlpha);
    EXPECT_FALSE(alpha->hasGPS);
    EXPECT_FALSE(alpha->cameraModel);
    EXPECT_FALSE(engine.inspectMetadata("/nonexistent.jpg"));
    EXPECT_FALSE(engine.inspectMetadata(testsupport::fixture("bad/corrupt-header.jpg")));
}

TEST(CodecHistogram, BinsSamplingAndLuma) {
    TaviImageCodecEngine engine;
    const TaviImageRGBHistogram three = engine.computeHistogram(gradient(50, 50), 3);
    EXPECT_EQ(three.red.size(), 8);
    EXPECT_EQ(three.luma.size(), 8);

    const TaviImageRGBHistogram black = engine.computeHistogram(solid(300, 200, Qt::black), 48);
    for (const QList<double>* list : {&black.red, &black.green, &black.blue, &black.luma}) {
        ASSERT_EQ(list->size(), 48);
        EXPECT_DOUBLE_EQ(list->at(0), 1.0);
        for (int i = 1; i < 48; ++i)
            EXPECT_DOUBLE_EQ(list->at(i), 0.0);
    }
    // Luma 0.0722 * 7 = 0.505 rounds up to 1; truncating it would give bin 0.
    const TaviImageRGBHistogram blue = engine.computeHistogram(solid(10, 10, QColor(0, 0, 7)), 256);
    EXPECT_DOUBLE_EQ(blue.luma[1], 1.0);
    EXPECT_DOUBLE_EQ(blue.luma[0], 0.0);
    EXPECT_DOUBLE_EQ(blue.blue[7], 1.0);

    // A quarter red, three quarters white: red lists peak on white and hold a third of that on red.
    const TaviImageRGBHistogram split =
        engine.computeHistogram(twoColours(4000, 3000, 0.25, Qt::red, Qt::white), 8);
    EXPECT_DOUBLE_EQ(split.red[7], 1.0);
    EXPECT_NEAR(split.green[0], 55.0 / 165.0, 0.02);
    EXPECT_DOUBLE_EQ(split.red[0], 0.0);
    const TaviImageRGBHistogram empty = engine.computeHistogram(QImage(), 10);
    EXPECT_EQ(empty.red, QList<double>(10, 0.0));
}

TEST(CodecPalette, DominantColours) {
    TaviImageCodecEngine engine;
    EXPECT_EQ(engine.extractDominantHexPalette(solid(500, 300, QColor(0x12, 0xAB, 0xEF))),
              QStringList{"#12ABEF"});
    EXPECT_TRUE(engine.extractDominantHexPalette(solid(64, 64, QColor(0, 0, 0, 0))).isEmpty());
    EXPECT_TRUE(engine
                    .extractDominantHexPalette(
                        engine.loadCGImage(testsupport::fixture("formats/full-transparent.png")))
                    .isEmpty());
    const QImage pair = twoColours(96, 96, 0.75, QColor(250, 10, 10), QColor(10, 10, 250));
    EXPECT_EQ(engine.extractDominantHexPalette(pair, 0), QStringList{"#FA0A0A"});
    EXPECT_EQ(engine.extractDominantHexPalette(pair, 5), QStringList({"#FA0A0A", "#0A0AFA"}));
    // Alpha 32 is ignored, alpha 33 counts (as its premultiplied components).
    EXPECT_TRUE(engine.extractDominantHexPalette(solid(8, 8, QColor(255, 255, 255, 32))).isEmpty());
    EXPECT_EQ(engine.extractDominantHexPalette(solid(8, 8, QColor(255, 255, 255, 33))),
              QStringList{"#212121"});
    EXPECT_TRUE(engine.extractDominantHexPalette(QImage()).isEmpty());
}

TEST(CodecCli, HistogramAndPalette) {
    const auto palette =
        testsupport::runCli({"palette", testsupport::fixture("photos/hopper.png"), "--max", "3"});
    EXPECT_EQ(palette.exitCode, 0) << palette.err.toStdString();
    EXPECT_TRUE(QRegularExpression("^(#[0-9A-F]{6}\n){3}$").match(palette.out).hasMatch())
        << palette.out.toStdString();
    const auto histogram =
        testsupport::runCli({"histogram", testsupport::fixture("photos/hopper.png"), "--bins", "3"});
    EXPECT_EQ(histogram.exitCode, 0);
    EXPECT_EQ(histogram.out.count('\n'), 4);
    EXPECT_EQ(histogram.out.split('\n').first().split(' ', Qt::SkipEmptyParts).size(), 9); // name + 8 bins
    const auto bad = testsupport::runCli({"palette", testsupport::fixture("bad/corrupt-header.jpg")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.startsWith("Could not decode image: corrupt-header.jpg"));
}

} // namespace
