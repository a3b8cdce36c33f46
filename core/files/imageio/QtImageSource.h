#pragma once

#include "core/files/imageio/ImageSource.h"

// Formats libvips does not read (ICO, ICNS, BMP and the other small formats of Qt's plug-ins).
class QtImageSource final : public ImageSource {
public:
    static std::unique_ptr<ImageSource> tryOpen(const QString& path);

    int count() const override { return count_; }
    QString typeIdentifier() const override { return type_; }
    QVariantMap properties(int index) const override;
    std::optional<QImage> createImage(int index) const override;
    std::optional<QImage> createThumbnail(int maxPixelSize) const override;

private:
    QtImageSource(QString path, QByteArray format, QString type, int count)
        : ImageSource(std::move(path)), format_(std::move(format)), type_(std::move(type)), count_(count) {}
    QByteArray format_;
    QString type_;
    int count_;
};

// Brings any decoded QImage into the system's bitmap shape: sRGB, RGBA8 premultiplied.
QImage toSystemBitmap(QImage image);
