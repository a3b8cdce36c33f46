#pragma once

#include "core/common/TaviError.h"

// The codec library's errors. Only unreadableImage and encodingFailed are raised by the codec
// itself; the others name failures of subject-mask work.
class TaviImageCoreError : public TaviError {
  public:
    enum class Kind {
        unreadableImage,
        encodingFailed,
        coreMLModelUnavailable,
        noForegroundSubject,
        maskGenerationFailed
    };

    static TaviImageCoreError unreadableImage(const QString& fileName);
    static TaviImageCoreError encodingFailed(const QString& detail);
    static TaviImageCoreError coreMLModelUnavailable(const QString& detail);
    static TaviImageCoreError noForegroundSubject();
    static TaviImageCoreError maskGenerationFailed();

    Kind kind() const { return kind_; }
    // The file name or detail the error carries; empty for the cases without one.
    const QString& payload() const { return payload_; }

    static QString describe(Kind kind, const QString& payload);

  private:
    TaviImageCoreError(Kind kind, QString payload);
    Kind kind_;
    QString payload_;
};
