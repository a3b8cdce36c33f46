#pragma once

#include "core/common/TaviError.h"
#include "core/files/ImageExportFormat.h"

// Why an export could not be encoded; the description is the message itself.
class ImageExportError : public TaviError {
  public:
    enum class Kind { encodingFailed };

    static ImageExportError encodingFailed(const QString& message);

    // The messages, in one place.
    static QString couldNotCreatePdfPage();
    static QString couldNotSerializePdfDocument();
    static QString unsupportedExportFormat(ImageExportFormat format);
    static QString couldNotEncode(ImageExportFormat format);
    static QString couldNotResize(int width, int height);

    Kind kind() const { return Kind::encodingFailed; }
    const QString& message() const { return message_; }

  private:
    explicit ImageExportError(QString message);
    QString message_;
};
