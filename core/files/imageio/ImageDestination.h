#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>

// An encoder for one image of a given uniform type, producing the file's bytes in memory.
// No metadata reaches the output: the pixels only.
class ImageDestination {
public:
    // nullptr when we cannot write that type.
    static std::unique_ptr<ImageDestination> create(const QString& typeIdentifier);
    static bool canWrite(const QString& typeIdentifier);

    // `lossyQuality` 0...1; formats without a lossy mode ignore it.
    void addImage(const QImage& image, std::optional<double> lossyQuality = std::nullopt);
    // The encoded bytes, or nothing on failure (no image added, encoder error).
    std::optional<QByteArray> finalize();

private:
    explicit ImageDestination(QString type) : type_(std::move(type)) {}
    QString type_;
    QImage image_;
    std::optional<double> quality_;
    bool added_ = false;
};
