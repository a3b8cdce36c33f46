#pragma once

#include "core/common/TaviError.h"

// The text or barcode recognizer itself failed (missing language data, an engine fault); the
// description names the engine's own reason.
class RecognitionEngineError : public TaviError {
public:
    explicit RecognitionEngineError(QString description, int code = 1)
        : TaviError(QStringLiteral("TaviViewRecognition"), code, std::move(description)) {}
};
