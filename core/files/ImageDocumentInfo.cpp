#include "core/files/ImageDocumentInfo.h"

#include "core/common/CFormat.h"

#include <QLocale>

QString ImageDocumentInfo::dimensionsText() const {
    return QStringLiteral("%1 \u00D7 %2").arg(pixelWidth).arg(pixelHeight);
}

QString ImageDocumentInfo::megapixelsText() const {
    const double megapixels = static_cast<double>(pixelWidth) * static_cast<double>(pixelHeight) / 1'000'000.0;
    return cFormat("%.1f MP", megapixels);
}

QString ImageDocumentInfo::formattedFileSize() const { return formatByteCount(fileSizeBytes); }

QString formatByteCount(std::int64_t bytes) {
    if (bytes < 1000) return QStringLiteral("%1 bytes").arg(bytes);
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}
