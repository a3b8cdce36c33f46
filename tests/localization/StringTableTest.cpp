#include "core/localization/AppStringCatalog.h"
#include "core/localization/S.h"
#include "core/localization/TextTable.h"
#include "core/model/AnnotationTool.h"
#include "core/model/BackgroundCutoutEngine.h"
#include "core/model/BackgroundFillStyle.h"
#include "core/model/PhotoFilterPreset.h"
#include "core/model/WatermarkPosition.h"
#include "tests/localization/LocalizationTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QSet>
#include <QtConcurrent>

// The shared catalog keeps every table it loads for the whole run, so each test here uses
// languages no other test of this binary asks for, and writes their files before the first lookup.

namespace {

template <class E, class Name>
QStringList namesOf(Name name) {
    QStringList out;
    for (E value : allCases<E>()) out << name(value);
    return out;
}

QStringList allEnumerationNames() {
    return namesOf<BackgroundCutoutEngine>(S::engineName) + namesOf<BackgroundFillStyle>(S::fillStyleName) +
           namesOf<PhotoFilterPreset>(S::presetName) + namesOf<AnnotationTool>(S::toolName) +
           namesOf<WatermarkPosition>(S::watermarkPositionName);
}

} // namespace

TEST(StringTable, HoldsEveryTextOnce) {
    const auto properties = S::textProperties();
    ASSERT_EQ(properties.size(), 132u);
    QSet<QString> names, english;
    for (const auto& p : properties) {
        names.insert(QString::fromLatin1(p.name));
        english.insert(QString::fromUtf8(p.english));
        EXPECT_FALSE(QString::fromUtf8(p.turkish).isEmpty()) << p.name;
    }
    EXPECT_EQ(names.size(), 132);
    EXPECT_EQ(english.size(), 132);
    EXPECT_STREQ(properties.front().name, "appSubtitle");
    EXPECT_STREQ(properties.back().name, "bgRemoved");
}

TEST_F(CatalogFolders, EnglishAndTurkishNeverReadCatalogs) {
    write(bundled(), "en.json", R"j({"Open": "catalog", "Cancel": "catalog"})j");
    write(bundled(), "tr.json", R"j({"Open": "catalog", "Cancel": "catalog"})j");

    AppLanguage::setCurrent(AppLanguage::en);
    EXPECT_EQ(S::openPhotoOrFolder(), u"Open");
    EXPECT_EQ(S::cancel(), u"Cancel");
    EXPECT_EQ(S::t(QStringLiteral("Saved 3 images"), QStringLiteral("3 görsel kaydedildi")), u"Saved 3 images");
    EXPECT_EQ(S::toolName(AnnotationTool::magnifier), u"Loupe 2×");

    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(S::openPhotoOrFolder(), u"Aç");
    EXPECT_EQ(S::cancel(), u"Vazgeç");
    EXPECT_EQ(S::bgRemoved(), u"Arka plan işlendi — alttan yeni zemin seçebilir veya PNG kaydedebilirsiniz");
    EXPECT_EQ(S::t(QStringLiteral("Saved"), QString()), u"Saved"); // empty Turkish shows English
    EXPECT_EQ(S::toolName(AnnotationTool::magnifier), u"Büyüteç 2×");
    EXPECT_EQ(S::watermarkPositionName(WatermarkPosition::tiledDiagonal), u"Çapraz Döşe");
    EXPECT_TRUE(AppStringCatalog::shared().strings(AppLanguage::tr).isEmpty());
    EXPECT_TRUE(AppStringCatalog::shared().strings(AppLanguage::en).isEmpty());

    // Each case has its own name in both languages (a case mapped to a neighbour's pair shows up here).
    for (auto language : {AppLanguage::en, AppLanguage::tr}) {
        AppLanguage::setCurrent(language);
        const QStringList names = allEnumerationNames();
        EXPECT_EQ(names.size(), 3 + 8 + 12 + 15 + 6);
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
        EXPECT_FALSE(names.contains(QString()));
    }
}

TEST_F(CatalogFolders, OtherLanguagesFallBackToEnglishPerText) {
    write(bundled(), "de.json", R"j({"Cancel": "Abbrechen", "Portra": "Porträt", "Auto AI": "Auto-KI"})j");
    AppLanguage::setCurrent(AppLanguage::de);
    EXPECT_EQ(S::cancel(), u"Abbrechen");
    EXPECT_EQ(S::exportSave(), u"Save…");
    EXPECT_EQ(S::engineName(BackgroundCutoutEngine::autoAI), u"Auto-KI");
    EXPECT_EQ(S::presetName(PhotoFilterPreset::portra), u"Portra");
    EXPECT_EQ(S::presetName(PhotoFilterPreset::vivid), u"Vivid");
    // Built texts are keys like any other.
    EXPECT_EQ(S::t(QStringLiteral("Cancel"), QStringLiteral("x")), u"Abbrechen");
    EXPECT_EQ(S::t(QStringLiteral("Cancel "), QStringLiteral("x")), u"Cancel ");

    // Loaded once: a file written later is not seen in this run.
    write(custom(), "de.json", R"j({"Cancel": "Later"})j");
    EXPECT_EQ(S::cancel(), u"Abbrechen");

    // The language is asked for every text.
    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(S::cancel(), u"Vazgeç");
    EXPECT_EQ(S::presetName(PhotoFilterPreset::portra), u"Portra");
}

TEST_F(CatalogFolders, PortugalAndTraditionalChineseBorrowFromTheirParents) {
    write(bundled(), "pt-PT.json", R"j({"Open": "", "Copy": "Copiar (PT)"})j");
    write(custom(), "pt-BR.json.lzfse", "not lzfse at all");
    write(custom(), "pt-BR.json", R"j({"strings": {"Open": "Abrir", "Copy": "Copiar (BR)", "Undo": "Desfazer"}})j");
    write(downloaded(), "zh-Hans.json", R"j({"Open": "打开"})j");

    auto& catalog = AppStringCatalog::shared();
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ptPT), u"Abrir");     // empty in pt-PT
    EXPECT_EQ(catalog.resolve("Undo", "Geri Al", AppLanguage::ptPT), u"Desfazer"); // missing in pt-PT
    EXPECT_EQ(catalog.resolve("Copy", "Kopyala", AppLanguage::ptPT), u"Copiar (PT)");
    EXPECT_EQ(catalog.resolve("Redo", "Yinele", AppLanguage::ptPT), u"Redo");
    EXPECT_EQ(catalog.resolve("Copy", "Kopyala", AppLanguage::ptBR), u"Copiar (BR)");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::zhHant), u"打开");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::zhHans), u"打开");
    EXPECT_EQ(catalog.strings(AppLanguage::zhHant).size(), 0);

    // Only pt-PT and zh-Hant have a parent.
    write(bundled(), "es.json", R"j({"Undo": ""})j");
    EXPECT_EQ(catalog.resolve("Undo", "Geri Al", AppLanguage::es), u"Undo");
}

TEST_F(CatalogFolders, ConcurrentFirstLookupsAgree) {
    copy(testsupport::fixture("catalogs/de.json.lzfse"), downloaded(), "nl.json.lzfse");
    QList<QFuture<QString>> lookups;
    for (int i = 0; i < 8; ++i)
        lookups << QtConcurrent::run([] {
            return AppStringCatalog::shared().resolve(QStringLiteral("Cancel"), QStringLiteral("Vazgeç"), AppLanguage::nl);
        });
    for (auto& lookup : lookups) EXPECT_EQ(lookup.result(), u"Abbrechen");

    AppLanguage::setCurrent(AppLanguage::nl);
    for (const auto& property : S::textProperties()) {
        const QString english = QString::fromUtf8(property.english);
        const QString expected = english == u"Cancel" ? QStringLiteral("Abbrechen") : QStringLiteral("DE·") + english;
        EXPECT_EQ(AppStringCatalog::shared().resolve(english, QString::fromUtf8(property.turkish)), expected);
    }
    EXPECT_EQ(S::histogramTitle(), u"DE·RGB Histogram");
}

TEST(StringTableCli, PrintsTheCompleteTableInALanguage) {
    auto result = testsupport::runCli({QStringLiteral("strings"), QStringLiteral("--lang"), QStringLiteral("tr_TR")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(S::completeTable().size()));
    EXPECT_EQ(lines.front(), u"Fast Mac Photo Viewer & Pro Editing Studio\tHızlı Mac Fotoğraf Görüntüleyici & Pro Düzenleme Stüdyosu");
    EXPECT_TRUE(lines.contains(u"Open\tAç"));
    EXPECT_TRUE(lines.contains(u"Tiled Diagonal\tÇapraz Döşe"));  // an enumeration name
    EXPECT_TRUE(lines.contains(u"%1 copied\t%1 kopyalandı"));      // a template, unfilled
    EXPECT_TRUE(lines.contains(u"Quit TaviView\tTaviView'dan Çık")); // a menu's inline pair

    result = testsupport::runCli({QStringLiteral("strings"), QStringLiteral("--lang"), QStringLiteral("en")});
    EXPECT_TRUE(result.out.contains(u"\nCancel\tCancel\n"));
    result = testsupport::runCli({QStringLiteral("strings"), QStringLiteral("--lang"), QStringLiteral("sr-RS")});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.out.isEmpty());
}

TEST(LzfseCli, DecompressesOrFailsWithoutWriting) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("de.json"));
    auto result = testsupport::runCli({QStringLiteral("lzfse"), QStringLiteral("-d"),
                                       testsupport::fixture(QStringLiteral("catalogs/de.json.lzfse")), QStringLiteral("-o"), out});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QFile written(out), expected(testsupport::fixture(QStringLiteral("catalogs/de.json.expected")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), expected.readAll());

    const QString bad = dir.filePath(QStringLiteral("bad.json"));
    result = testsupport::runCli({QStringLiteral("lzfse"), QStringLiteral("-d"),
                                  testsupport::fixture(QStringLiteral("catalogs/de-bitflip.lzfse")), QStringLiteral("-o"), bad});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.isEmpty());
    EXPECT_FALSE(QFile::exists(bad));
    EXPECT_EQ(testsupport::runCli({QStringLiteral("lzfse"), QStringLiteral("-o"), bad}).exitCode, 2);
}
