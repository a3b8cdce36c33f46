#include "AnimationWriters.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>
#include <zlib.h>

namespace animtest {
namespace {

void le16(QByteArray& out, int v) {
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

// LZW data with code size 3 throughout: a clear code before every two literals keeps the
// decoder's table from growing, so no compression logic is needed.
QByteArray lzwUncompressed(const std::vector<quint8>& pixels) {
    const int clear = 4, end = 5;
    QByteArray bits;
    quint32 acc = 0;
    int count = 0;
    auto emit = [&](int code) {
        acc |= quint32(code) << count;
        count += 3;
        while (count >= 8) {
            bits.append(char(acc & 0xff));
            acc >>= 8;
            count -= 8;
        }
    };
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0) emit(clear);
        emit(pixels[i]);
    }
    emit(end);
    if (count > 0) bits.append(char(acc & 0xff));
    QByteArray blocks;
    for (qsizetype pos = 0; pos < bits.size(); pos += 255) {
        const QByteArray part = bits.mid(pos, 255);
        blocks.append(char(part.size()));
        blocks.append(part);
    }
    blocks.append('\0');
    return blocks;
}

void pngChunk(QByteArray& out, const char* type, const QByteArray& payload) {
    char length[4];
    qToBigEndian<quint32>(quint32(payload.size()), length);
    out.append(length, 4);
    QByteArray body(type, 4);
    body.append(payload);
    out.append(body);
    char crc[4];
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), crc);
    out.append(crc, 4);
}

QByteArray be32(quint32 v) {
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}
QByteArray be16(quint16 v) {
    QByteArray b(2, '\0');
    qToBigEndian<quint16>(v, b.data());
    return b;
}

// The IHDR payload and the concatenated IDAT data of a PNG.
std::pair<QByteArray, QByteArray> pngParts(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    QByteArray ihdr, idat;
    qsizetype pos = 8;
    while (pos + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + pos);
        const QByteArray type = png.mid(pos + 4, 4);
        const QByteArray payload = png.mid(pos + 8, length);
        if (type == "IHDR") ihdr = payload;
        if (type == "IDAT") idat.append(payload);
        pos += 12 + length;
    }
    return {ihdr, idat};
}

} // namespace

QByteArray gif(const std::vector<int>& delays, int size) {
    QByteArray out("GIF89a");
    le16(out, size);
    le16(out, size);
    out.append(char(0x91)); // global table of 4 colours
    out.append('\0');
    out.append('\0');
    const quint8 palette[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    out.append(reinterpret_cast<const char*>(palette), 12);
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (size_t f = 0; f < delays.size(); ++f) {
        out.append("\x21\xf9\x04\x04", 4); // graphic control: dispose "do not dispose"
        le16(out, delays[f]);
        out.append("\x00\x00", 2);
        out.append(char(0x2c));
        le16(out, 0);
        le16(out, 0);
        le16(out, size);
        le16(out, size);
        out.append('\0');
        out.append(char(2)); // LZW minimum code size
        std::vector<quint8> pixels(size_t(size) * size, quint8(f % 4));
        pixels[f % size_t(size)] = quint8((f + 1) % 4); // first row only
        out.append(lzwUncompressed(pixels));
    }
    out.append(char(0x3b));
    return out;
}

QByteArray apng(const std::vector<ApngFrame>& frames) {
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    const auto [ihdr, firstData] = pngParts(frames.front().image);
    pngChunk(out, "IHDR", ihdr);
    pngChunk(out, "acTL", be32(quint32(frames.size())) + be32(0));
    quint32 sequence = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const ApngFrame& frame = frames[i];
        QByteArray fctl = be32(sequence++);
        fctl += be32(quint32(frame.image.width())) + be32(quint32(frame.image.height())) + be32(0) + be32(0);
        fctl += be16(frame.delayNumerator) + be16(frame.delayDenominator);
        fctl.append('\0'); // dispose none
        fctl.append('\0'); // blend source
        pngChunk(out, "fcTL", fctl);
        QByteArray data = pngParts(frame.image).second;
        if (frame.corruptData) data.fill('\x5a');
        if (i == 0)
            pngChunk(out, "IDAT", data);
        else
            pngChunk(out, "fdAT", be32(sequence++) + data);
    }
    pngChunk(out, "IEND", {});
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace animtest
