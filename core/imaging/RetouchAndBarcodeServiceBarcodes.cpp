// Barcode detection of RetouchAndBarcodeService, on zxing-cpp.
#define ZX_USE_UTF8 1
#include "core/imaging/RecognitionEngineError.h"
#include "core/imaging/RetouchAndBarcodeService.h"

#include <QPainter>
#include <QSet>
#include <QTransform>
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

namespace {

// Larger images are read downscaled.
constexpr double kMaxPixels = 40.0e6;
// Large, soft codes in big photos read better smaller; images whose shorter side reaches this are
// also read at a third of their size.
constexpr int kReducedPassSide = 1500;
// The decoder itself tries quarter turns. Linear codes only tolerate a modest skew, so the image is
// also read turned by these angles, which together with the quarter turns leaves no orientation
// more than 15 degrees from one that is read.
constexpr double kExtraRotations[] = {30.0, 60.0};
constexpr double kMaxTurnedPixels = 12.0e6;
constexpr int kSmallestStripHalf = 48;
constexpr double kStripSearchPixels = 3.0e6;

QString symbologyName(ZXing::BarcodeFormat format, const QString& payload) {
    using F = ZXing::BarcodeFormat;
    switch (format) {
    case F::Aztec: return QStringLiteral("Aztec");
    case F::Codabar: return QStringLiteral("Codabar");
    case F::Code39: return QStringLiteral("Code39");
    case F::Code93: return QStringLiteral("Code93");
    case F::Code128: return QStringLiteral("Code128");
    case F::DataBar: return QStringLiteral("GS1DataBar");
    case F::DataBarExpanded: return QStringLiteral("GS1DataBarExpanded");
    case F::DataMatrix: return QStringLiteral("DataMatrix");
    case F::EAN8: return QStringLiteral("EAN8");
    case F::EAN13: return QStringLiteral("EAN13");
    case F::ITF: {
        // A 14-digit Interleaved 2 of 5 is the shipping-carton code ITF-14.
        const bool itf14 = payload.size() == 14 &&
                           std::all_of(payload.begin(), payload.end(), [](QChar c) { return c.isDigit(); });
        return itf14 ? QStringLiteral("ITF14") : QStringLiteral("ITF");
    }
    case F::MaxiCode: return QStringLiteral("MaxiCode");
    case F::PDF417: return QStringLiteral("PDF417");
    case F::QRCode: return QStringLiteral("QR");
    case F::UPCA: return QStringLiteral("UPCA");
    case F::UPCE: return QStringLiteral("UPCE");
    case F::MicroQRCode: return QStringLiteral("MicroQR");
    default: return QString::fromLatin1(ZXing::ToString(format));
    }
}

// The image flattened onto white (codes are printed dark on light), within the pixel budget.
QImage flattenedOnWhite(const QImage& image) {
    const double pixels = static_cast<double>(image.width()) * image.height();
    QSize size = image.size();
    if (pixels > kMaxPixels) {
        const double scale = std::sqrt(kMaxPixels / pixels);
        size = QSize(std::max(1, int(image.width() * scale)), std::max(1, int(image.height() * scale)));
    }
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull()) return canvas;
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    return canvas;
}

QImage rotatedOnWhite(const QImage& canvas, double degrees) {
    QTransform turn = QTransform().rotate(degrees);
    // A turned copy is read smaller when it would be large: a long thin image turned needs a canvas
    // many times its own area, and a camera photo turned is mostly blank corners.
    const QRectF turnedBounds = turn.mapRect(QRectF(canvas.rect()));
    const double area = turnedBounds.width() * turnedBounds.height();
    if (area > kMaxTurnedPixels) {
        const double scale = std::sqrt(kMaxTurnedPixels / area);
        turn = QTransform().rotate(degrees).scale(scale, scale);
    }
    const QRect bounds = turn.mapRect(QRectF(canvas.rect())).toAlignedRect();
    QImage rotated(bounds.size(), QImage::Format_RGB32);
    if (rotated.isNull()) return rotated;
    rotated.fill(Qt::white);
    QPainter painter(&rotated);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(-bounds.topLeft());
    painter.setTransform(turn, true);
    painter.drawImage(0, 0, canvas);
    return rotated;
}

ZXing::Results read(const ZXing::ImageView& view, ZXing::BarcodeFormats formats) {
    ZXing::DecodeHints hints;
    // The decoder's own downscaling merges the scales' results with a comparison that asserts on
    // linear codes found at two scales (zxing-cpp 1.4), so the scales are read here one by one.
    hints.setFormats(formats).setTryHarder(true).setTryRotate(true).setTryDownscale(false).setMaxNumberOfSymbols(255);
    return ZXing::ReadBarcodes(view, hints);
}

ZXing::ImageView viewOf(const QImage& gray) {
    return {gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
            static_cast<int>(gray.bytesPerLine())};
}

// The Data Matrix detector of this decoder finds one symbol, and only one that crosses the middle row
// of the image. Strips of several heights, centred on rows a few symbol sizes apart, bring every
// symbol onto the middle row of one of them. Each strip height costs about four reads of the image,
// so the search runs on a copy of bounded size.
template <typename Collect>
void readInStrips(const QImage& gray, Collect&& collect) {
    QImage image = gray;
    const double pixels = static_cast<double>(gray.width()) * gray.height();
    if (pixels > kStripSearchPixels) {
        const double scale = std::sqrt(kStripSearchPixels / pixels);
        image = gray.scaled(std::max(1, int(gray.width() * scale)), std::max(1, int(gray.height() * scale)),
                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_Grayscale8);
    }
    const ZXing::BarcodeFormats formats = ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::MaxiCode;
    const ZXing::ImageView whole = viewOf(image);
    const int height = image.height();
    for (int half = kSmallestStripHalf;; half *= 2) {
        const int step = half / 2;
        for (int middle = step / 2; middle < height; middle += step) {
            const int reach = std::min({half, middle, height - middle});
            if (reach < kSmallestStripHalf / 4) continue;
            collect(read(whole.cropped(0, middle - reach, image.width(), 2 * reach), formats));
        }
        if (half * 2 >= height) break;
    }
}

QImage luminance(const QImage& rgb32) {
    return rgb32.isNull() ? QImage() : rgb32.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

QList<DetectedBarcode> RetouchAndBarcodeService::detectBarcodes(const QImage& image) const {
    QList<DetectedBarcode> found;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return found;
    const QImage canvas = flattenedOnWhite(image);
    if (canvas.isNull()) throw RecognitionEngineError(QStringLiteral("The image is too large to scan."));

    QSet<QString> seen;
    const auto collect = [&](const ZXing::Results& results) {
        for (const ZXing::Result& result : results) {
            if (!result.isValid()) continue;
            const QString payload = QString::fromStdString(result.text()).trimmed();
            if (payload.isEmpty()) continue;
            DetectedBarcode barcode(symbologyName(result.format(), payload), payload);
            if (seen.contains(barcode.id)) continue;
            seen.insert(barcode.id);
            found.append(std::move(barcode));
        }
    };
    try {
        const QImage gray = luminance(canvas);
        collect(read(viewOf(gray), ZXing::BarcodeFormat::Any));
        if (std::min(gray.width(), gray.height()) >= kReducedPassSide) {
            const QImage reduced = gray.scaled(gray.width() / 3, gray.height() / 3, Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation)
                                       .convertToFormat(QImage::Format_Grayscale8);
            collect(read(viewOf(reduced), ZXing::BarcodeFormat::Any));
        }
        readInStrips(gray, collect);
        for (double degrees : kExtraRotations) {
            const QImage turned = luminance(rotatedOnWhite(canvas, degrees));
            if (!turned.isNull()) collect(read(viewOf(turned), ZXing::BarcodeFormat::LinearCodes));
        }
    } catch (const std::exception& error) {
        throw RecognitionEngineError(
            QStringLiteral("The barcode reader failed: %1").arg(QString::fromUtf8(error.what())));
    }
    return found;
}
