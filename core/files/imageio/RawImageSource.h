#pragma once

#include "core/files/imageio/ImageSource.h"

// Camera raw files through LibRaw: the bounded decode takes the camera's embedded preview,
// the full decode demosaics the sensor data.
class RawImageSource final : public ImageSource {
public:
    static bool isRawExtension(const QString& lowerExtension);
    static std::unique_ptr<ImageSource> tryOpen(const QString& path);

    int count() const override { return 1; }
    QString typeIdentifier() const override { return type_; }
    QVariantMap properties(int index) const override { return index == 0 ? props_ : QVariantMap(); }
    std::optional<QImage> createImage(int index) const override;
    std::optional<QImage> createThumbnail(int maxPixelSize) const override;

private:
    RawImageSource(QString path, QString type, QVariantMap props)
        : ImageSource(std::move(path)), type_(std::move(type)), props_(std::move(props)) {}
    int orientation() const { return props_.value(QStringLiteral("Orientation"), 1).toInt(); }
    QString type_;
    QVariantMap props_;
};
