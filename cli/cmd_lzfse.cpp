// lzfse: decompresses an LZFSE stream (such as a compressed catalog file).
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/localization/LzfseDecoder.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QString usage = QStringLiteral("lzfse -d IN -o OUT");

int runLzfse(const QStringList& args) {
    CliArguments cli(usage, {
        {"d", "Decompress."},
        {"o", "The file to write.", "OUT"},
    });
    if (const auto exit = cli.parse(args)) return *exit;
    const QString out = cli.value(QStringLiteral("o"));
    if (!cli.isSet(QStringLiteral("d")) || cli.positional().size() != 1 || out.isEmpty())
        return cli.usageError();
    const QString in = cli.positional().front();

    QFile input(in);
    if (!input.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("%1: %2").arg(in, input.errorString()));
        return 1;
    }
    const QByteArray bytes = input.readAll();
    std::string error;
    const auto decoded = LzfseDecoder::decode(
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())}, &error);
    if (!decoded) {
        cliErr(QStringLiteral("%1: %2").arg(in, QString::fromStdString(error)));
        return 1;
    }
    // Written whole or not at all.
    QSaveFile output(out);
    if (!output.open(QIODevice::WriteOnly) ||
        output.write(reinterpret_cast<const char*>(decoded->data()), static_cast<qint64>(decoded->size())) !=
            static_cast<qint64>(decoded->size()) ||
        !output.commit()) {
        cliErr(QStringLiteral("%1: %2").arg(out, output.errorString()));
        return 1;
    }
    cliOut(QStringLiteral("%1 -> %2 (%3 bytes)").arg(in, out).arg(decoded->size()));
    return 0;
}

const CliRegistration lzfse{{QStringLiteral("lzfse"), usage,
                             QStringLiteral("Decompress the LZFSE stream IN into OUT."), runLzfse}};
} // namespace
