#include "imagecodec/OnePagePdf.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <optional>

namespace onepagepdf {

std::variant<QByteArray, Failure> make(const QImage& image) {
    if (image.isNull()) return Failure::page;
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly)) return Failure::document;
        QPdfWriter writer(&buffer);
        // 72 dots per inch: one device pixel is one point, so the bitmap's pixels are the page's points.
        writer.setResolution(72);
        const QPageSize size(QSizeF(image.width(), image.height()), QPageSize::Point, QString(),
                             QPageSize::ExactMatch);
        if (!writer.setPageLayout(
                QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point)))
            return Failure::page;
        QPainter painter;
        if (!painter.begin(&writer)) return Failure::page;
        // The page keeps the exact pixels; left to itself the writer would store opaque images as JPEG.
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(QRect(0, 0, image.width(), image.height()), image);
        if (!painter.end()) return Failure::document;
    }
    if (bytes.isEmpty()) return Failure::document;
    return withoutCreationDate(bytes);
}

namespace {
constexpr int kXrefEntryLength = 20; // "0000000015 00000 n \n"

std::optional<qint64> parseNumber(const QByteArray& bytes, qsizetype from, qsizetype* end) {
    qsizetype i = from;
    while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9')
        ++i;
    if (i == from || i - from > 12) return std::nullopt;
    *end = i;
    return bytes.mid(from, i - from).toLongLong();
}
} // namespace

QByteArray withoutCreationDate(const QByteArray& pdf) {
    // The information dictionary is written first, just after the header.
    const qsizetype start = pdf.indexOf("\n/CreationDate (");
    if (start < 0 || start > 1024) return pdf;
    const qsizetype close = pdf.indexOf(")\n", start);
    if (close < 0) return pdf;
    const qsizetype removeFrom = start + 1;
    const qsizetype removed = close + 2 - removeFrom;

    const qsizetype startxref = pdf.lastIndexOf("startxref\n");
    if (startxref < 0) return pdf;
    qsizetype numberEnd = 0;
    const auto xrefOffset = parseNumber(pdf, startxref + 10, &numberEnd);
    if (!xrefOffset || *xrefOffset <= removeFrom || *xrefOffset >= startxref) return pdf;

    QByteArray out = pdf.left(removeFrom) + pdf.mid(removeFrom + removed, startxref - removeFrom - removed);
    const qint64 newXref = *xrefOffset - removed;
    qsizetype pos = newXref;
    if (!out.mid(pos, 5).startsWith("xref\n")) return pdf;
    pos += 5;
    // Subsections "first count\n" followed by fixed-width entries, up to the trailer.
    while (pos < out.size() && !out.mid(pos, 7).startsWith("trailer")) {
        qsizetype end = 0;
        if (!parseNumber(out, pos, &end) || end >= out.size() || out[end] != ' ') return pdf;
        const auto count = parseNumber(out, end + 1, &end);
        if (!count || end >= out.size()) return pdf;
        pos = end;
        while (pos < out.size() && (out[pos] == '\n' || out[pos] == '\r' || out[pos] == ' '))
            ++pos;
        for (qint64 i = 0; i < *count; ++i, pos += kXrefEntryLength) {
            if (pos + kXrefEntryLength > out.size()) return pdf;
            qsizetype digitsEnd = 0;
            const auto offset = parseNumber(out, pos, &digitsEnd);
            if (!offset || digitsEnd != pos + 10) return pdf;
            if (out[pos + 17] == 'n' && *offset > removeFrom) {
                const QByteArray moved = QByteArray::number(*offset - removed).rightJustified(10, '0');
                out.replace(pos, 10, moved);
            }
        }
    }
    if (pos >= out.size()) return pdf;
    out += "startxref\n" + QByteArray::number(newXref) + pdf.mid(numberEnd);
    return out;
}

} // namespace onepagepdf
