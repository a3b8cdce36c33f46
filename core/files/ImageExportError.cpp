#include "core/files/ImageExportError.h"

ImageExportError::ImageExportError(QString message)
    : TaviError(QStringLiteral("ImageExportError"), static_cast<int>(Kind::encodingFailed), message),
      message_(std::move(message)) {}

ImageExportError ImageExportError::encodingFailed(const QString& message) {
    return ImageExportError(message);
}

QString ImageExportError::couldNotCreatePdfPage() {
    return QStringLiteral("Could not create PDF page.");
}

QString ImageExportError::couldNotSerializePdfDocument() {
    return QStringLiteral("Could not serialize PDF document.");
}

QString ImageExportError::unsupportedExportFormat(ImageExportFormat format) {
    return QStringLiteral("Unsupported export format: ") + displayName(format);
}

QString ImageExportError::couldNotResize(int width, int height) {
    return QStringLiteral("Could not resize the image to %1 x %2 pixels.").arg(width).arg(height);
}

QString ImageExportError::couldNotEncode(ImageExportFormat format) {
    return QStringLiteral("Could not encode ") + displayName(format);
}
