#include "core/localization/S.h"

#include "core/localization/AppStringCatalog.h"

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

} // namespace S
