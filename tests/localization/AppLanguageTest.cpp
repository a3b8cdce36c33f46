#include "core/localization/AppLanguage.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

QStringList rawValues(const std::vector<AppLanguage>& languages) {
    QStringList out;
    for (auto language : languages) out << language.rawValue();
    return out;
}

QString matched(const QString& tag) {
    const auto language = AppLanguage::match(tag);
    return language ? language->rawValue() : QStringLiteral("none");
}

// Each test starts with no stored choice and a known system list.
class AppLanguageSettings : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView")).remove(AppLanguage::defaultsKey);
        setSystem({QStringLiteral("fr-CA"), QStringLiteral("en-US")});
    }
    void TearDown() override {
        AppLanguage::setSystemPreferredLanguagesSource({});
        QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView")).remove(AppLanguage::defaultsKey);
    }
    static void setSystem(QStringList tags) {
        AppLanguage::setSystemPreferredLanguagesSource([tags] { return tags; });
    }
    static void storeRaw(const QString& value) {
        QSettings settings(QStringLiteral("Quellora"), QStringLiteral("TaviView"));
        settings.setValue(AppLanguage::defaultsKey, value);
        settings.sync();
    }
    static QVariant stored() {
        return QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView")).value(AppLanguage::defaultsKey);
    }
};

} // namespace

TEST(AppLanguage, CasesCodesAndNames) {
    const auto& all = AppLanguage::allCases();
    ASSERT_EQ(all.size(), 37u);
    const QStringList raws = rawValues(all);
    EXPECT_EQ(raws.front(), u"ar");
    EXPECT_EQ(raws.back(), u"zh-Hant");
    EXPECT_EQ(raws.indexOf(u"pt-BR") + 1, raws.indexOf(u"pt-PT"));
    EXPECT_EQ(QSet<QString>(raws.begin(), raws.end()).size(), 37);
    for (auto language : all) {
        EXPECT_EQ(AppLanguage::fromRawValue(language.rawValue()), std::optional(language));
        const bool special = language == AppLanguage::ptBR || language == AppLanguage::ptPT ||
                             language == AppLanguage::zhHans || language == AppLanguage::zhHant;
        if (!special) {
            EXPECT_EQ(language.shortCode(), language.rawValue().toUpper());
        }
        const bool hasParent = language == AppLanguage::ptPT || language == AppLanguage::zhHant;
        EXPECT_EQ(language.fallbackParent().has_value(), hasParent) << language.rawValue().toStdString();
    }
    EXPECT_EQ(AppLanguage(AppLanguage::ptBR).shortCode(), u"PT");
    EXPECT_EQ(AppLanguage(AppLanguage::ptPT).shortCode(), u"PT-PT");
    EXPECT_EQ(AppLanguage(AppLanguage::zhHans).shortCode(), u"ZH");
    EXPECT_EQ(AppLanguage(AppLanguage::zhHant).shortCode(), u"ZH-TW");
    EXPECT_EQ(AppLanguage(AppLanguage::ptPT).fallbackParent(), std::optional<AppLanguage>(AppLanguage::ptBR));
    EXPECT_EQ(AppLanguage(AppLanguage::zhHant).fallbackParent(), std::optional<AppLanguage>(AppLanguage::zhHans));
    EXPECT_FALSE(AppLanguage::fromRawValue(QStringLiteral("pt-br")).has_value()); // exact only
    EXPECT_FALSE(AppLanguage::fromRawValue(QStringLiteral("ptBR")).has_value());

    EXPECT_EQ(AppLanguage(AppLanguage::en).displayName(), u"English");
    EXPECT_EQ(AppLanguage(AppLanguage::de).displayName(), u"Deutsch (German)");
    EXPECT_EQ(AppLanguage(AppLanguage::tr).displayName(), u"Türkçe (Turkish)");
    EXPECT_EQ(AppLanguage(AppLanguage::ja).displayName(), u"日本語 (Japanese)");
    EXPECT_EQ(AppLanguage(AppLanguage::nb).displayName(), u"Norsk Bokmål (Norwegian Bokmål)");
    EXPECT_EQ(AppLanguage(AppLanguage::zhHant).nativeName(), u"繁體中文");
    EXPECT_EQ(AppLanguage(AppLanguage::de).locale().language(), QLocale::German);
}

TEST(AppLanguage, SortedCasesFollowEnglishNames) {
    QStringList names;
    for (auto language : AppLanguage::sortedCases()) names << language.englishName();
    const QStringList expected = QStringLiteral(
        "Arabic,Azerbaijani,Bulgarian,Catalan,Chinese (Simplified),Chinese (Traditional),Croatian,Czech,Danish,"
        "Dutch,English,Finnish,French,German,Greek,Hebrew,Hindi,Hungarian,Indonesian,Italian,Japanese,Korean,Malay,"
        "Norwegian Bokmål,Persian,Polish,Portuguese (Brazil),Portuguese (Portugal),Romanian,Russian,Slovak,Spanish,"
        "Swedish,Thai,Turkish,Ukrainian,Vietnamese").split(u',');
    EXPECT_EQ(names, expected);
}

TEST(AppLanguage, MatchesTags) {
    const std::vector<std::pair<const char*, const char*>> table{
        // exact raw values in any letter case, "_" for "-", blanks trimmed
        {"pt-br", "pt-BR"}, {"ZH-HANT", "zh-Hant"}, {" de \n", "de"}, {"en_US", "en"},
        // Chinese scripts and regions
        {"zh-Hant-HK", "zh-Hant"}, {"zh-HK", "zh-Hant"}, {"zh_TW", "zh-Hant"}, {"ZH-MO", "zh-Hant"},
        {"zh-Hant-TW", "zh-Hant"}, {"zh-Hans-CN", "zh-Hans"}, {"zh", "zh-Hans"}, {"zh-CN", "zh-Hans"},
        {"zh-SG", "zh-Hans"},
        // Portuguese
        {"pt_PT", "pt-PT"}, {"pt-PT-x-lisbon", "pt-PT"}, {"pt-BR", "pt-BR"}, {"pt", "pt-BR"}, {"pt-AO", "pt-BR"},
        {"pt-MZ", "pt-BR"},
        // Norwegian
        {"no-NO", "nb"}, {"nn", "nb"}, {"nb_NO", "nb"}, {"no", "nb"},
        // old codes and primary subtags
        {"iw-IL", "he"}, {"in-ID", "id"}, {"en-GB", "en"}, {"de-AT", "de"}, {"fr-CA", "fr"}, {"TR-tr", "tr"},
        // nothing
        {"sr-RS", "none"}, {"sr-Latn-RS", "none"}, {"", "none"}, {"   ", "none"}, {"zhx", "none"}, {"ptx-1", "none"},
        {"nob", "none"}, {"-", "none"}, {"C", "none"},
    };
    for (const auto& [tag, expected] : table)
        EXPECT_EQ(matched(QString::fromUtf8(tag)), QString::fromUtf8(expected)) << "tag \"" << tag << '"';
}

TEST(AppLanguage, ResolvesListsToTheFirstMatch) {
    EXPECT_EQ(AppLanguage::resolve({QStringLiteral("fr-CA"), QStringLiteral("en-US")}), AppLanguage::fr);
    EXPECT_EQ(AppLanguage::resolve({QStringLiteral("sr-Latn-RS"), QStringLiteral("de-CH")}), AppLanguage::de);
    EXPECT_EQ(AppLanguage::resolve({QStringLiteral("sr-RS")}), AppLanguage::en);
    EXPECT_EQ(AppLanguage::resolve({}), AppLanguage::en);
}

TEST_F(AppLanguageSettings, FollowsTheSystemWhenNothingIsStored) {
    EXPECT_TRUE(AppLanguage::isFollowingSystem());
    EXPECT_EQ(AppLanguage::current(), AppLanguage::fr);
    setSystem({QStringLiteral("sr-Latn-RS"), QStringLiteral("de-CH")});
    EXPECT_EQ(AppLanguage::systemResolved(), AppLanguage::de);
    EXPECT_EQ(AppLanguage::current(), AppLanguage::de); // asked anew, not cached
    setSystem({});
    EXPECT_EQ(AppLanguage::current(), AppLanguage::en);
}

TEST_F(AppLanguageSettings, ReadsStoredValues) {
    storeRaw(QStringLiteral("  tr \n"));
    EXPECT_EQ(AppLanguage::current(), AppLanguage::tr);
    EXPECT_FALSE(AppLanguage::isFollowingSystem());

    storeRaw(QStringLiteral("SYSTEM"));
    EXPECT_EQ(AppLanguage::current(), AppLanguage::fr);
    EXPECT_TRUE(AppLanguage::isFollowingSystem());

    storeRaw(QStringLiteral(" \t"));
    EXPECT_EQ(AppLanguage::current(), AppLanguage::fr);
    EXPECT_TRUE(AppLanguage::isFollowingSystem());

    // An unknown value falls back to the system, yet is not "following the system".
    storeRaw(QStringLiteral("xx"));
    EXPECT_EQ(AppLanguage::current(), AppLanguage::fr);
    EXPECT_FALSE(AppLanguage::isFollowingSystem());

    // A stored value is matched as a tag, not only as a raw value.
    storeRaw(QStringLiteral("zh_TW"));
    EXPECT_EQ(AppLanguage::current(), AppLanguage::zhHant);
}

TEST_F(AppLanguageSettings, StoresChoices) {
    AppLanguage::setCurrent(AppLanguage::ptPT);
    EXPECT_EQ(stored().toString(), u"pt-PT");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::ptPT);
    EXPECT_FALSE(AppLanguage::isFollowingSystem());

    AppLanguage::setFollowSystem();
    EXPECT_EQ(stored().toString(), u"system");
    EXPECT_TRUE(AppLanguage::isFollowingSystem());
    EXPECT_EQ(AppLanguage::current(), AppLanguage::fr);
}
