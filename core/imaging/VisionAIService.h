#pragma once

#include "core/imaging/OCRResult.h"
#include "core/imaging/VisionAIError.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

// Reads what a photo shows: its text (here) and its subject (background studio). Holds no state
// about the editor or the image; the text recognizer is cached per thread because it is slow to
// start.
class VisionAIService {
public:
    // Text recognition.
    //
    // Returns the lines of `image` in reading order. `interfaceLanguageCode` is the raw value of the
    // interface language ("en", "tr", "de", "zh-Hans", …): that language, when its recognition data
    // is installed, is read with English as the second language; without a code, Turkish and
    // English. The same code chooses the language of the error message. Throws VisionAIError (noTextDetected) when nothing
    // readable is found, RecognitionEngineError when the recognizer cannot run.
    OCRResult recognizeText(const QImage& image,
                            const std::optional<QString>& interfaceLanguageCode = std::nullopt) const;

    // The recognizer languages used for an interface language, e.g. "tur+eng"; only installed ones.
    static QString recognitionLanguages(const std::optional<QString>& interfaceLanguageCode);
    // The folder holding the recognizer's language data; empty when none is installed.
    static QString recognitionDataPath();
    // The recognizer's name for an interface language code ("tr" -> "tur"); empty when unknown.
    static QString recognitionLanguageCode(const QString& interfaceLanguageCode);
};
