#include "core/files/FolderBrowserService.h"
#include "core/files/imageio/ImageDestination.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "tests/support/TestSupport.h"

#include <QColorSpace>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::fixture;

namespace {

struct FormatCase {
    const char* file;
    int width, height;
    bool alpha;
    int count;
    const char* type;
};

TEST(ImageSourceFormats, EveryFixtureDecodesWithItsSizeAlphaAndFrames) {
    const FormatCase cases[] = {
        {"16-bit-grey-alpha.png", 109, 96, true, 1, "public.png"},
        {"Arbitro.tiff", 174, 38, true, 1, "public.tiff"},
        {"G31D_MULTI.TIF", 2464, 3248, false, 2, "public.tiff"},
        {"animated-loop-3.gif", 370, 285, true, 10, "com.compuserve.gif"},
        {"animated-loop-3.webp", 370, 285, true, 10, "org.webmproject.webp"},
        {"apng-delay.png", 128, 64, true, 4, "public.png"},
        {"apng-different-durations.png", 16, 16, true, 2, "public.png"},
        {"black_and_white.ico", 16, 16, false, 1, "com.microsoft.ico"},
        {"cmyk-no-profile.jpg", 500, 333, false, 1, "public.jpeg"},
        {"full-transparent.png", 300, 300, true, 1, "public.png"},
        {"pitm.avif", 4096, 800, false, 5, "public.avif"},
        {"rotating-squares.gif", 80, 80, true, 30, "com.compuserve.gif"},
        {"samplefilehub.heif", 640, 426, false, 1, "public.heic"},
        {"trim-mc.png", 200, 240, true, 1, "public.png"},
        {"with-alpha.png", 256, 192, true, 1, "public.png"},
    };
    FolderBrowserService browser;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = fixture(QString("formats/") + c.file);
        auto source = ImageSource::open(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->count(), c.count);
        EXPECT_EQ(source->typeIdentifier(), c.type);
        const auto props = source->properties(0);
        EXPECT_EQ(props.value(ImageProperty::HasAlpha).toBool(), c.alpha);

        auto full = browser.loadOrientedCGImage(path);
        ASSERT_TRUE(full);
        EXPECT_EQ(full->size(), QSize(c.width, c.height));
        EXPECT_EQ(full->format(), QImage::Format_RGBA8888_Premultiplied);

        auto bounded = browser.loadOrientedCGImage(path, 64);
        ASSERT_TRUE(bounded);
        EXPECT_LE(std::max(bounded->width(), bounded->height()), 64);
        EXPECT_EQ(std::max(bounded->width(), bounded->height()), std::min(64, std::max(c.width, c.height)));

        // Every frame or page decodes.
        for (int i = 0; i < source->count(); ++i) EXPECT_TRUE(source->createImage(i)) << "frame " << i;
        EXPECT_FALSE(source->createImage(source->count()));
        EXPECT_FALSE(source->createImage(-1));
    }
}

TEST(ImageSourceFormats, BoundedDecodeNeverEnlarges) {
    FolderBrowserService browser;
    auto image = browser.loadOrientedCGImage(fixture("photos/hopper.png"), 4000);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(128, 128));
}

TEST(ImageSourceFormats, OrientationsComeOutUprightAndAlike) {
    FolderBrowserService browser;
    const auto reference = browser.loadOrientedCGImage(fixture("photos/landscape_1.jpg"), 300);
    const auto referenceFull = browser.loadOrientedCGImage(fixture("photos/landscape_1.jpg"));
    ASSERT_TRUE(reference && referenceFull);
    for (int i = 2; i <= 8; ++i) {
        SCOPED_TRACE(i);
        const QString path = fixture(QString("photos/landscape_%1.jpg").arg(i));
        const auto thumb = browser.loadOrientedCGImage(path, 300);
        const auto full = browser.loadOrientedCGImage(path);
        ASSERT_TRUE(thumb && full);
        ASSERT_EQ(thumb->size(), reference->size());
        ASSERT_EQ(full->size(), referenceFull->size());
        // The fixtures differ only by a digit drawn on them and JPEG noise; a wrong turn or
        // mirror would differ by tens of levels.
        EXPECT_LT(testsupport::meanAbsoluteDifference(*thumb, *reference), 8.0);
        EXPECT_LT(testsupport::meanAbsoluteDifference(*full, *referenceFull), 8.0);
    }
}

TEST(ImageSourceFormats, CmykAndGreyComeOutAsSRGB) {
    FolderBrowserService browser;
    const auto cmyk = browser.loadOrientedCGImage(fixture("formats/cmyk-no-profile.jpg"));
    ASSERT_TRUE(cmyk);
    // A CMYK photo read as RGB would be a negative: its mean brightness would flip.
    const auto thumb = browser.loadOrientedCGImage(fixture("formats/cmyk-no-profile.jpg"), 250);
    ASSERT_TRUE(thumb);
    EXPECT_LT(testsupport::meanAbsoluteDifference(cmyk->scaled(thumb->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                                                  *thumb),
              10.0);
    const auto grey = browser.loadOrientedCGImage(fixture("formats/16-bit-grey-alpha.png"));
    ASSERT_TRUE(grey);
    const QRgb pixel = grey->pixel(grey->width() / 2, grey->height() / 2);
    EXPECT_EQ(qRed(pixel), qGreen(pixel));
    EXPECT_EQ(qGreen(pixel), qBlue(pixel));
}

TEST(ImageSourceFormats, AlphaSurvivesTheProfileConversion) {
    // 16-bit grey + alpha with an embedded grey profile: the centre's alpha is 1696 / 65535,
    // 7 of 255 (not clipped to opaque by the conversion to 8 bits), at full and reduced size.
    FolderBrowserService browser;
    const QString path = fixture("formats/16-bit-grey-alpha.png");
    const auto full = browser.loadOrientedCGImage(path);
    ASSERT_TRUE(full);
    EXPECT_EQ(qAlpha(full->pixel(full->width() / 2, full->height() / 2)), 7);
    const auto reduced = browser.loadOrientedCGImage(path, 50);
    ASSERT_TRUE(reduced);
    EXPECT_LT(qAlpha(reduced->pixel(reduced->width() / 2, reduced->height() / 2)), 20);

    // 8-bit RGBA with an embedded profile keeps its half-transparent pixels too.
    QTemporaryDir dir;
    QImage rgba(8, 8, QImage::Format_RGBA8888);
    rgba.fill(QColor(200, 100, 50, 128));
    rgba.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QString tagged = dir.filePath("tagged.png");
    ASSERT_TRUE(rgba.save(tagged));
    const auto decoded = browser.loadOrientedCGImage(tagged);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(qAlpha(decoded->pixel(4, 4)), 128);
}

TEST(ImageSourceFormats, FrameDelaysAreReported) {
    auto gif = ImageSource::open(fixture("formats/animated-loop-3.gif"));
    ASSERT_TRUE(gif);
    const auto gifDict = gif->properties(1).value(ImageProperty::GIFDictionary).toMap();
    EXPECT_GT(gifDict.value(ImageProperty::DelayTime).toDouble(), 0.0);
    auto apng = ImageSource::open(fixture("formats/apng-different-durations.png"));
    ASSERT_TRUE(apng);
    const double d0 = apng->properties(0).value(ImageProperty::PNGDictionary).toMap().value(ImageProperty::APNGUnclampedDelayTime).toDouble();
    const double d1 = apng->properties(1).value(ImageProperty::PNGDictionary).toMap().value(ImageProperty::APNGUnclampedDelayTime).toDouble();
    EXPECT_GT(d0, 0.0);
    EXPECT_NE(d0, d1);
}

TEST(ImageSourceFormats, ApngFramesDiffer) {
    auto apng = ImageSource::open(fixture("formats/apng-delay.png"));
    ASSERT_TRUE(apng);
    auto first = apng->createImage(0);
    auto second = apng->createImage(1);
    auto firstAgain = apng->createImage(0);
    ASSERT_TRUE(first && second && firstAgain);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(*first, *firstAgain); // going back recomposes from the start
}

TEST(ImageSourceMetadata, ExifDictionariesAreTyped) {
    auto source = ImageSource::open(fixture("photos/DSCN0010.jpg"));
    ASSERT_TRUE(source);
    const auto props = source->properties(0);
    const auto tiff = props.value(ImageProperty::TIFFDictionary).toMap();
    EXPECT_EQ(tiff.value("Make").toString().trimmed(), "NIKON");
    const auto gps = props.value(ImageProperty::GPSDictionary).toMap();
    EXPECT_EQ(gps.value("Latitude").typeId(), QMetaType::Double);
    EXPECT_NEAR(gps.value("Latitude").toDouble(), 43.467, 0.01);
    EXPECT_EQ(gps.value("LongitudeRef").toString(), "E");
    const auto exif = props.value(ImageProperty::ExifDictionary).toMap();
    EXPECT_EQ(exif.value("ISOSpeedRatings").typeId(), QMetaType::QVariantList);
    EXPECT_EQ(exif.value("FNumber").typeId(), QMetaType::Double);
}

TEST(HostileFiles, BadFixturesNeverCrashAndHugeImagesAreRefused) {
    FolderBrowserService browser;
    const QDir bad(fixture("bad"));
    for (const QString& name : bad.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const QString path = bad.filePath(name);
        browser.readDocumentInfo(path);
        browser.loadOrientedCGImage(path, 220);
        browser.loadOrientedCGImage(path);
    }
    // 65536 × 65536 declared: refused before allocation, but its header is still described.
    const QString huge = bad.filePath("65536-uint32-limit.png");
    EXPECT_FALSE(browser.loadOrientedCGImage(huge));
    EXPECT_FALSE(browser.loadOrientedCGImage(huge, 220));
    const auto info = browser.readDocumentInfo(huge);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pixelWidth, 65536);
    // A truncated file decodes to what is readable.
    EXPECT_TRUE(browser.loadOrientedCGImage(bad.filePath("truncated.jpg"), 220));
}

TEST(ImageDestinationTest, WritableTypesRoundTrip) {
    QImage image(40, 30, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(200, 40, 40, 128));
    QTemporaryDir dir;
    for (const QString& type : {ImageType::PNG, ImageType::JPEG, ImageType::TIFF, ImageType::HEIC, ImageType::AVIF,
                                ImageType::WebP, ImageType::GIF}) {
        SCOPED_TRACE(type.toStdString());
        auto destination = ImageDestination::create(type);
        ASSERT_TRUE(destination);
        EXPECT_FALSE(ImageDestination::create(type)->finalize()); // nothing added
        destination->addImage(image, 0.8);
        auto bytes = destination->finalize();
        ASSERT_TRUE(bytes);
        const QString path = dir.filePath("out." + type.section('.', -1));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*bytes);
        file.close();
        auto source = ImageSource::open(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->typeIdentifier(), type);
        auto decoded = source->createImage(0);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->size(), image.size());
    }
    EXPECT_FALSE(ImageDestination::create("com.example.nothing"));
    EXPECT_FALSE(ImageDestination::create(ImageType::BMP));
}

TEST(ImageDestinationTest, JpegFlattensTransparencyOntoWhite) {
    QImage image(16, 16, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    auto destination = ImageDestination::create(ImageType::JPEG);
    destination->addImage(image, 0.9);
    auto bytes = destination->finalize();
    ASSERT_TRUE(bytes);
    QImage decoded = QImage::fromData(*bytes);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_GT(qRed(decoded.pixel(8, 8)), 250);
}

} // namespace
