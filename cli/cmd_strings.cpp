// strings: every fixed text of the string table in one interface language.
#include "cli/CliCommand.h"
#include "core/localization/AppStringCatalog.h"
#include "core/localization/S.h"

namespace {

const QString usage = QStringLiteral("strings [--lang CODE]");

int runStrings(const QStringList& args) {
    AppLanguage language = AppLanguage::current();
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"--lang" && i + 1 < args.size()) {
            const auto matched = AppLanguage::match(args[++i]);
            if (!matched) {
                cliErr(QStringLiteral("strings: \"%1\" names no interface language").arg(args[i]));
                return 2;
            }
            language = *matched;
        } else {
            return cliUsage(usage);
        }
    }
    // The language is passed to each lookup rather than stored, so the user's choice is untouched.
    for (const auto& property : S::textProperties())
        cliOut(QStringLiteral("%1\t%2").arg(QLatin1StringView(property.name),
                                            AppStringCatalog::shared().resolve(QString::fromUtf8(property.english),
                                                                               QString::fromUtf8(property.turkish),
                                                                               language)));
    return 0;
}

const CliRegistration strings{{QStringLiteral("strings"), usage,
                               QStringLiteral("Every text property (name, tab, text) in the language in force or "
                                              "in CODE (a language tag such as de, pt-PT, zh_TW)."),
                               runStrings}};
} // namespace
