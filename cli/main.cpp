#include "cli/CliCommand.h"
#include "core/common/MemoryTuning.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>
#include <algorithm>
#include <memory>
#include <cstdio>

std::vector<CliCommand>& cliCommands() {
    static std::vector<CliCommand> commands;
    return commands;
}

void cliOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

void cliErr(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

int cliUsage(const QString& usage) {
    cliErr(QStringLiteral("usage: taviview-cli ") + usage);
    return 2;
}

// Qt complains on stderr when the session has no runtime folder (cron, CI); give it a private one.
static void ensureRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    const QByteArray dir = QDir::tempPath().toUtf8() + "/taviview-runtime-" + QByteArray::number(getuid());
    QDir().mkpath(QString::fromUtf8(dir));
    QFile::setPermissions(QString::fromUtf8(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir);
}

static void printHelp() {
    auto commands = cliCommands();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    cliOut(QStringLiteral("TaviView command line. Commands:"));
    for (const auto& command : commands)
        cliOut(QStringLiteral("  %1\n      %2").arg(command.usage, command.summary));
}

int main(int argc, char** argv) {
    keepImageBuffersMapped();
    // Drawing text needs a GUI application; headless by default so scripts run without a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ensureRuntimeDir();
    const CliCommand* command = nullptr;
    if (argc > 1) {
        for (const auto& candidate : cliCommands())
            if (candidate.name == QString::fromLocal8Bit(argv[1])) command = &candidate;
    }
    std::unique_ptr<QCoreApplication> app;
    if (command && !command->needsGui) app = std::make_unique<QCoreApplication>(argc, argv);
    else app = std::make_unique<QGuiApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quellora"));
    QCoreApplication::setApplicationName(QStringLiteral("TaviView"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.front() == u"help" || args.front() == u"--help" || args.front() == u"-h") {
        printHelp();
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    if (command) return command->run(args);
    cliErr(QStringLiteral("taviview-cli: unknown command \"%1\" (try: taviview-cli help)").arg(name));
    return 2;
}
