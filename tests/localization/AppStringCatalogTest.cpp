#include "core/localization/AppStringCatalog.h"
#include "core/localization/S.h"
#include "tests/localization/LocalizationTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <thread>

// loadFromDisk reads the files on every call; the shared catalog's cache is exercised in the
// string-table tests, each with a language no other test loads.

namespace {
QString fixture(const char* name) { return testsupport::fixture(QStringLiteral("catalogs/") + name); }
} // namespace

TEST_F(CatalogFolders, LaterFoldersWinKeyByKey) {
    write(downloaded(), "sv.json", R"j({"Cancel": "support", "Open": "support", "Copy": "support"})j");
    write(bundled(), "sv.json", R"j({"strings": {"Cancel": "bundled", "Open": "bundled"}})j");
    write(custom(), "sv.json", R"j({"Cancel": "custom", "Open": ""})j");
    const auto table = AppStringCatalog::loadFromDisk(QStringLiteral("sv"));
    EXPECT_EQ(table.value("Cancel"), u"custom");
    EXPECT_EQ(table.value("Open"), u"bundled"); // an empty translation replaces nothing
    EXPECT_EQ(table.value("Copy"), u"support");
    EXPECT_EQ(table.size(), 3);

    EXPECT_EQ(AppStringCatalog::catalogFolders(), (QStringList{downloaded(), bundled(), custom()}));
    AppResources::setResourceDirectory(QStringLiteral("/nonexistent/taviview-resources"));
    EXPECT_EQ(AppStringCatalog::catalogFolders(), (QStringList{downloaded(), custom()}));
    EXPECT_EQ(AppStringCatalog::loadFromDisk(QStringLiteral("sv")).value("Open"), u"support");

    EXPECT_TRUE(AppStringCatalog::loadFromDisk(QStringLiteral("fi")).isEmpty()); // no files at all
}

TEST_F(CatalogFolders, CompressedFileComesFirstAndDamageFallsBackToPlain) {
    copy(fixture("fr.json.lzfse"), bundled(), "fr.json.lzfse");
    write(bundled(), "fr.json", R"j({"Open": "plain", "Redo": "plain"})j");
    auto table = AppStringCatalog::loadFromDisk(QStringLiteral("fr"));
    EXPECT_EQ(table.value("Open"), u"Ouvrir");
    EXPECT_EQ(table.value("Cancel"), u"Annuler");
    EXPECT_FALSE(table.contains("Save…")); // empty in the file
    EXPECT_FALSE(table.contains("Redo"));  // the plain file is not read at all

    for (const char* damaged : {"de-bitflip.lzfse", "de-truncated.lzfse"}) {
        copy(fixture(damaged), bundled(), "fr.json.lzfse");
        table = AppStringCatalog::loadFromDisk(QStringLiteral("fr"));
        EXPECT_EQ(table.value("Open"), u"plain") << damaged;
        EXPECT_EQ(table.size(), 2) << damaged;
    }
    // Decompresses fine but is no catalog ({"a":1}): the plain file again.
    copy(fixture("tiny.lzfse"), bundled(), "fr.json.lzfse");
    EXPECT_EQ(AppStringCatalog::loadFromDisk(QStringLiteral("fr")).value("Open"), u"plain");
    // Neither file usable: the folder adds nothing.
    write(bundled(), "fr.json", "{not json");
    EXPECT_TRUE(AppStringCatalog::loadFromDisk(QStringLiteral("fr")).isEmpty());
}

TEST_F(CatalogFolders, ReadsTheCompressedFixturesWhole) {
    copy(fixture("de.json.lzfse"), custom(), "de.json.lzfse");
    const auto de = AppStringCatalog::loadFromDisk(QStringLiteral("de"));
    EXPECT_EQ(de.size(), 132);
    for (const auto& property : S::textProperties()) {
        const QString english = QString::fromUtf8(property.english);
        EXPECT_EQ(de.value(english), english == u"Cancel" ? QStringLiteral("Abbrechen") : QStringLiteral("DE·") + english)
            << property.name;
    }

    copy(fixture("flat-ja.json.lzfse"), downloaded(), "ja.json.lzfse");
    QFile expected(fixture("flat-ja.json.expected"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    const QJsonObject flat = QJsonDocument::fromJson(expected.readAll()).object();
    const auto ja = AppStringCatalog::loadFromDisk(QStringLiteral("ja"));
    EXPECT_EQ(ja.size(), flat.size());
    EXPECT_EQ(ja.value("Open"), u"日本語·Open");
}

TEST(AppStringCatalogParsing, PackAndFlatForms) {
    const auto pack = AppStringCatalog::parseCatalog(R"j({"strings": {"Open": "Öffnen"}, "templates": {}})j");
    const auto flat = AppStringCatalog::parseCatalog(R"j({"Open": "Öffnen"})j");
    ASSERT_TRUE(pack && flat);
    EXPECT_EQ(*pack, *flat);
    EXPECT_EQ(pack->value("Open"), u"Öffnen");

    // Present but empty "strings" is an empty table; empty translations are dropped.
    EXPECT_EQ(AppStringCatalog::parseCatalog(R"j({"strings": {}})j"), std::optional(AppStringCatalog::Table{}));
    EXPECT_EQ(AppStringCatalog::parseCatalog(R"j({"Open": "", "Copy": "x"})j")->size(), 1);
    // "strings" that is not an object of strings makes the file a flat one, if it can be.
    const auto stringValued = AppStringCatalog::parseCatalog(R"j({"strings": "x", "Open": "y"})j");
    ASSERT_TRUE(stringValued);
    EXPECT_EQ(stringValued->value("strings"), u"x");

    for (const char* broken : {"", "[]", "\"Open\"", "{", R"j({"Open": 1})j", R"j({"strings": 5})j",
                               R"j({"strings": {"Open": 1}})j", R"j({"templates": {"a": "b"}})j",
                               R"j({"strings": {"Open": "x"}, "templates": []})j", R"j({"strings": null, "Open": "x"})j"})
        EXPECT_FALSE(AppStringCatalog::parseCatalog(broken).has_value()) << broken;
}
