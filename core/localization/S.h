#pragma once

#include <QString>
#include <span>

enum class BackgroundCutoutEngine;
enum class BackgroundFillStyle;
enum class PhotoFilterPreset;
enum class AnnotationTool;
enum class WatermarkPosition;

// The string table: every visible text, looked up in the language in force at the moment it is
// asked for. Each text is written here as its English and Turkish pair; the English text is also
// the key into the catalogs of the other languages.
namespace S {

// An inline pair (toasts, labels built with numbers or names).
QString t(const QString& en, const QString& tr);

#define TAVI_TEXT(name, en, tr) QString name();
#include "core/localization/StringTableTexts.h"
#undef TAVI_TEXT

// Names of enumeration cases. Portra is a film's name and stays "Portra" in every language.
QString engineName(BackgroundCutoutEngine engine);
QString fillStyleName(BackgroundFillStyle style);
QString presetName(PhotoFilterPreset preset);
QString toolName(AnnotationTool tool);
QString watermarkPositionName(WatermarkPosition position);

// The fixed texts as data, in table order, for listings and checks.
struct TextProperty {
    const char* name;
    const char* english; // UTF-8
    const char* turkish; // UTF-8
};
std::span<const TextProperty> textProperties();

} // namespace S
