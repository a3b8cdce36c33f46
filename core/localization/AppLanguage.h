#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The languages the interface can speak, the user's stored choice and the rules that turn the
// system's preferred-language tags into one of them.
//
// A class around a plain enumeration so that the cases read AppLanguage::de and the language-wide
// operations AppLanguage::current(). The case `id` (Indonesian) takes the name an identity accessor
// would have; rawValue() is the identity.
class AppLanguage {
public:
    enum Case : unsigned char {
        ar, az, bg, ca, cs, da, de, el, en, es, fa, fi, fr, he, hi, hr, hu, id, it,
        ja, ko, ms, nb, nl, pl, ptBR, ptPT, ro, ru, sk, sv, th, tr, uk, vi, zhHans, zhHant,
    };

    constexpr AppLanguage(Case value) : value_(value) {}
    constexpr operator Case() const { return value_; }

    QString rawValue() const;         // "de", "pt-BR", "zh-Hant"
    QString nativeName() const;       // "Deutsch"
    QString englishName() const;      // "German"
    QString shortCode() const;        // "DE", "PT-PT", "ZH-TW"
    std::optional<AppLanguage> fallbackParent() const; // pt-PT -> pt-BR, zh-Hant -> zh-Hans
    QString displayName() const;      // "Deutsch (German)", "English"
    QLocale locale() const;

    static std::optional<AppLanguage> fromRawValue(const QString& raw); // exact raw value
    static const std::vector<AppLanguage>& allCases();                  // declaration order
    static const std::vector<AppLanguage>& sortedCases();               // by English name

    // The stored setting: "system" or a raw value, under this key of the user's preferences.
    static inline const QString defaultsKey = QStringLiteral("com.quellora.preferredLanguage");
    static inline const QString systemPreferenceCode = QStringLiteral("system");

    // Each reads the setting and the system's languages anew; nothing is cached.
    static AppLanguage current();
    static bool isFollowingSystem();
    static AppLanguage systemResolved();
    static AppLanguage resolve(const QStringList& tags); // first tag that matches, else en
    static std::optional<AppLanguage> match(const QString& tag);
    static void setCurrent(AppLanguage language);
    static void setFollowSystem();

    // The system's preferred languages, most preferred first (QLocale::system().uiLanguages()).
    // Tests replace the source; an empty function restores the system's.
    static QStringList systemPreferredLanguages();
    static void setSystemPreferredLanguagesSource(std::function<QStringList()> source);

private:
    Case value_;
};

inline size_t qHash(AppLanguage language, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(AppLanguage::Case(language)), seed);
}
