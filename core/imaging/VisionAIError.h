#pragma once

#include "core/common/TaviError.h"

#include <QList>
#include <QString>
#include <optional>

// The failures of VisionAIService that the user is told about. The message is English unless the
// interface speaks Turkish; the other interface languages show the English text.
class VisionAIError : public TaviError {
public:
    enum class Kind { noForegroundSubject, maskGenerationFailed, noTextDetected };

    // `interfaceLanguageCode` is the raw value of the interface language ("en", "tr", …).
    explicit VisionAIError(Kind kind, const QString& interfaceLanguageCode = QStringLiteral("en"));

    Kind kind() const { return kind_; }

    static QString message(Kind kind, const QString& interfaceLanguageCode);
    static QString rawValue(Kind kind);
    static std::optional<Kind> fromRawValue(const QString& raw);
    static QList<Kind> allCases();

private:
    Kind kind_;
};
