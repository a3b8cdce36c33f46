#pragma once

#include "core/imaging/OCRResult.h"
#include "core/imaging/VisionAIError.h"
#include "core/model/BackgroundStudioSettings.h"

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

    // Background studio. Masks are opaque images of the source's size whose grey level is the
    // subject's weight (white keeps, black replaces). Segmentation and rendering failures throw
    // VisionAIError (noForegroundSubject, maskGenerationFailed) or the segmenter's own error.

    // generateSubjectMask, then compositeWithBackground with the same settings.
    QImage removeBackground(const QImage& source, const BackgroundStudioSettings& settings = {}) const;
    QImage generateSubjectMask(const QImage& source, const BackgroundStudioSettings& settings) const;
    QImage compositeWithBackground(const QImage& source, const QImage& mask,
                                   const BackgroundStudioSettings& settings) const;
    // Crops to the pixels with alpha above 12 plus `marginPixels`; the image itself when there is
    // nothing to crop to or it is under 5 pixels on a side. Never fails.
    static QImage trimTransparentBorders(const QImage& image, int marginPixels = 8);
};
