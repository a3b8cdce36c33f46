// strings: every fixed text of the string table in one interface language.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/localization/AppStringCatalog.h"
#include "core/localization/S.h"

namespace {

const QString usage = QStringLiteral("strings [--lang CODE]");

int runStrings(const QStringList& args) {
    CliArguments cli(usage, {
        {"lang", "The interface language.", "CODE"},
    });
    if (const auto exit = cli.parse(args)) return *exit;
    if (!cli.positional().isEmpty()) return cli.usageError();
    AppLanguage language = AppLanguage::current();
    for (const auto& [option, value] : cli.inOrder()) {
        const auto matched = AppLanguage::match(value);
        if (!matched) {
            cliErr(QStringLiteral("strings: \"%1\" names no interface language").arg(value));
            return 2;
        }
        language = *matched;
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
