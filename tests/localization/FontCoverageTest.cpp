#include "core/localization/AppLanguage.h"
#include "core/localization/AppStringCatalog.h"
#include "core/localization/TextTable.h"

#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <gtest/gtest.h>

// The window, drawn markup text and watermarks all ask for the system's general font and rely on
// fontconfig to fall back to a face that covers the script. A text whose glyph is the font's
// "missing" glyph (index 0) shows as an empty box; with the fonts the application installs, no
// interface text of any language may.

namespace {

bool drawsEveryGlyph(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes())
            if (glyph == 0) return false;
    return true;
}

// What shows as boxes in `text`: its characters that no font draws, or the whole text when only
// their combination fails.
QString missingIn(const QString& text, const QFont& font) {
    if (drawsEveryGlyph(text, font)) return {};
    QString missing;
    for (const QChar c : text)
        if (!missing.contains(c) && !drawsEveryGlyph(QString(c), font)) missing += c;
    return missing.isEmpty() ? QStringLiteral("[") + text + u']' : missing;
}

QStringList textsOf(AppLanguage language) {
    QStringList texts{language.nativeName()};
    QFile file(QStringLiteral(TAVI_SOURCE_DIR "/resources/Localizations/") + language.rawValue() +
               QStringLiteral(".json"));
    if (file.open(QIODevice::ReadOnly))
        if (const auto table = AppStringCatalog::parseCatalog(file.readAll())) texts += table->values();
    if (language == AppLanguage::en)
        for (const auto& entry : S::completeTable())
            texts << entry.english;
    if (language == AppLanguage::tr)
        for (const auto& entry : S::completeTable())
            texts << entry.turkish;
    return texts;
}

} // namespace

TEST(FontCoverage, EveryLanguageDrawsWithRealGlyphs) {
    QFont regular = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    regular.setPixelSize(13);
    QFont bold = regular; // markup labels and watermarks draw in bold
    bold.setBold(true);
    for (AppLanguage language : AppLanguage::allCases()) {
        QString missing;
        for (const QString& text : textsOf(language))
            for (const QFont& font : {regular, bold})
                missing += missingIn(text, font);
        EXPECT_TRUE(missing.isEmpty())
            << language.rawValue().toStdString() << " shows boxes for: " << missing.toStdString();
    }
}
