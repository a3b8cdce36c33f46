#include "core/common/AtomicFileWriter.h"
#include "core/files/ImageExportError.h"
#include "core/files/ImageExportService.h"
#include "core/files/imageio/ImageDestination.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QImage gradient(int w, int h, bool transparentCorner = false) {
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const bool clear = transparentCorner && x < w / 4 && y < h / 4;
            row[x * 4 + 0] = clear ? 0 : static_cast<uchar>(255 * x / std::max(1, w - 1));
            row[x * 4 + 1] = clear ? 0 : static_cast<uchar>(255 * y / std::max(1, h - 1));
            row[x * 4 + 2] = clear ? 0 : 90;
            row[x * 4 + 3] = clear ? 0 : 255;
        }
    }
    return image;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ImageExportOptions optionsFor(ImageExportFormat format, double quality = 0.88) {
    ImageExportOptions options;
    options.format = format;
    options.quality = quality;
    return options;
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(ImageExportFormat, TableAndDefaults) {
    QStringList raw, names, extensions, types;
    for (ImageExportFormat f : allCases<ImageExportFormat>()) {
        raw << rawValue(f);
        names << displayName(f);
        extensions << fileExtension(f);
        types << utTypeIdentifier(f);
    }
    EXPECT_EQ(raw, QStringList({"jpeg", "png", "heic", "avif", "tiff", "pdf"}));
    EXPECT_EQ(names, QStringList({"JPEG (.jpg)", "PNG (.png)", "HEIC (.heic)", "AVIF (.avif)", "TIFF (.tiff)",
                                  "PDF (.pdf)"}));
    EXPECT_EQ(extensions, QStringList({"jpg", "png", "heic", "avif", "tiff", "pdf"}));
    EXPECT_EQ(types, QStringList({"public.jpeg", "public.png", "public.heic", "public.avif", "public.tiff",
                                  "com.adobe.pdf"}));
    QStringList lossy;
    for (ImageExportFormat f : allCases<ImageExportFormat>())
        if (supportsQuality(f)) lossy << rawValue(f);
    EXPECT_EQ(lossy, QStringList({"jpeg", "heic", "avif"}));

    const ImageExportOptions defaults;
    EXPECT_EQ(defaults.format, ImageExportFormat::jpeg);
    EXPECT_DOUBLE_EQ(defaults.quality, 0.88);
    EXPECT_FALSE(defaults.resizeEnabled);
    EXPECT_EQ(defaults.targetWidth, 1920);
    EXPECT_EQ(defaults.targetHeight, 1080);
    EXPECT_TRUE(defaults.lockAspectRatio);
    EXPECT_FALSE(defaults.stripMetadata);

    EXPECT_EQ(ImageExportError::couldNotCreatePdfPage(), "Could not create PDF page.");
    EXPECT_EQ(ImageExportError::couldNotSerializePdfDocument(), "Could not serialize PDF document.");
    EXPECT_EQ(ImageExportError::unsupportedExportFormat(ImageExportFormat::avif),
              "Unsupported export format: AVIF (.avif)");
    EXPECT_EQ(ImageExportError::couldNotEncode(ImageExportFormat::heic), "Could not encode HEIC (.heic)");
    EXPECT_EQ(ImageExportError::encodingFailed("m").description(), "m");
}

// What the export writes, the image I/O layer reads back at the same size; alpha survives where
// the format has it, and JPEG shows white where the picture was transparent.
TEST(ImageExportService, EveryFormatRoundTrips) {
    ImageExportService service;
    QTemporaryDir dir;
    const QImage image = gradient(96, 64, true);
    for (ImageExportFormat format : allCases<ImageExportFormat>()) {
        if (format == ImageExportFormat::pdf) continue;
        SCOPED_TRACE(rawValue(format).toStdString());
        const QString path = dir.filePath("out." + fileExtension(format));
        service.exportImage(image, optionsFor(format), path);
        auto source = ImageSource::open(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->typeIdentifier(), utTypeIdentifier(format));
        const auto decoded = source->createImage(0);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->size(), image.size());
        // Away from the transparent corner the pixels are the picture's.
        const QImage picture = image.copy(32, 24, 64, 40);
        EXPECT_LT(testsupport::meanAbsoluteDifference(decoded->copy(32, 24, 64, 40), picture), 6.0);
        const QColor corner = decoded->pixelColor(4, 4);
        if (format == ImageExportFormat::jpeg) {
            EXPECT_EQ(corner.alpha(), 255);
            EXPECT_GT(corner.red(), 240);
        } else {
            EXPECT_LT(corner.alpha(), 10);
        }
        // An encoded render carries none of the source's metadata.
        const QVariantMap props = source->properties(0);
        EXPECT_FALSE(props.contains(ImageProperty::ExifDictionary));
        EXPECT_FALSE(props.contains(ImageProperty::GPSDictionary));
    }
}

TEST(ImageExportService, PdfPageMatchesTheResizedBitmap) {
    ImageExportService service;
    ImageExportOptions options = optionsFor(ImageExportFormat::pdf);
    options.resizeEnabled = true;
    options.targetWidth = 640;
    options.targetHeight = 123;
    const QByteArray pdf = service.encode(gradient(300, 200), options);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 1);
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 640.000000 123.000000]"));
    EXPECT_TRUE(pdf.contains("/Width 640"));
    EXPECT_TRUE(pdf.contains("/Height 123"));

    // Rendered back by poppler (through the vips tool) at 72 dpi, the page is the bitmap.
    QTemporaryDir dir;
    const QString exported = dir.filePath("page.pdf");
    const QImage picture = service.resize(gradient(300, 200), 640, 123);
    service.exportImage(gradient(300, 200), options, exported);
    QProcess vips;
    vips.start("vips", {"pdfload", exported, dir.filePath("page.png"), "--dpi", "72"});
    if (!vips.waitForFinished(60000) || vips.exitCode() != 0)
        GTEST_SKIP() << "the vips tool can't render PDF here";
    auto rendered = ImageSource::open(dir.filePath("page.png"));
    ASSERT_TRUE(rendered);
    const auto page = rendered->createImage(0);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->size(), QSize(640, 123));
    EXPECT_LT(testsupport::meanAbsoluteDifference(*page, picture), 3.0);
}

TEST(ImageExportService, QualityClampedForLossyAndIgnoredOtherwise) {
    ImageExportService service;
    const QImage image = gradient(200, 150);
    EXPECT_EQ(service.encode(image, optionsFor(ImageExportFormat::jpeg, 0.0)),
              service.encode(image, optionsFor(ImageExportFormat::jpeg, 0.1)));
    EXPECT_EQ(service.encode(image, optionsFor(ImageExportFormat::jpeg, 1.5)),
              service.encode(image, optionsFor(ImageExportFormat::jpeg, 1.0)));
    EXPECT_LT(service.encode(image, optionsFor(ImageExportFormat::jpeg, 0.2)).size(),
              service.encode(image, optionsFor(ImageExportFormat::jpeg, 0.9)).size());
    EXPECT_LT(service.encode(image, optionsFor(ImageExportFormat::avif, 0.2)).size(),
              service.encode(image, optionsFor(ImageExportFormat::avif, 0.9)).size());
    for (ImageExportFormat format : {ImageExportFormat::png, ImageExportFormat::tiff, ImageExportFormat::pdf})
        EXPECT_EQ(service.encode(image, optionsFor(format, 0.1)),
                  service.encode(image, optionsFor(format, 1.0)))
            << rawValue(format).toStdString();
}

TEST(ImageExportService, ResizeOptions) {
    ImageExportService service;
    QTemporaryDir dir;
    const QImage image = gradient(120, 90);
    ImageExportOptions options = optionsFor(ImageExportFormat::png);
    options.resizeEnabled = true;
    options.targetWidth = 0;
    options.targetHeight = 0;
    const QString tiny = dir.filePath("tiny.png");
    service.exportImage(image, options, tiny);
    EXPECT_EQ(ImageSource::open(tiny)->createImage(0)->size(), QSize(1, 1));

    // The bitmap's own size encodes it unscaled; with resizing off the target sizes don't matter.
    options.targetWidth = 120;
    options.targetHeight = 90;
    const QByteArray unscaled = service.encode(image, optionsFor(ImageExportFormat::png));
    EXPECT_EQ(service.encode(image, options), unscaled);
    options.resizeEnabled = false;
    options.targetWidth = 7;
    options.lockAspectRatio = false;
    EXPECT_EQ(service.encode(image, options), unscaled);
    EXPECT_EQ(service.resize(image, 120, 90).cacheKey(), image.cacheKey());
    EXPECT_EQ(service.resize(image, 33, 1000).size(), QSize(33, 1000));
}

// The estimate is the size of the very file the export writes, for every format and a spread
// of options, including a second run (encoders must not stamp times or random identifiers).
TEST(ImageExportService, EstimateEqualsWrittenFile) {
    ImageExportService service;
    QTemporaryDir dir;
    const QImage image = gradient(257, 131, true);
    for (ImageExportFormat format : allCases<ImageExportFormat>()) {
        for (const double quality : {0.1, 0.88}) {
            for (const bool resize : {false, true}) {
                ImageExportOptions options = optionsFor(format, quality);
                options.resizeEnabled = resize;
                options.targetWidth = 99;
                options.targetHeight = 61;
                SCOPED_TRACE(QStringLiteral("%1 q%2 resize %3")
                                 .arg(rawValue(format))
                                 .arg(quality)
                                 .arg(resize)
                                 .toStdString());
                const auto estimate = service.estimateEncodedByteSize(image, options);
                ASSERT_TRUE(estimate);
                const QString path = dir.filePath("estimate." + fileExtension(format));
                service.exportImage(image, options, path);
                EXPECT_EQ(QFileInfo(path).size(), *estimate);
                EXPECT_EQ(service.estimateEncodedByteSize(image, options), estimate);
                EXPECT_EQ(readAll(path), service.encode(image, options));
            }
        }
    }
    EXPECT_FALSE(service.estimateEncodedByteSize(QImage(), optionsFor(ImageExportFormat::jpeg)));
    EXPECT_FALSE(service.estimateEncodedByteSize(QImage(), optionsFor(ImageExportFormat::pdf)));
}

TEST(ImageExportService, EncodingFailuresCarryTheirMessages) {
    ImageExportService service;
    try {
        service.encode(QImage(), optionsFor(ImageExportFormat::pdf));
        ADD_FAILURE() << "a null bitmap encoded";
    } catch (const ImageExportError& error) {
        EXPECT_EQ(error.description(), "Could not create PDF page.");
    }
    try {
        service.encode(QImage(), optionsFor(ImageExportFormat::avif));
        ADD_FAILURE() << "a null bitmap encoded";
    } catch (const ImageExportError& error) {
        EXPECT_EQ(error.description(), "Could not encode AVIF (.avif)");
    }
}

// Whether HEIC and AVIF can be written depends on the encoders libheif was built with; without
// one the export names the format as unsupported and the estimate is absent.
TEST(ImageExportService, FormatsWithoutEncoderAreUnsupported) {
    ImageExportService service;
    for (ImageExportFormat format : {ImageExportFormat::heic, ImageExportFormat::avif}) {
        if (ImageDestination::canWrite(utTypeIdentifier(format))) {
            EXPECT_TRUE(service.estimateEncodedByteSize(gradient(16, 16), optionsFor(format)));
            continue;
        }
        EXPECT_FALSE(service.estimateEncodedByteSize(gradient(16, 16), optionsFor(format)));
        try {
            service.encode(gradient(16, 16), optionsFor(format));
            ADD_FAILURE() << "encoded without an encoder";
        } catch (const ImageExportError& error) {
            EXPECT_EQ(error.description(), "Unsupported export format: " + displayName(format));
        }
    }
    EXPECT_FALSE(ImageDestination::canWrite(ImageType::PDF));
}

TEST(ImageExportWrite, ReplacesWholeKeepsPermissionsAndFailsCleanly) {
    ImageExportService service;
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(3'000'000, 'x')); // far larger than the export
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QImage image = gradient(64, 48);
    service.exportImage(image, optionsFor(ImageExportFormat::jpeg), path);
    EXPECT_EQ(readAll(path), service.encode(image, optionsFor(ImageExportFormat::jpeg)));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"photo.jpg"});

    // A missing folder is the file system's error, and nothing appears anywhere.
    const QString missing = dir.filePath("no/such/folder/out.png");
    try {
        service.exportImage(image, optionsFor(ImageExportFormat::png), missing);
        ADD_FAILURE() << "exported into a missing folder";
    } catch (const FileSystemError& error) {
        EXPECT_EQ(error.code(), ENOENT);
        EXPECT_TRUE(error.description().contains("No such file or directory"))
            << error.description().toStdString();
        EXPECT_TRUE(error.description().contains(missing));
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"photo.jpg"});

    // A folder standing at the destination is refused, not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
    EXPECT_THROW(service.exportImage(image, optionsFor(ImageExportFormat::png), dir.filePath("taken.png")),
                 FileSystemError);
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.png")).isDir());
}

TEST(ImageExportWrite, FailureBetweenWriteAndRenameLeavesDestinationUntouched) {
    ImageExportService service;
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.png");
    const QImage first = gradient(40, 30);
    service.exportImage(first, optionsFor(ImageExportFormat::png), path);
    const QByteArray before = readAll(path);

    QString seenTemporary;
    AtomicFileWriter::setBeforeReplaceHookForTesting([&](const QString& temporary) {
        seenTemporary = temporary;
        // The complete bytes are in a temporary file beside the destination at this point.
        EXPECT_EQ(QFileInfo(temporary).absolutePath(), QFileInfo(path).absolutePath());
        EXPECT_GT(QFileInfo(temporary).size(), 0);
        throw FileSystemError(EIO, path);
    });
    EXPECT_THROW(service.exportImage(gradient(400, 300), optionsFor(ImageExportFormat::png), path),
                 FileSystemError);
    AtomicFileWriter::setBeforeReplaceHookForTesting({});

    EXPECT_FALSE(seenTemporary.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(seenTemporary));
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{"keep.png"});

    // And the next export goes through.
    service.exportImage(gradient(400, 300), optionsFor(ImageExportFormat::png), path);
    EXPECT_EQ(ImageSource::open(path)->createImage(0)->size(), QSize(400, 300));
}

TEST(ExportCli, ExportAndEstimateAgree) {
    QTemporaryDir dir;
    const QString input = testsupport::fixture("photos/hopper.png");
    for (const QString format : {"jpeg", "heic", "avif", "tiff", "pdf", "png"}) {
        const QString out = dir.filePath("h." + format);
        const QStringList options{"--format", format, "--quality", "0.6", "--size", "70x50"};
        const auto written = testsupport::runCli(QStringList{"export", input, "-o", out} + options);
        ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
        const auto estimate = testsupport::runCli(QStringList{"estimate", input} + options);
        ASSERT_EQ(estimate.exitCode, 0) << estimate.err.toStdString();
        EXPECT_EQ(estimate.out.trimmed().toLongLong(), QFileInfo(out).size()) << format.toStdString();
    }
    EXPECT_EQ(ImageSource::open(dir.filePath("h.jpeg"))->createImage(0)->size(), QSize(70, 50));
    EXPECT_EQ(testsupport::runCli({"export", input, "-o", dir.filePath("x.gif"), "--format", "gif"}).exitCode,
              2);
    const auto missing =
        testsupport::runCli({"export", input, "-o", dir.filePath("none/x.png"), "--format", "png"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("No such file or directory"));
}

// A resize beyond what may be allocated must fail the export: writing the photo at its own size
// would pass an unresized file off as the one asked for.
TEST(ExportCli, AResizeThatCannotBeMadeFailsWithoutWriting) {
    QTemporaryDir dir;
    ImageExportOptions options = optionsFor(ImageExportFormat::png);
    options.resizeEnabled = true;
    options.targetWidth = options.targetHeight = 70000;
    const QString direct = dir.filePath("direct.png");
    EXPECT_THROW(ImageExportService().exportImage(gradient(40, 30), options, direct), ImageExportError);
    EXPECT_FALSE(QFile::exists(direct));

    const QString out = dir.filePath("huge.png");
    const auto result = testsupport::runCli({"export", testsupport::fixture("photos/hopper.png"), "-o", out,
                                             "--format", "png", "--size", "70000x70000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("70000 x 70000")) << result.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
