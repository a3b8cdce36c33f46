#include "core/localization/AppStringCatalog.h"

#include "core/localization/AppResources.h"
#include "core/localization/LzfseDecoder.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {

// Copies the object's members into a table when every value is a string; empty ones are dropped.
std::optional<AppStringCatalog::Table> stringsOf(const QJsonObject& object) {
    AppStringCatalog::Table table;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString()) return std::nullopt;
        const QString translation = it.value().toString();
        if (!translation.isEmpty()) table.insert(it.key(), translation);
    }
    return table;
}

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.size() > AppStringCatalog::maxCatalogBytes) return std::nullopt;
    QByteArray bytes = file.read(AppStringCatalog::maxCatalogBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > AppStringCatalog::maxCatalogBytes) return std::nullopt;
    return bytes;
}

std::optional<QByteArray> decompress(const QByteArray& compressed) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(compressed.constData());
    const auto decoded = LzfseDecoder::decode({data, static_cast<std::size_t>(compressed.size())}, nullptr,
                                              static_cast<std::size_t>(AppStringCatalog::maxCatalogBytes));
    if (!decoded) return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(decoded->data()), static_cast<qsizetype>(decoded->size()));
}

QString applicationSupportDirectory() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!location.isEmpty()) return location;
    return QDir::homePath() + QStringLiteral("/Library/Application Support");
}

} // namespace

AppStringCatalog& AppStringCatalog::shared() {
    static AppStringCatalog* catalog = new AppStringCatalog; // lives until the process ends
    return *catalog;
}

QString AppStringCatalog::resolve(const QString& en, const QString& tr, AppLanguage language) {
    if (language == AppLanguage::en) return en;
    if (language == AppLanguage::tr) return tr.isEmpty() ? en : tr;
    const QString own = strings(language).value(en);
    if (!own.isEmpty()) return own;
    if (const auto parent = language.fallbackParent()) {
        const QString inherited = strings(*parent).value(en);
        if (!inherited.isEmpty()) return inherited;
    }
    return en;
}

AppStringCatalog::Table AppStringCatalog::strings(AppLanguage language) {
    if (language == AppLanguage::en || language == AppLanguage::tr) return {};
    const QString code = language.rawValue();
    {
        std::lock_guard guard(lock_);
        const auto it = cache_.constFind(code);
        if (it != cache_.constEnd()) return it.value();
    }
    // Loaded outside the lock so a slow disk never blocks lookups of languages already loaded; two
    // threads may both load a new language, and their tables are equal.
    Table table = loadFromDisk(code);
    std::lock_guard guard(lock_);
    cache_.insert(code, table);
    return table;
}

QStringList AppStringCatalog::catalogFolders() {
    const QString support = applicationSupportDirectory();
    QStringList folders{support + QStringLiteral("/Quellora/Localizations")};
    const QString resources = AppResources::resourceDirectory();
    if (!resources.isEmpty()) folders << resources + QStringLiteral("/Localizations");
    folders << support + QStringLiteral("/Quellora/Localizations/Custom");
    return folders;
}

std::optional<AppStringCatalog::Table> AppStringCatalog::parseCatalog(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject root = document.object();

    // As a pack: "strings" and "templates" are optional, but when present each must be an object
    // of strings for the file to read as a pack. Only "strings" feeds the lookup.
    bool isPack = true;
    std::optional<Table> packStrings;
    for (const QString& member : {QStringLiteral("strings"), QStringLiteral("templates")}) {
        const QJsonValue value = root.value(member);
        if (value.isUndefined() || value.isNull()) continue;
        const auto table = value.isObject() ? stringsOf(value.toObject()) : std::nullopt;
        if (!table) {
            isPack = false;
            break;
        }
        if (member == u"strings") packStrings = table;
    }
    if (isPack && packStrings) return packStrings;
    return stringsOf(root);
}

AppStringCatalog::Table AppStringCatalog::loadFromDisk(const QString& code) {
    Table merged;
    for (const QString& folder : catalogFolders()) {
        for (const bool compressed : {true, false}) {
            const QString path = folder + u'/' + code + (compressed ? QStringLiteral(".json.lzfse") : QStringLiteral(".json"));
            std::optional<QByteArray> bytes = readFile(path);
            if (bytes && compressed) bytes = decompress(*bytes);
            if (!bytes) continue;
            const auto table = parseCatalog(*bytes);
            if (!table) continue;
            for (auto it = table->begin(); it != table->end(); ++it) merged.insert(it.key(), it.value());
            break; // this folder is done
        }
    }
    return merged;
}
