#define ZX_USE_UTF8 1
#include "core/imaging/RetouchAndBarcodeService.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <gtest/gtest.h>

namespace {

// A code drawn by zxing's own writer, black on white with its quiet zone, `width` × `height` pixels.
QImage codeImage(ZXing::BarcodeFormat format, const std::string& text, int width, int height) {
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(format).setMargin(10).encode(text, width, height);
    QImage image(matrix.width(), matrix.height(), QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < matrix.height(); ++y)
        for (int x = 0; x < matrix.width(); ++x)
            image.setPixelColor(x, y, matrix.get(x, y) ? Qt::black : Qt::white);
    return image;
}

void place(QImage& canvas, const QImage& code, QPoint centre, double degrees = 0, double scale = 1) {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(centre);
    painter.rotate(degrees);
    painter.scale(scale, scale);
    painter.drawImage(QPoint(-code.width() / 2, -code.height() / 2), code);
}

QImage flowers() {
    QImage photo(testsupport::fixture(QStringLiteral("photos/flowers-1920x1080.jpg")));
    return photo.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

QStringList ids(const QList<DetectedBarcode>& barcodes) {
    QStringList list;
    for (const auto& barcode : barcodes) list << barcode.id;
    list.sort();
    return list;
}

} // namespace

TEST(BarcodeDetection, ReadsSeveralSymbologiesOnAPhotoIncludingTurnedOnes) {
    QImage photo = flowers();
    ASSERT_FALSE(photo.isNull());
    place(photo, codeImage(ZXing::BarcodeFormat::QRCode, "https://example.com/taviview?q=1", 260, 260), {250, 250});
    place(photo, codeImage(ZXing::BarcodeFormat::DataMatrix, "TAVI-DM-0042", 180, 180), {1650, 250}, 45);
    place(photo, codeImage(ZXing::BarcodeFormat::EAN13, "4006381333931", 380, 160), {400, 820});
    // A linear code at an angle the decoder's own quarter turns do not cover.
    place(photo, codeImage(ZXing::BarcodeFormat::Code128, "TAVI-128-XYZ", 420, 150), {1300, 750}, 27);

    const auto barcodes = RetouchAndBarcodeService().detectBarcodes(photo);
    EXPECT_EQ(ids(barcodes), (QStringList{"Code128:TAVI-128-XYZ", "DataMatrix:TAVI-DM-0042", "EAN13:4006381333931",
                                          "QR:https://example.com/taviview?q=1"}));
    for (const auto& barcode : barcodes) {
        EXPECT_EQ(barcode.id, barcode.symbology + ":" + barcode.payload);
        EXPECT_EQ(barcode.url().has_value(), barcode.symbology == "QR") << barcode.id.toStdString();
    }
}

TEST(BarcodeDetection, RemovesRepeatsButKeepsTheSamePayloadInAnotherSymbology) {
    QImage canvas(1400, 500, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::white);
    const QImage qr = codeImage(ZXing::BarcodeFormat::QRCode, "same payload", 220, 220);
    place(canvas, qr, {200, 250});
    place(canvas, qr, {600, 250}, 90);
    place(canvas, codeImage(ZXing::BarcodeFormat::DataMatrix, "same payload", 200, 200), {1000, 250});

    const auto barcodes = RetouchAndBarcodeService().detectBarcodes(canvas);
    EXPECT_EQ(ids(barcodes), (QStringList{"DataMatrix:same payload", "QR:same payload"}));
}

TEST(BarcodeDetection, TrimsPayloadsAndDropsBlankOnes) {
    QImage canvas(900, 450, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::white);
    place(canvas, codeImage(ZXing::BarcodeFormat::QRCode, "    ", 220, 220), {220, 225});
    place(canvas, codeImage(ZXing::BarcodeFormat::QRCode, "  padded text \n", 220, 220), {650, 225});

    const auto barcodes = RetouchAndBarcodeService().detectBarcodes(canvas);
    ASSERT_EQ(barcodes.size(), 1);
    EXPECT_EQ(barcodes[0], DetectedBarcode("QR", "padded text"));
}

TEST(BarcodeDetection, ImagesWithoutCodesGiveAnEmptyList) {
    const RetouchAndBarcodeService service;
    EXPECT_TRUE(service.detectBarcodes(QImage()).isEmpty());
    EXPECT_TRUE(service.detectBarcodes(flowers()).isEmpty());
    QImage clear(64, 64, QImage::Format_RGBA8888_Premultiplied);
    clear.fill(Qt::transparent);
    EXPECT_TRUE(service.detectBarcodes(clear).isEmpty());
    // Shapes whose turned copies would be enormous stay within bounds.
    QImage strip(60000, 2, QImage::Format_RGBA8888_Premultiplied);
    strip.fill(Qt::white);
    EXPECT_TRUE(service.detectBarcodes(strip).isEmpty());
    EXPECT_TRUE(service.detectBarcodes(strip.transformed(QTransform().rotate(90))).isEmpty());
}

TEST(DetectedBarcodeUrl, OnlyWebMailAndPhoneSchemesInAnyCase) {
    EXPECT_EQ(DetectedBarcode("QR", "HTTPS://EXAMPLE.COM/A").url(), QUrl("HTTPS://EXAMPLE.COM/A"));
    EXPECT_TRUE(DetectedBarcode("QR", "http://example.com").url());
    EXPECT_TRUE(DetectedBarcode("QR", "mailto:someone@example.com").url());
    EXPECT_TRUE(DetectedBarcode("QR", "TEL:+905551234567").url());
    EXPECT_FALSE(DetectedBarcode("QR", "ftp://example.com/file").url());
    EXPECT_FALSE(DetectedBarcode("QR", "just some words").url());
    EXPECT_FALSE(DetectedBarcode("EAN13", "4006381333931").url());
    EXPECT_FALSE(DetectedBarcode("QR", "http://exa mple.com").url());

    const DetectedBarcode barcode("Code128", "ABC");
    EXPECT_EQ(barcode.id, "Code128:ABC");
    EXPECT_NE(barcode, DetectedBarcode("Code39", "ABC"));
}

TEST(BarcodeCli, ScanPrintsSymbologyAndPayload) {
    QTemporaryDir dir;
    QImage canvas(400, 400, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::white);
    place(canvas, codeImage(ZXing::BarcodeFormat::QRCode, "tel:+441234567", 240, 240), {200, 200});
    const QString path = testsupport::writeImage(dir, QStringLiteral("code.png"), canvas);

    const auto result = testsupport::runCli({QStringLiteral("scan"), path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.trimmed(), "QR\ttel:+441234567");

    QImage blank(50, 50, QImage::Format_RGBA8888_Premultiplied);
    blank.fill(Qt::white);
    const auto none = testsupport::runCli({QStringLiteral("scan"), testsupport::writeImage(dir, "blank.png", blank)});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains("No QR code or barcode detected."));
}
