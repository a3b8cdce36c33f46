#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

// What one image file says about itself, identified by its standardized path.
struct ImageDocumentInfo {
    QString url;                       // standardized absolute path; also the identity
    QString fileName;
    QString fileExtension;             // upper-cased, empty when the name has none
    std::int64_t fileSizeBytes = 0;
    int pixelWidth = 0;                // upright
    int pixelHeight = 0;               // upright
    std::optional<QString> colorModel;
    std::optional<QString> colorProfile;
    std::optional<int> dpi;
    bool hasAlpha = false;
    int frameCount = 0;
    std::optional<QDateTime> modifiedAt;

    const QString& id() const { return url; }
    QString dimensionsText() const;
    QString megapixelsText() const;
    QString formattedFileSize() const;
    bool isAnimated() const { return frameCount > 1; }

    bool operator==(const ImageDocumentInfo&) const = default;
};

// Byte counts as the file manager shows them: decimal units (1 kB = 1000 bytes).
QString formatByteCount(std::int64_t bytes);
