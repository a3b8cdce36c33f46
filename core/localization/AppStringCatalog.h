#pragma once

#include "core/localization/AppLanguage.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

// The translations of the languages other than English and Turkish, read from catalog files whose
// keys are the English texts. Each language's table is loaded on its first use and kept for the
// rest of the run; files changed meanwhile take effect after a restart.
class AppStringCatalog {
public:
    using Table = QHash<QString, QString>; // English text -> translation

    static AppStringCatalog& shared();

    // The text to show: English for en, Turkish (or English when it is empty) for tr, otherwise the
    // language's translation, its parent's (pt-PT -> pt-BR, zh-Hant -> zh-Hans), or English.
    QString resolve(const QString& en, const QString& tr, AppLanguage language = AppLanguage::current());

    // The language's table, loaded on first use. English and Turkish have none.
    Table strings(AppLanguage language);

    // The merged table of a language's catalog files over the three folders, later folders winning:
    // application-support "Quellora/Localizations", the application's "Localizations", then
    // application-support "Quellora/Localizations/Custom". In each folder CODE.json.lzfse is used
    // when it reads and decodes, else CODE.json.
    static Table loadFromDisk(const QString& code);

    // The folders loadFromDisk visits, lowest precedence first (the resource one only when the
    // application has a resource folder).
    static QStringList catalogFolders();

    // Decodes one catalog file's bytes: a {"strings": {...}} pack or a flat object of strings.
    // Empty translations are dropped. Nothing when the bytes are neither.
    static std::optional<Table> parseCatalog(const QByteArray& json);

    // Catalog files larger than this are treated as unreadable (also the decompression cap).
    static constexpr qint64 maxCatalogBytes = qint64{64} << 20;

private:
    AppStringCatalog() = default;

    std::mutex lock_;
    QHash<QString, Table> cache_; // raw value -> table; guarded by lock_
};
