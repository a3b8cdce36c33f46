#include "cli/CliArguments.h"

#include "cli/CliCommand.h"

#include <map>

CliArguments::CliArguments(QString usage, std::initializer_list<Option> options) : usage_(std::move(usage)) {
    // Values may start with a dash (--exposure -0.5); a word after one dash is letters, not a name.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    option({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    for (const Option& o : options)
        option(QString::fromUtf8(o.names).split(u'|'), QString::fromUtf8(o.description),
               o.valueName ? QString::fromUtf8(o.valueName) : QString());
}

CliArguments& CliArguments::option(const QStringList& names, const QString& description,
                                   const QString& valueName) {
    parser_.addOption(QCommandLineOption(names, description, valueName));
    names_.push_back(names);
    return *this;
}

std::optional<int> CliArguments::parse(const QStringList& args, std::optional<qsizetype> positionals) {
    if (!parser_.parse(QStringList{QStringLiteral("taviview-cli")} + args)) {
        cliErr(QStringLiteral("taviview-cli: %1").arg(parser_.errorText()));
        return cliUsage(usage_);
    }
    if (parser_.isSet(QStringLiteral("help"))) {
        // Qt's own usage line names no command; ours does, and the option table follows it.
        const QString help = parser_.helpText();
        const qsizetype options = help.indexOf(QStringLiteral("Options:"));
        cliOut(QStringLiteral("usage: taviview-cli %1\n\n%2").arg(usage_, help.mid(options).trimmed()));
        return 0;
    }
    if (positionals && parser_.positionalArguments().size() != *positionals) return usageError();
    return std::nullopt;
}

bool CliArguments::integer(const QString& name, int& value, int lowest, int highest) const {
    if (!parser_.isSet(name)) return true;
    bool ok = false;
    const int parsed = parser_.value(name).toInt(&ok);
    if (!ok || parsed < lowest || parsed > highest) return false;
    value = parsed;
    return true;
}

std::vector<std::pair<QString, QString>> CliArguments::inOrder() const {
    std::vector<std::pair<QString, QString>> found;
    std::map<QString, qsizetype> used; // values taken so far, per option
    for (const QString& name : parser_.optionNames()) {
        QString first = name;
        for (const QStringList& names : names_)
            if (names.contains(name)) first = names.front();
        const QStringList values = parser_.values(first);
        const qsizetype index = used[first]++;
        found.emplace_back(first, index < values.size() ? values[index] : QString());
    }
    return found;
}

int CliArguments::usageError() const {
    return cliUsage(usage_);
}
