#pragma once

#include "core/common/TaviError.h"

// Why stripping a file's metadata failed. The description is the message the user sees.
class MetadataStripError : public TaviError {
  public:
    enum class Code { couldNotRead = 1, cannotReencode = 2, finalizeFailed = 3 };

    static inline const QString domainName = QStringLiteral("TaviViewMetadata");

    explicit MetadataStripError(Code code)
        : TaviError(domainName, static_cast<int>(code), messageFor(code)) {}

    Code errorCode() const { return static_cast<Code>(code()); }

    static QString messageFor(Code code) {
        switch (code) {
        case Code::couldNotRead:
            return QStringLiteral("Could not read image.");
        case Code::cannotReencode:
            return QStringLiteral("Format cannot be re-encoded.");
        case Code::finalizeFailed:
            return QStringLiteral("Failed to finalize cleaned image.");
        }
        return {};
    }
};
