#pragma once

#include <QString>

// The text read from an image: its lines in reading order joined with "\n" (none at the end).
struct OCRResult {
    QString fullText;
    int lineCount = 0;

    bool operator==(const OCRResult&) const = default;
};
