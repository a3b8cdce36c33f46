#pragma once

#include "core/files/ImageExportOptions.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// Turns a finished bitmap into the bytes of an export file and writes them. Stateless; any thread.
class ImageExportService {
  public:
    // The codec engine's exact resize: sides raised to at least 1, the same bitmap when the size
    // doesn't change, the input when it can't be scaled.
    QImage resize(const QImage& image, int width, int height) const;
    // Throws ImageExportError.
    QByteArray encode(const QImage& image, const ImageExportOptions& options) const;
    // Encodes and replaces `path` whole and atomically; the folder must exist. Throws
    // ImageExportError or FileSystemError, leaving any earlier file untouched.
    void exportImage(const QImage& image, const ImageExportOptions& options, const QString& path) const;
    // The exact size of the file exportImage would write; nothing when it can't be encoded.
    std::optional<qint64> estimateEncodedByteSize(const QImage& image,
                                                  const ImageExportOptions& options) const;
};
