#pragma once

#include "core/files/imageio/ImageSource.h"

#include <QByteArray>
#include <vector>

// Animated PNG: our own walk over the chunks, each frame re-assembled as a plain PNG for the
// decoder, then composed on the canvas with the frame's blend and dispose rules.
class ApngImageSource final : public ImageSource {
public:
    // nullptr for a plain (or malformed) PNG, which the ordinary PNG path then reads.
    static std::unique_ptr<ImageSource> tryOpen(const QString& path);

    int count() const override { return static_cast<int>(frames_.size()); }
    QString typeIdentifier() const override;
    QVariantMap properties(int index) const override;
    std::optional<QImage> createImage(int index) const override;
    std::optional<QImage> createThumbnail(int maxPixelSize) const override;

    struct Frame {
        quint32 width = 0, height = 0, x = 0, y = 0;
        quint16 delayNum = 0, delayDen = 0;
        quint8 dispose = 0, blend = 0;
        std::vector<QByteArray> data; // IDAT or fdAT payloads (sequence numbers removed)
    };

private:
    explicit ApngImageSource(QString path) : ImageSource(std::move(path)) {}
    bool parse(const QByteArray& bytes);
    std::optional<QImage> decodeFrame(const Frame& frame) const;

    QByteArray ihdr_;
    std::vector<QByteArray> sharedChunks_; // PLTE, tRNS, colour chunks: type + payload
    std::vector<Frame> frames_;
    quint32 canvasWidth_ = 0, canvasHeight_ = 0;
    QVariantMap base_;

    // Composition state so that reading the frames in order costs one composition each.
    mutable QImage canvas_;
    mutable int composed_ = -1;
};
