#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

// A command's arguments, read by QCommandLineParser: every command answers --help the same way,
// refuses an option it does not know, and names an option given without its value.
class CliArguments {
  public:
    // One option: its names separated by "|" ("max-edge|max"), what it does, and the name of
    // its value (none for a switch).
    struct Option {
        const char* names;
        const char* description;
        const char* valueName = nullptr;
    };

    // `usage` is the command's usage line, e.g. "thumb FILE [--max N] -o OUT.png".
    explicit CliArguments(QString usage, std::initializer_list<Option> options = {});

    // An option taking a value when `valueName` is given, a switch otherwise. One-letter names
    // are written with one dash (-o), the others with two (--quality).
    CliArguments& option(const QStringList& names, const QString& description, const QString& valueName = {});

    // Nothing when the command should go on; otherwise the exit code it returns: 0 after the
    // help (on stdout), 2 after an unknown option, a missing value or, when `positionals` is
    // given, another number of arguments that are not options (the reason and the usage on
    // stderr).
    std::optional<int> parse(const QStringList& args, std::optional<qsizetype> positionals = std::nullopt);

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList positional() const { return parser_.positionalArguments(); }
    // Reads whole-number option `name` into `value` when it is given; false when it is given but
    // is not a whole number from `lowest` to `highest`.
    bool integer(const QString& name, int& value, int lowest = std::numeric_limits<int>::min(),
                 int highest = std::numeric_limits<int>::max()) const;
    // Every option given, in the order given (a repeated one each time), with its value (empty
    // for a switch); under the name it was registered with first.
    std::vector<std::pair<QString, QString>> inOrder() const;

    // Prints the usage to stderr and gives exit code 2, for arguments that parse but make no sense.
    int usageError() const;

  private:
    QString usage_;
    QCommandLineParser parser_;
    std::vector<QStringList> names_;
};
