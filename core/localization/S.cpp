#include "core/localization/S.h"
#include "core/localization/TextTable.h"

#include "core/localization/AppStringCatalog.h"

#include <QSet>
#include <array>

namespace S {

QString t(const QString& en, const QString& tr) {
    return AppStringCatalog::shared().resolve(en, tr, AppLanguage::current());
}

#define TAVI_TEXT(name, en, tr) \
    QString name() { return t(QStringLiteral(en), QStringLiteral(tr)); }
#include "core/localization/StringTableTexts.h"
#undef TAVI_TEXT

std::span<const TextProperty> textProperties() {
    static constexpr std::array properties{
#define TAVI_TEXT(name, en, tr) TextProperty{#name, en, tr},
#include "core/localization/StringTableTexts.h"
#undef TAVI_TEXT
    };
    return properties;
}

std::span<const InlinePair> inlinePairs() {
    static constexpr std::array pairs{
#define TAVI_INLINE(en, tr) InlinePair{en, tr},
#include "core/localization/InlineTexts.h"
#undef TAVI_INLINE
    };
    return pairs;
}

const std::vector<TableEntry>& completeTable() {
    static const std::vector<TableEntry> table = [] {
        std::vector<TableEntry> out;
        QSet<QString> seen;
        // A text shown in several places is one key of the catalogs; the first place names it.
        auto add = [&](const char* english, const char* turkish, QString origin) {
            const QString key = QString::fromUtf8(english);
            if (seen.contains(key)) return;
            seen.insert(key);
            out.push_back({key, QString::fromUtf8(turkish), std::move(origin)});
        };
        for (const auto& p : textProperties()) add(p.english, p.turkish, QString::fromLatin1(p.name));
        for (const auto& n : enumerationNames()) add(n.english, n.turkish, QString::fromLatin1(n.item));
        for (const auto& p : inlinePairs()) add(p.english, p.turkish, QStringLiteral("inline"));
        return out;
    }();
    return table;
}

} // namespace S
