#include "core/localization/AppResources.h"
#include "core/localization/AppStringCatalog.h"
#include "core/localization/TextTable.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The catalogs supplied with the application, read through the real loader from the folder the
// application itself uses. They are shipped as plain JSON ({"strings": {...}}) rather than
// LZFSE-compressed: a translation change is then a readable line in a diff that a reviewer can
// judge, and our LZFSE support only decodes, so compressed files could not be produced here anyway.
// The loader prefers a CODE.json.lzfse when one is present, which a user's own folder may still use.

namespace {

const QString shippedFolder = QStringLiteral(TAVI_SOURCE_DIR "/resources/Localizations");

// Brand, format and unit names that every language writes as English does.
const QSet<QString> keptEverywhere{QStringLiteral("TaviView"), QStringLiteral("PNG"), QStringLiteral("EXIF"),
                                   QStringLiteral("OCR"),      QStringLiteral("HEX"), QStringLiteral("RGB"),
                                   QStringLiteral("HSL"),      QStringLiteral("ISO"), QStringLiteral("GPS")};

// Texts a language truly writes as English does ("Model", "Portrait" in some), per language code.
QHash<QString, QSet<QString>> keptPerLanguage() {
    QFile file(QStringLiteral(TAVI_SOURCE_DIR "/tests/localization/kept-in-english.json"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QHash<QString, QSet<QString>> kept;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = root.begin(); it != root.end(); ++it)
        for (const auto& text : it.value().toArray())
            kept[it.key()].insert(text.toString());
    return kept;
}

QStringList placeholdersOf(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

// The codes of the catalog files in the shipped folder.
QStringList shippedCodes() {
    QStringList codes;
    for (const QString& name : QDir(shippedFolder)
                                   .entryList({QStringLiteral("*.json"), QStringLiteral("*.json.lzfse")},
                                              QDir::Files, QDir::Name)) {
        const QString code = name.left(name.indexOf(QStringLiteral(".json")));
        if (!codes.contains(code)) codes << code;
    }
    return codes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's folders live under the test's private home (set up by the test main); they are kept
// empty so only the shipped files are read.
class ShippedCatalogs : public ::testing::Test {
  protected:
    void SetUp() override {
        QDir(supportRoot()).removeRecursively();
        AppResources::setResourceDirectory({});
        savedResources_ = qgetenv("TAVIVIEW_RESOURCES_DIR");
        qunsetenv("TAVIVIEW_RESOURCES_DIR");
    }
    void TearDown() override {
        QDir(supportRoot()).removeRecursively();
        if (!savedResources_.isEmpty())
            qputenv("TAVIVIEW_RESOURCES_DIR", savedResources_);
        else
            qunsetenv("TAVIVIEW_RESOURCES_DIR");
    }
    static QString supportRoot() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Quellora");
    }

  private:
    QByteArray savedResources_;
};

// The complete table as the CLI prints it in a language: English key -> text shown.
QHash<QString, QString> tableFromCli(const QString& code) {
    const auto result = testsupport::runCli({QStringLiteral("strings"), QStringLiteral("--lang"), code});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    QHash<QString, QString> table;
    for (const QString& line : result.out.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        table.insert(line.left(tab), line.mid(tab + 1));
    }
    return table;
}

} // namespace

TEST_F(ShippedCatalogs, TheApplicationReadsTheShippedFolder) {
    // From wherever the program is started: the build tree's own folders mean nothing then.
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QDir::rootPath()));
    const QStringList folders = AppStringCatalog::catalogFolders();
    QDir::setCurrent(started);
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(QFileInfo(folders[1]).canonicalFilePath(), QFileInfo(shippedFolder).canonicalFilePath());
    for (const QString& user : {folders[0], folders[2]})
        EXPECT_TRUE(user.startsWith(QDir::homePath())) << user.toStdString() << " is outside the test's home";
}

TEST_F(ShippedCatalogs, EveryShippedCatalogIsCompleteAndFaithful) {
    const QStringList codes = shippedCodes();
    if (codes.isEmpty()) GTEST_SKIP() << "no catalogs in " << shippedFolder.toStdString();
    const auto keptByLanguage = keptPerLanguage();
    const auto& table = S::completeTable();
    QSet<QString> keys;
    for (const auto& entry : table)
        keys.insert(entry.english);

    for (const QString& code : codes) {
        SCOPED_TRACE(code.toStdString());
        const auto language = AppLanguage::fromRawValue(code);
        ASSERT_TRUE(language) << "a catalog for no interface language";
        EXPECT_NE(*language, AppLanguage::en);
        EXPECT_NE(*language, AppLanguage::tr); // never read: the pairs in the program win

        const QString path = shippedFolder + u'/' + code + QStringLiteral(".json");
        const QByteArray bytes = readAll(path);
        const auto parsed = AppStringCatalog::parseCatalog(bytes);
        ASSERT_TRUE(parsed) << path.toStdString() << " does not load";
        // What the application reads is this file alone (the user's folders are empty).
        EXPECT_EQ(AppStringCatalog::loadFromDisk(code), *parsed);

        // Empty translations are dropped by the loader, so they are looked for in the file itself.
        const QJsonObject strings =
            QJsonDocument::fromJson(bytes).object().value(QStringLiteral("strings")).toObject();
        const QSet<QString> kept = keptEverywhere + keptByLanguage.value(code);
        QStringList problems;
        for (const auto& entry : table) {
            const QString& english = entry.english;
            if (!strings.contains(english)) {
                problems << QStringLiteral("missing: ") + english;
                continue;
            }
            const QString text = parsed->value(english);
            if (text.trimmed().isEmpty()) {
                problems << QStringLiteral("empty: ") + english;
                continue;
            }
            if (placeholdersOf(text) != placeholdersOf(english))
                problems << QStringLiteral("placeholders differ: %1 -> %2").arg(english, text);
            if (text == english && !kept.contains(english))
                problems << QStringLiteral("left in English: ") + english;
        }
        for (auto it = strings.begin(); it != strings.end(); ++it)
            if (!keys.contains(it.key()))
                problems << QStringLiteral("not a text of the program: ") + it.key();
        EXPECT_TRUE(problems.isEmpty())
            << problems.size() << " problem(s):\n  " << problems.join(QStringLiteral("\n  ")).toStdString();
    }
}

// Holds once every language has its catalog; English and Turkish are built into the program.
TEST_F(ShippedCatalogs, EveryOtherLanguageHasACatalog) {
    const QStringList codes = shippedCodes();
    for (AppLanguage language : AppLanguage::allCases()) {
        if (language == AppLanguage::en || language == AppLanguage::tr) continue;
        EXPECT_TRUE(codes.contains(language.rawValue()))
            << language.rawValue().toStdString() << " has no catalog";
    }
}

// Part of the table missing from a child catalog reads from its parent, and the user's Custom folder
// overrides a shipped text; run in the CLI so each language is loaded fresh from these files.
TEST_F(ShippedCatalogs, FallbacksAndOverridesOnTheShippedFiles) {
    const QStringList codes = shippedCodes();
    QTemporaryDir resources;
    ASSERT_TRUE(resources.isValid());
    const QString folder = resources.path() + QStringLiteral("/Localizations");
    QDir().mkpath(folder);
    const QString removed = QStringLiteral("Undo");
    const QString overridden = QStringLiteral("Cancel");

    struct Case {
        QString child, parent;
    };
    QList<Case> families;
    for (const Case& family : {Case{QStringLiteral("pt-PT"), QStringLiteral("pt-BR")},
                               Case{QStringLiteral("zh-Hant"), QStringLiteral("zh-Hans")}}) {
        if (!codes.contains(family.child) || !codes.contains(family.parent)) continue;
        QJsonObject child =
            QJsonDocument::fromJson(readAll(shippedFolder + u'/' + family.child + QStringLiteral(".json")))
                .object();
        QJsonObject strings = child.value(QStringLiteral("strings")).toObject();
        strings.remove(removed);
        child.insert(QStringLiteral("strings"), strings);
        QFile out(folder + u'/' + family.child + QStringLiteral(".json"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QJsonDocument(child).toJson());
        out.close();
        ASSERT_TRUE(QFile::copy(shippedFolder + u'/' + family.parent + QStringLiteral(".json"),
                                folder + u'/' + family.parent + QStringLiteral(".json")));
        families << family;
    }
    const bool haveGerman = codes.contains(QStringLiteral("de"));
    if (haveGerman) {
        ASSERT_TRUE(
            QFile::copy(shippedFolder + QStringLiteral("/de.json"), folder + QStringLiteral("/de.json")));
        const QString custom = supportRoot() + QStringLiteral("/Localizations/Custom");
        QDir().mkpath(custom);
        QFile file(custom + QStringLiteral("/de.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"j({"Cancel": "Abbrechen (eigene)"})j");
    }
    if (families.isEmpty() && !haveGerman)
        GTEST_SKIP() << "none of the catalogs these rules need is shipped yet";

    qputenv("TAVIVIEW_RESOURCES_DIR", resources.path().toUtf8());
    for (const Case& family : families) {
        SCOPED_TRACE(family.child.toStdString());
        const auto child = tableFromCli(family.child);
        const auto parent = AppStringCatalog::parseCatalog(
            readAll(shippedFolder + u'/' + family.parent + QStringLiteral(".json")));
        const auto own = AppStringCatalog::parseCatalog(
            readAll(shippedFolder + u'/' + family.child + QStringLiteral(".json")));
        ASSERT_TRUE(parent && own);
        EXPECT_EQ(child.value(removed), parent->value(removed));
        EXPECT_NE(child.value(removed), removed);
        EXPECT_EQ(child.value(overridden), own->value(overridden)); // its own texts stay its own
    }
    if (haveGerman) {
        const auto german = tableFromCli(QStringLiteral("de"));
        const auto shipped =
            AppStringCatalog::parseCatalog(readAll(shippedFolder + QStringLiteral("/de.json")));
        ASSERT_TRUE(shipped);
        EXPECT_EQ(german.value(overridden), u"Abbrechen (eigene)");
        EXPECT_EQ(german.value(removed), shipped->value(removed)); // the rest still from the shipped file
    }
}
