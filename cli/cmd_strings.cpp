// strings: the complete string table (text properties, enumeration names, inline texts) in one
// interface language.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/localization/AppStringCatalog.h"
#include "core/localization/TextTable.h"

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
    // One line per key: the English text (the catalogs' key), a tab, the text shown. Templates are
    // printed unfilled, placeholders and all.
    for (const auto& entry : S::completeTable())
        cliOut(entry.english + u'\t' + AppStringCatalog::shared().resolve(entry.english, entry.turkish, language));
    return 0;
}

const CliRegistration strings{{QStringLiteral("strings"), usage,
                               QStringLiteral("The complete string table, one text a line (English key, tab, text "
                                              "shown), in the language in force or in CODE (a "
                                              "language tag such as de, pt-PT, zh_TW)."),
                               runStrings}};
} // namespace
