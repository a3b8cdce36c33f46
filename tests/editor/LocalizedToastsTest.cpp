#include "EditorTestSupport.h"

#include "core/localization/AppLanguage.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

using namespace editortest;

// A toast that names something is a template in the catalogs, so a language can put the name
// where its sentence needs it. Finnish is read from the user's own catalog folder here (no other
// test of this suite speaks it, and each language's table is read once per run).
TEST_F(EditorFixture, ToastsWithANameFillTheLanguagesTemplate) {
    const QString custom = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Quellora/Localizations/Custom");
    QDir().mkpath(custom);
    QFile catalog(custom + QStringLiteral("/fi.json"));
    ASSERT_TRUE(catalog.open(QIODevice::WriteOnly));
    catalog.write(R"j({"strings": {"%1 saved": "Tallennettu: %1", "%1 copied": "Kopioitu: %1"}})j");
    catalog.close();

    editor.setLanguage(AppLanguage::fi);
    editor.setNewPresetName(QStringLiteral("Lämmin %1"));
    editor.saveCurrentAsCustomPreset();
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Tallennettu: Lämmin %1")); // the name is not a template
    editor.copyStringToClipboard(QStringLiteral("https://example.com/?q=%2"));
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Kopioitu: https://example.com/?q=%2"));

    editor.setLanguage(AppLanguage::tr);
    editor.copyStringToClipboard(QStringLiteral("abc"));
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("abc kopyalandı"));
    editor.setLanguage(AppLanguage::en);
    QFile::remove(catalog.fileName());
}
