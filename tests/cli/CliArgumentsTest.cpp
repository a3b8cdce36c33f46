#include "tests/support/TestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using testsupport::runCli;

namespace {

// The command names, as the command line's own help lists them.
QStringList commandNames() {
    const auto help = runCli({QStringLiteral("help")});
    QStringList names;
    static const QRegularExpression usageLine(QStringLiteral("^  ([a-z]+)\\b"));
    for (const QString& line : help.out.split(u'\n'))
        if (const auto match = usageLine.match(line); match.hasMatch()) names << match.captured(1);
    return names;
}

} // namespace

// Every command answers --help with its usage on stdout, and refuses an option it does not
// know rather than ignoring it or reading it as a file.
TEST(CliArguments, EveryCommandHelpsAndRefusesUnknownOptions) {
    const QStringList names = commandNames();
    ASSERT_GE(names.size(), 20) << "help lists the commands";
    for (const QString& name : names) {
        const auto help = runCli({name, QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0) << name.toStdString() << ": " << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: taviview-cli ") + name))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("--help"))) << help.out.toStdString();

        const auto unknown = runCli({name, QStringLiteral("some-file"), QStringLiteral("--no-such-option")});
        EXPECT_EQ(unknown.exitCode, 2) << name.toStdString();
        EXPECT_TRUE(unknown.err.contains(QStringLiteral("Unknown option 'no-such-option'")))
            << name.toStdString() << ": " << unknown.err.toStdString();
        EXPECT_TRUE(unknown.err.contains(QStringLiteral("usage: taviview-cli ") + name))
            << unknown.err.toStdString();
    }
}

// An option given last without its value is named, the same way by every command that takes it.
TEST(CliArguments, AMissingValueIsNamed) {
    for (const QStringList& args :
         {QStringList{"render", "in.jpg", "-o"}, QStringList{"export", "in.jpg", "--quality"},
          QStringList{"batch", "folder", "-o"}, QStringList{"frame", "in.jpg", "--padding"},
          QStringList{"histogram", "in.jpg", "--bins"}}) {
        const auto result = runCli(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("Missing value after '%1'").arg(args.last())))
            << args.join(u' ').toStdString() << ": " << result.err.toStdString();
    }
}

// A value that starts with a dash is still the option's value, and options may come before the
// file: the forms the old hand-written loops accepted keep working.
TEST(CliArguments, NegativeValuesAndOptionsBeforeTheFile) {
    const QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.png"));
    const QString input = testsupport::fixture(QStringLiteral("photos/hopper.png"));
    const auto result = runCli({QStringLiteral("render"), QStringLiteral("--exposure"), QStringLiteral("-1"),
                                QStringLiteral("-o"), out, input});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QImage original(input), darker(out);
    ASSERT_EQ(darker.size(), original.size());
    const QPoint centre(original.width() / 2, original.height() / 2);
    EXPECT_LT(qGray(darker.pixel(centre)), qGray(original.pixel(centre)));
}
