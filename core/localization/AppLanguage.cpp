#include "core/localization/AppLanguage.h"

#include <QSettings>
#include <algorithm>
#include <array>
#include <mutex>

namespace {

struct LanguageInfo {
    AppLanguage::Case value;
    const char* raw;
    const char* nativeName; // UTF-8
    const char* englishName;
    const char* shortCode;
};

// Declaration order is the order of allCases().
const std::array<LanguageInfo, 37> languages{{
    {AppLanguage::ar, "ar", "العربية", "Arabic", "AR"},
    {AppLanguage::az, "az", "Azərbaycanca", "Azerbaijani", "AZ"},
    {AppLanguage::bg, "bg", "Български", "Bulgarian", "BG"},
    {AppLanguage::ca, "ca", "Català", "Catalan", "CA"},
    {AppLanguage::cs, "cs", "Čeština", "Czech", "CS"},
    {AppLanguage::da, "da", "Dansk", "Danish", "DA"},
    {AppLanguage::de, "de", "Deutsch", "German", "DE"},
    {AppLanguage::el, "el", "Ελληνικά", "Greek", "EL"},
    {AppLanguage::en, "en", "English", "English", "EN"},
    {AppLanguage::es, "es", "Español", "Spanish", "ES"},
    {AppLanguage::fa, "fa", "فارسی", "Persian", "FA"},
    {AppLanguage::fi, "fi", "Suomi", "Finnish", "FI"},
    {AppLanguage::fr, "fr", "Français", "French", "FR"},
    {AppLanguage::he, "he", "עברית", "Hebrew", "HE"},
    {AppLanguage::hi, "hi", "हिन्दी", "Hindi", "HI"},
    {AppLanguage::hr, "hr", "Hrvatski", "Croatian", "HR"},
    {AppLanguage::hu, "hu", "Magyar", "Hungarian", "HU"},
    {AppLanguage::id, "id", "Bahasa Indonesia", "Indonesian", "ID"},
    {AppLanguage::it, "it", "Italiano", "Italian", "IT"},
    {AppLanguage::ja, "ja", "日本語", "Japanese", "JA"},
    {AppLanguage::ko, "ko", "한국어", "Korean", "KO"},
    {AppLanguage::ms, "ms", "Bahasa Melayu", "Malay", "MS"},
    {AppLanguage::nb, "nb", "Norsk Bokmål", "Norwegian Bokmål", "NB"},
    {AppLanguage::nl, "nl", "Nederlands", "Dutch", "NL"},
    {AppLanguage::pl, "pl", "Polski", "Polish", "PL"},
    {AppLanguage::ptBR, "pt-BR", "Português (Brasil)", "Portuguese (Brazil)", "PT"},
    {AppLanguage::ptPT, "pt-PT", "Português (Portugal)", "Portuguese (Portugal)", "PT-PT"},
    {AppLanguage::ro, "ro", "Română", "Romanian", "RO"},
    {AppLanguage::ru, "ru", "Русский", "Russian", "RU"},
    {AppLanguage::sk, "sk", "Slovenčina", "Slovak", "SK"},
    {AppLanguage::sv, "sv", "Svenska", "Swedish", "SV"},
    {AppLanguage::th, "th", "ไทย", "Thai", "TH"},
    {AppLanguage::tr, "tr", "Türkçe", "Turkish", "TR"},
    {AppLanguage::uk, "uk", "Українська", "Ukrainian", "UK"},
    {AppLanguage::vi, "vi", "Tiếng Việt", "Vietnamese", "VI"},
    {AppLanguage::zhHans, "zh-Hans", "简体中文", "Chinese (Simplified)", "ZH"},
    {AppLanguage::zhHant, "zh-Hant", "繁體中文", "Chinese (Traditional)", "ZH-TW"},
}};

const LanguageInfo& info(AppLanguage language) {
    return languages[static_cast<std::size_t>(AppLanguage::Case(language))];
}

std::mutex& sourceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<QStringList()>& systemSource() {
    static std::function<QStringList()> source;
    return source;
}

QSettings preferences() {
    return QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView"));
}

// The stored value trimmed, or nothing when absent.
std::optional<QString> storedPreference() {
    const QVariant value = preferences().value(AppLanguage::defaultsKey);
    if (!value.isValid() || value.isNull()) return std::nullopt;
    return value.toString().trimmed();
}

bool meansFollowSystem(const std::optional<QString>& stored) {
    return !stored || stored->isEmpty() || stored->compare(AppLanguage::systemPreferenceCode, Qt::CaseInsensitive) == 0;
}

void store(const QString& value) {
    QSettings settings = preferences();
    settings.setValue(AppLanguage::defaultsKey, value);
    settings.sync(); // the choice is persisted when made, not at quit
}

} // namespace

QString AppLanguage::rawValue() const { return QString::fromLatin1(info(*this).raw); }
QString AppLanguage::nativeName() const { return QString::fromUtf8(info(*this).nativeName); }
QString AppLanguage::englishName() const { return QString::fromUtf8(info(*this).englishName); }
QString AppLanguage::shortCode() const { return QString::fromLatin1(info(*this).shortCode); }

std::optional<AppLanguage> AppLanguage::fallbackParent() const {
    switch (value_) {
    case ptPT:
        return AppLanguage(ptBR);
    case zhHant:
        return AppLanguage(zhHans);
    default:
        return std::nullopt;
    }
}

QString AppLanguage::displayName() const {
    const QString native = nativeName();
    const QString english = englishName();
    if (native.compare(english, Qt::CaseInsensitive) == 0) return native;
    return native + QStringLiteral(" (") + english + u')';
}

QLocale AppLanguage::locale() const { return QLocale(rawValue()); }

std::optional<AppLanguage> AppLanguage::fromRawValue(const QString& raw) {
    for (const auto& language : languages)
        if (raw == QLatin1StringView(language.raw)) return AppLanguage(language.value);
    return std::nullopt;
}

const std::vector<AppLanguage>& AppLanguage::allCases() {
    static const std::vector<AppLanguage> all = [] {
        std::vector<AppLanguage> v;
        for (const auto& language : languages) v.push_back(language.value);
        return v;
    }();
    return all;
}

const std::vector<AppLanguage>& AppLanguage::sortedCases() {
    // Every English name is ASCII but "Norwegian Bokmål", whose "å" comes after the shared "Norwegian "
    // prefix with no rival; a case-insensitive comparison gives the localized order exactly.
    static const std::vector<AppLanguage> sorted = [] {
        std::vector<AppLanguage> v = allCases();
        std::stable_sort(v.begin(), v.end(), [](AppLanguage a, AppLanguage b) {
            return a.englishName().compare(b.englishName(), Qt::CaseInsensitive) < 0;
        });
        return v;
    }();
    return sorted;
}

std::optional<AppLanguage> AppLanguage::match(const QString& tag) {
    QString normalized = tag.trimmed();
    normalized.replace(u'_', u'-');
    if (normalized.isEmpty()) return std::nullopt;

    for (const auto& language : languages)
        if (normalized.compare(QLatin1StringView(language.raw), Qt::CaseInsensitive) == 0)
            return AppLanguage(language.value);

    const QString lower = normalized.toLower();
    auto isFamily = [&lower](const char* code) {
        const QLatin1StringView c(code);
        return lower == c || lower.startsWith(c + QLatin1StringView("-"));
    };
    if (isFamily("zh")) {
        for (const char* traditional : {"hant", "-tw", "-hk", "-mo"})
            if (lower.contains(QLatin1StringView(traditional))) return AppLanguage(zhHant);
        return AppLanguage(zhHans);
    }
    if (isFamily("pt")) return AppLanguage(lower.startsWith(QLatin1StringView("pt-pt")) ? ptPT : ptBR);
    if (isFamily("no") || isFamily("nb") || isFamily("nn")) return AppLanguage(nb);

    const QString primary = lower.section(u'-', 0, 0);
    if (primary == u"iw") return AppLanguage(he);
    if (primary == u"in") return AppLanguage(id);
    for (const auto& language : languages)
        if (primary == QString::fromLatin1(language.raw).toLower()) return AppLanguage(language.value);
    return std::nullopt;
}

AppLanguage AppLanguage::resolve(const QStringList& tags) {
    for (const QString& tag : tags)
        if (const auto language = match(tag)) return *language;
    return en;
}

QStringList AppLanguage::systemPreferredLanguages() {
    std::function<QStringList()> source;
    {
        std::lock_guard lock(sourceMutex());
        source = systemSource();
    }
    return source ? source() : QLocale::system().uiLanguages();
}

void AppLanguage::setSystemPreferredLanguagesSource(std::function<QStringList()> source) {
    std::lock_guard lock(sourceMutex());
    systemSource() = std::move(source);
}

AppLanguage AppLanguage::systemResolved() { return resolve(systemPreferredLanguages()); }

AppLanguage AppLanguage::current() {
    const auto stored = storedPreference();
    if (!meansFollowSystem(stored))
        if (const auto language = match(*stored)) return *language;
    return systemResolved();
}

bool AppLanguage::isFollowingSystem() { return meansFollowSystem(storedPreference()); }

void AppLanguage::setCurrent(AppLanguage language) { store(language.rawValue()); }

void AppLanguage::setFollowSystem() { store(systemPreferenceCode); }
