#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Subcommands of taviview-cli register themselves, one file each, through a static CliRegistration.
struct CliCommand {
    QString name;
    QString usage;    // e.g. "info FILE [--json]"
    QString summary;  // one line
    std::function<int(const QStringList& args)> run; // args exclude the command name
    // Commands that draw text need the GUI application (fonts); the others start faster without it.
    bool needsGui = true;
};

std::vector<CliCommand>& cliCommands();

struct CliRegistration {
    explicit CliRegistration(CliCommand command) { cliCommands().push_back(std::move(command)); }
};

// Output helpers: stdout for results, stderr for problems.
void cliOut(const QString& text);
void cliErr(const QString& text);
// Prints "usage: taviview-cli <usage>" to stderr and returns exit code 2.
int cliUsage(const QString& usage);
