#include "imagecodec/OnePagePdf.h"
#include "imagecodec/TaviImageCoreError.h"
#include "imagecodec/TaviImageEncodeOptions.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(TaviImageOutputFormat, TableAndRawValues) {
    ASSERT_EQ(allCases<TaviImageOutputFormat>().size(), 5u);
    QStringList raw, names, extensions, types;
    for (TaviImageOutputFormat f : allCases<TaviImageOutputFormat>()) {
        raw << rawValue(f);
        names << displayName(f);
        extensions << fileExtension(f);
        types << utTypeIdentifier(f);
    }
    EXPECT_EQ(raw, QStringList({"png", "jpeg", "heic", "tiff", "pdf"}));
    EXPECT_EQ(names, QStringList({"PNG", "JPEG", "HEIC", "TIFF", "PDF"}));
    EXPECT_EQ(extensions, QStringList({"png", "jpg", "heic", "tiff", "pdf"}));
    EXPECT_EQ(types,
              QStringList({"public.png", "public.jpeg", "public.heic", "public.tiff", "com.adobe.pdf"}));
    EXPECT_TRUE(supportsLossyQuality(TaviImageOutputFormat::jpeg));
    EXPECT_TRUE(supportsLossyQuality(TaviImageOutputFormat::heic));
    EXPECT_FALSE(supportsLossyQuality(TaviImageOutputFormat::png));
    EXPECT_FALSE(fromRawValue<TaviImageOutputFormat>(u"avif"));
    EXPECT_FALSE(fromRawValue<TaviImageOutputFormat>(u"JPEG"));
}

TEST(TaviImageEncodeOptions, InitializerClampsQuality) {
    EXPECT_EQ(TaviImageEncodeOptions().format, TaviImageOutputFormat::png);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions().quality, 0.9);
    EXPECT_TRUE(TaviImageEncodeOptions().stripGPSAndSensitiveEXIF);
    EXPECT_FALSE(TaviImageEncodeOptions().maxDimension);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, 0.0).quality, 0.1);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, -3).quality, 0.1);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, 1.5).quality, 1.0);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, 0.55).quality, 0.55);
    EXPECT_DOUBLE_EQ(TaviImageEncodeOptions(TaviImageOutputFormat::jpeg, std::nan("")).quality, 0.1);
}

TEST(TaviImageEncodeOptions, JsonRoundTripAndStrictDecoding) {
    const TaviImageEncodeOptions withBound(TaviImageOutputFormat::heic, 0.7, false, 4096);
    const QJsonObject json = withBound.toJson();
    EXPECT_EQ(json.value("format").toString(), "heic");
    EXPECT_EQ(json.value("maxDimension").toInt(), 4096);
    EXPECT_EQ(TaviImageEncodeOptions::fromJson(json), withBound);

    const QJsonObject noBound = TaviImageEncodeOptions(TaviImageOutputFormat::tiff).toJson();
    EXPECT_FALSE(noBound.contains("maxDimension")); // left out, not null
    EXPECT_EQ(TaviImageEncodeOptions::fromJson(noBound), TaviImageEncodeOptions(TaviImageOutputFormat::tiff));

    // A stored quality is taken as it is.
    const auto parse = [](const char* text) {
        return TaviImageEncodeOptions::fromJson(QJsonDocument::fromJson(text).object());
    };
    const auto unclamped = parse(R"({"format":"jpeg","quality":5,"stripGPSAndSensitiveEXIF":true})");
    ASSERT_TRUE(unclamped);
    EXPECT_DOUBLE_EQ(unclamped->quality, 5.0);
    EXPECT_TRUE(
        parse(R"({"format":"jpeg","quality":0.5,"stripGPSAndSensitiveEXIF":true,"maxDimension":null})"));
    EXPECT_FALSE(parse(R"({"format":"gif","quality":0.5,"stripGPSAndSensitiveEXIF":true})"));
    EXPECT_FALSE(parse(R"({"quality":0.5,"stripGPSAndSensitiveEXIF":true})"));
    EXPECT_FALSE(parse(R"({"format":"png","stripGPSAndSensitiveEXIF":true})"));
    EXPECT_FALSE(parse(R"({"format":"png","quality":"high","stripGPSAndSensitiveEXIF":true})"));
    EXPECT_FALSE(parse(R"({"format":"png","quality":0.5,"stripGPSAndSensitiveEXIF":1})"));
    EXPECT_FALSE(
        parse(R"({"format":"png","quality":0.5,"stripGPSAndSensitiveEXIF":true,"maxDimension":12.5})"));
    EXPECT_FALSE(
        parse(R"({"format":"png","quality":0.5,"stripGPSAndSensitiveEXIF":true,"maxDimension":1e12})"));
}

TEST(TaviImageCoreError, Descriptions) {
    EXPECT_EQ(TaviImageCoreError::unreadableImage("a.jpg").description(), "Could not decode image: a.jpg");
    EXPECT_EQ(TaviImageCoreError::encodingFailed("x").description(), "Failed to encode image: x");
    EXPECT_EQ(TaviImageCoreError::coreMLModelUnavailable("m").description(), "CoreML model unavailable: m");
    EXPECT_EQ(
        TaviImageCoreError::noForegroundSubject().description(),
        QString::fromUtf8("No salient foreground subject detected \u2014 try Magic Color-Key mode for solid "
                          "backgrounds."));
    EXPECT_EQ(TaviImageCoreError::maskGenerationFailed().description(),
              "Failed to generate alpha subject mask.");
    EXPECT_EQ(TaviImageCoreError::unreadableImage("a.jpg").kind(), TaviImageCoreError::Kind::unreadableImage);
    EXPECT_STREQ(TaviImageCoreError::encodingFailed("x").what(), "Failed to encode image: x");
}

// Every object the cross-reference table names must start exactly where it says.
void expectConsistentCrossReferences(const QByteArray& pdf) {
    const qsizetype startxref = pdf.lastIndexOf("startxref\n");
    ASSERT_GT(startxref, 0);
    const qsizetype xref = pdf.mid(startxref + 10, 12).split(' ').value(0).trimmed().toLongLong();
    ASSERT_TRUE(pdf.mid(xref).startsWith("xref\n"));
    const QList<QByteArray> lines = pdf.mid(xref, startxref - xref).split('\n');
    const QList<QByteArray> header = lines.value(1).split(' ');
    const int first = header.value(0).toInt();
    const int count = header.value(1).toInt();
    ASSERT_GT(count, 2);
    for (int i = 0; i < count; ++i) {
        const QByteArray entry = lines.value(2 + i);
        if (!entry.contains(" n")) continue;
        const qint64 offset = entry.left(10).toLongLong();
        EXPECT_TRUE(pdf.mid(offset).startsWith(QByteArray::number(first + i) + " 0 obj"))
            << "object " << first + i;
    }
}

TEST(OnePagePdf, OnePageOfPixelSizeWithoutDateAndWithValidOffsets) {
    QImage image(301, 157, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor(10, 200, 30, 128));
    const auto made = onepagepdf::make(image);
    ASSERT_TRUE(std::holds_alternative<QByteArray>(made));
    const QByteArray pdf = std::get<QByteArray>(made);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_FALSE(pdf.contains("/CreationDate"));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 1);
    static const QRegularExpression mediaBox(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])");
    const auto match = mediaBox.match(QString::fromLatin1(pdf));
    ASSERT_TRUE(match.hasMatch());
    EXPECT_DOUBLE_EQ(match.captured(1).toDouble(), 301.0);
    EXPECT_DOUBLE_EQ(match.captured(2).toDouble(), 157.0);
    expectConsistentCrossReferences(pdf);
    EXPECT_TRUE(std::holds_alternative<onepagepdf::Failure>(onepagepdf::make(QImage())));

    // Bytes of another layout are passed through untouched rather than damaged.
    const QByteArray foreign = "%PDF-1.7\n1 0 obj\n<<\n/CreationDate (D:2020)\n>>\nendobj\n";
    EXPECT_EQ(onepagepdf::withoutCreationDate(foreign), foreign);
}

} // namespace
