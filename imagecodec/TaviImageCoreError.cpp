#include "imagecodec/TaviImageCoreError.h"

QString TaviImageCoreError::describe(Kind kind, const QString& payload) {
    switch (kind) {
    case Kind::unreadableImage:
        return QStringLiteral("Could not decode image: ") + payload;
    case Kind::encodingFailed:
        return QStringLiteral("Failed to encode image: ") + payload;
    case Kind::coreMLModelUnavailable:
        return QStringLiteral("CoreML model unavailable: ") + payload;
    case Kind::noForegroundSubject:
        return QStringLiteral(
            "No salient foreground subject detected \u2014 try Magic Color-Key mode for solid "
            "backgrounds.");
    case Kind::maskGenerationFailed:
        return QStringLiteral("Failed to generate alpha subject mask.");
    }
    return {};
}

TaviImageCoreError::TaviImageCoreError(Kind kind, QString payload)
    : TaviError(QStringLiteral("TaviImageCore"), static_cast<int>(kind), describe(kind, payload)),
      kind_(kind), payload_(std::move(payload)) {}

TaviImageCoreError TaviImageCoreError::unreadableImage(const QString& fileName) {
    return {Kind::unreadableImage, fileName};
}
TaviImageCoreError TaviImageCoreError::encodingFailed(const QString& detail) {
    return {Kind::encodingFailed, detail};
}
TaviImageCoreError TaviImageCoreError::coreMLModelUnavailable(const QString& detail) {
    return {Kind::coreMLModelUnavailable, detail};
}
TaviImageCoreError TaviImageCoreError::noForegroundSubject() {
    return {Kind::noForegroundSubject, {}};
}
TaviImageCoreError TaviImageCoreError::maskGenerationFailed() {
    return {Kind::maskGenerationFailed, {}};
}
