#include "core/imaging/VisionAIError.h"

namespace {

struct Messages {
    const char* english;
    const char* turkish;
};

Messages messagesOf(VisionAIError::Kind kind) {
    switch (kind) {
    case VisionAIError::Kind::noForegroundSubject:
        return {"No salient foreground subject detected \u2014 try 'Magic Color Key' mode for flat/solid "
                "backgrounds.",
                "\u00D6n plan nesnesi alg\u0131lanamad\u0131 \u2014 d\u00FCz zeminler i\u00E7in 'Sihirli Renk "
                "Silici' modunu deneyin."};
    case VisionAIError::Kind::maskGenerationFailed:
        return {"Could not generate foreground mask.", "\u00D6n plan maskesi olu\u015Fturulamad\u0131."};
    case VisionAIError::Kind::noTextDetected:
        return {"No readable text detected in this image.",
                "G\u00F6rselde okunabilir metin bulunamad\u0131."};
    }
    return {"", ""};
}

} // namespace

VisionAIError::VisionAIError(Kind kind, const QString& interfaceLanguageCode)
    : TaviError(QStringLiteral("VisionAIError"), static_cast<int>(kind), message(kind, interfaceLanguageCode)),
      kind_(kind) {}

QString VisionAIError::message(Kind kind, const QString& interfaceLanguageCode) {
    const Messages m = messagesOf(kind);
    const bool turkish = interfaceLanguageCode.compare(QStringLiteral("tr"), Qt::CaseInsensitive) == 0;
    return QString::fromUtf8(turkish ? m.turkish : m.english);
}

QString VisionAIError::rawValue(Kind kind) {
    switch (kind) {
    case Kind::noForegroundSubject: return QStringLiteral("noForegroundSubject");
    case Kind::maskGenerationFailed: return QStringLiteral("maskGenerationFailed");
    case Kind::noTextDetected: return QStringLiteral("noTextDetected");
    }
    return {};
}

std::optional<VisionAIError::Kind> VisionAIError::fromRawValue(const QString& raw) {
    for (Kind kind : allCases())
        if (rawValue(kind) == raw) return kind;
    return std::nullopt;
}

QList<VisionAIError::Kind> VisionAIError::allCases() {
    return {Kind::noForegroundSubject, Kind::maskGenerationFailed, Kind::noTextDetected};
}
