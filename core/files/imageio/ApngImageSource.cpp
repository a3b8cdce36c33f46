#include "core/files/imageio/ApngImageSource.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/ExifDictionaries.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/Orientation.h"
#include "core/files/imageio/VipsSupport.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <zlib.h>

namespace {
constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;

quint32 be32(const char* p) { return qFromBigEndian<quint32>(p); }
quint16 be16(const char* p) { return qFromBigEndian<quint16>(p); }

void appendChunk(QByteArray& out, const char* type, const QByteArray& payload) {
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), length);
    out.append(length, 4);
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(payload);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(out.constData() + start), static_cast<uInt>(4 + payload.size()));
    char crcBytes[4];
    qToBigEndian<quint32>(static_cast<quint32>(crc), crcBytes);
    out.append(crcBytes, 4);
}

// libpng, run leniently by libvips, turns a frame whose compressed data is damaged into blank
// pixels instead of an error. Inflate it here first: a broken stream or too few bytes for the
// frame's rows means the frame can't be decoded.
bool frameDataIntact(const ApngImageSource::Frame& frame, const QByteArray& ihdr) {
    static const int channelsForColourType[7] = {1, 0, 3, 1, 2, 0, 4};
    const quint8 bitDepth = static_cast<quint8>(ihdr[8]);
    const quint8 colourType = static_cast<quint8>(ihdr[9]);
    const bool interlaced = ihdr[12] != 0;
    if (colourType > 6 || channelsForColourType[colourType] == 0) return false;
    const quint64 rowBytes = (quint64(frame.width) * channelsForColourType[colourType] * bitDepth + 7) / 8;
    const quint64 expected = interlaced ? 1 : quint64(frame.height) * (rowBytes + 1);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    unsigned char sink[16384];
    quint64 produced = 0;
    int status = Z_OK;
    for (size_t part = 0; part < frame.data.size() && status == Z_OK; ++part) {
        const QByteArray& data = frame.data[part];
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        stream.avail_in = static_cast<uInt>(data.size());
        while (status == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0)) {
            stream.next_out = sink;
            stream.avail_out = sizeof(sink);
            status = inflate(&stream, Z_NO_FLUSH);
            produced += sizeof(sink) - stream.avail_out;
            if (status == Z_BUF_ERROR) { // no progress: this part is used up, the next one continues
                status = Z_OK;
                break;
            }
            if (stream.avail_in == 0 && stream.avail_out != 0) break;
        }
    }
    inflateEnd(&stream);
    return (status == Z_OK || status == Z_STREAM_END) && produced >= expected;
}

double delaySeconds(const ApngImageSource::Frame& frame) {
    const double den = frame.delayDen == 0 ? 100.0 : frame.delayDen;
    return frame.delayNum / den;
}
} // namespace

std::unique_ptr<ImageSource> ApngImageSource::tryOpen(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return nullptr;
    if (file.peek(8) != QByteArray(kSignature, 8)) return nullptr;
    const QByteArray bytes = file.readAll();
    std::unique_ptr<ApngImageSource> source(new ApngImageSource(path));
    if (!source->parse(bytes)) return nullptr;
    exifdict::addMetadataDictionaries(path, {}, {}, source->base_);
    const QVariant o = source->base_.value(ImageProperty::TIFFDictionary).toMap().value(QStringLiteral("Orientation"));
    if (o.typeId() == QMetaType::LongLong && o.toInt() >= 1 && o.toInt() <= 8)
        source->base_.insert(ImageProperty::Orientation, o.toInt());
    return source;
}

bool ApngImageSource::parse(const QByteArray& bytes) {
    const char* data = bytes.constData();
    const qint64 size = bytes.size();
    qint64 pos = 8;
    bool haveActl = false;
    bool seenIdat = false;
    Frame* pending = nullptr; // the frame the next data chunks belong to
    while (pos + 12 <= size) {
        const quint32 length = be32(data + pos);
        if (length > static_cast<quint64>(size - pos - 12)) return false;
        const QByteArray type(data + pos + 4, 4);
        const char* payload = data + pos + 8;
        pos += 12 + static_cast<qint64>(length);

        if (type == "IHDR") {
            if (length != 13) return false;
            ihdr_ = QByteArray(payload, 13);
            canvasWidth_ = be32(payload);
            canvasHeight_ = be32(payload + 4);
        } else if (type == "acTL") {
            if (length != 8 || be32(payload) == 0) return false;
            haveActl = true;
        } else if (type == "fcTL") {
            if (length != 26 || ihdr_.isEmpty()) return false;
            Frame frame;
            frame.width = be32(payload + 4);
            frame.height = be32(payload + 8);
            frame.x = be32(payload + 12);
            frame.y = be32(payload + 16);
            frame.delayNum = be16(payload + 20);
            frame.delayDen = be16(payload + 22);
            frame.dispose = static_cast<quint8>(payload[24]);
            frame.blend = static_cast<quint8>(payload[25]);
            if (frame.width == 0 || frame.height == 0 || frame.dispose > 2 || frame.blend > 1) return false;
            if (quint64(frame.x) + frame.width > canvasWidth_ || quint64(frame.y) + frame.height > canvasHeight_)
                return false;
            frames_.push_back(std::move(frame));
            pending = &frames_.back();
        } else if (type == "IDAT") {
            // The default image is the first frame only when an fcTL came before it.
            if (pending && !seenIdat) pending->data.emplace_back(payload, length);
            seenIdat = true;
        } else if (type == "fdAT") {
            if (length < 4 || !pending) return false;
            pending->data.emplace_back(payload + 4, length - 4);
        } else if (type == "IEND") {
            break;
        } else if (!seenIdat && (type == "PLTE" || type == "tRNS" || type == "gAMA" || type == "cHRM" ||
                                 type == "sRGB" || type == "iCCP" || type == "sBIT")) {
            sharedChunks_.push_back(type + QByteArray(payload, length));
        }
    }
    if (!haveActl || ihdr_.isEmpty() || frames_.size() < 1) return false;
    for (const Frame& frame : frames_)
        if (frame.data.empty()) return false;
    if (!isDecodableSize(canvasWidth_, canvasHeight_)) return false;

    const quint8 colourType = static_cast<quint8>(ihdr_[9]);
    bool hasTrns = false;
    for (const QByteArray& chunk : sharedChunks_) hasTrns |= chunk.startsWith("tRNS");
    base_.insert(ImageProperty::PixelWidth, static_cast<int>(canvasWidth_));
    base_.insert(ImageProperty::PixelHeight, static_cast<int>(canvasHeight_));
    base_.insert(ImageProperty::HasAlpha, colourType == 4 || colourType == 6 || hasTrns);
    base_.insert(ImageProperty::ColorModel,
                 colourType == 0 || colourType == 4 ? QStringLiteral("Gray") : QStringLiteral("RGB"));
    base_.insert(ImageProperty::Depth, static_cast<int>(static_cast<quint8>(ihdr_[8])));
    return true;
}

QString ApngImageSource::typeIdentifier() const { return ImageType::PNG; }

QVariantMap ApngImageSource::properties(int index) const {
    if (index < 0 || index >= count()) return {};
    QVariantMap props = base_;
    const double delay = delaySeconds(frames_[index]);
    props.insert(ImageProperty::PNGDictionary,
                 QVariantMap{{ImageProperty::APNGUnclampedDelayTime, delay},
                             {ImageProperty::APNGDelayTime, delay < 0.011 ? 0.1 : delay}});
    return props;
}

std::optional<QImage> ApngImageSource::decodeFrame(const Frame& frame) const {
    QByteArray png(kSignature, 8);
    QByteArray header = ihdr_;
    qToBigEndian<quint32>(frame.width, header.data());
    qToBigEndian<quint32>(frame.height, header.data() + 4);
    appendChunk(png, "IHDR", header);
    for (const QByteArray& chunk : sharedChunks_) appendChunk(png, chunk.constData(), chunk.mid(4));
    for (const QByteArray& part : frame.data) appendChunk(png, "IDAT", part);
    appendChunk(png, "IEND", {});
    if (!frameDataIntact(frame, ihdr_) || !vipsio::ensureStarted()) return std::nullopt;
    vipsio::Ref image;
    if (vips_pngload_buffer(png.data(), static_cast<size_t>(png.size()), image.out(), NULL) != 0) {
        vipsio::clearError();
        return std::nullopt;
    }
    auto decoded = vipsio::toQImage(image.get());
    vipsio::clearError();
    if (!decoded || decoded->width() != int(frame.width) || decoded->height() != int(frame.height))
        return std::nullopt;
    return decoded;
}

std::optional<QImage> ApngImageSource::createImage(int index) const {
    beginDecode();
    if (index < 0 || index >= count()) return std::nullopt;
    // Going backwards (or re-reading): start over from the first frame.
    if (composed_ >= 0 && index <= composed_) composed_ = -1;
    if (composed_ < 0) {
        canvas_ = QImage(int(canvasWidth_), int(canvasHeight_), QImage::Format_RGBA8888_Premultiplied);
        if (canvas_.isNull()) return std::nullopt;
        canvas_.fill(Qt::transparent);
    }
    std::optional<QImage> result;
    for (int k = composed_ + 1; k <= index; ++k) {
        const Frame& frame = frames_[k];
        const QRect area(int(frame.x), int(frame.y), int(frame.width), int(frame.height));
        // Disposal of "previous" on the first frame means "background".
        const int dispose = (k == 0 && frame.dispose == 2) ? 1 : frame.dispose;
        const QImage before = dispose == 2 ? canvas_.copy(area) : QImage();
        auto pixels = decodeFrame(frame);
        {
            QPainter painter(&canvas_);
            if (frame.blend == 0) {
                painter.setCompositionMode(QPainter::CompositionMode_Source);
            }
            if (pixels) painter.drawImage(area.topLeft(), *pixels);
            else if (frame.blend == 0) painter.fillRect(area, Qt::transparent);
        }
        if (k == index) {
            if (!pixels) {
                composed_ = -1; // a frame that can't be decoded yields nothing
                return std::nullopt;
            }
            result = canvas_.copy();
        }
        QPainter painter(&canvas_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (dispose == 1) painter.fillRect(area, Qt::transparent);
        else if (dispose == 2) painter.drawImage(area.topLeft(), before);
        composed_ = k;
    }
    return result;
}

std::optional<QImage> ApngImageSource::createThumbnail(int maxPixelSize) const {
    if (maxPixelSize <= 0) return std::nullopt;
    auto first = createImage(0);
    if (!first) return std::nullopt;
    QImage upright = applyOrientation(*first, base_.value(ImageProperty::Orientation, 1).toInt());
    if (std::max(upright.width(), upright.height()) > maxPixelSize)
        upright = upright.scaled(maxPixelSize, maxPixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return upright;
}
