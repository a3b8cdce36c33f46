// annotate: burns a JSON list of markup items into an image.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/AtomicFileWriter.h"
#include "core/files/FolderBrowserService.h"
#include "core/imaging/AnnotationRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>

namespace {

const QString kUsage = QStringLiteral("annotate FILE ITEMS.json -o OUT.png [--selected UUID]");
// A markup list is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxItemsFileBytes = 64 * 1024 * 1024;

std::optional<QList<AnnotationItem>> readItems(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    // Read at most one byte past the cap: pipes and special files report no size up front.
    const QByteArray text = file.read(kMaxItemsFileBytes + 1);
    if (text.size() > kMaxItemsFileBytes) {
        cliErr(QStringLiteral("%1: too large for a markup list").arg(path));
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        cliErr(QStringLiteral("%1: not valid JSON (%2 at offset %3)")
                   .arg(path, parseError.errorString())
                   .arg(parseError.offset));
        return std::nullopt;
    }
    if (!document.isArray()) {
        cliErr(QStringLiteral("%1: expected a JSON array of markup items").arg(path));
        return std::nullopt;
    }
    QList<AnnotationItem> items;
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        JsonDecodeError error;
        const auto item = AnnotationItem::fromJson(array[i], &error, QStringLiteral("[%1]").arg(i));
        if (!item) {
            cliErr(QStringLiteral("%1: %2").arg(path, error.toString()));
            return std::nullopt;
        }
        items.append(*item);
    }
    return items;
}

int runAnnotate(const QStringList& args) {
    CliArguments cli(kUsage, {
        {"o", "The file to write; its extension names the format.", "OUT"},
        {"selected", "Outline the item with this id.", "UUID"},
    });
    if (const auto exit = cli.parse(args)) return *exit;
    const QStringList positional = cli.positional();
    const QString output = cli.value(QStringLiteral("o"));
    std::optional<QUuid> selected;
    if (cli.isSet(QStringLiteral("selected"))) {
        const QUuid id(cli.value(QStringLiteral("selected")));
        if (id.isNull()) {
            cliErr(QStringLiteral("%1: not a UUID").arg(cli.value(QStringLiteral("selected"))));
            return 2;
        }
        selected = id;
    }
    if (positional.size() != 2 || output.isEmpty()) return cli.usageError();

    QByteArray format = QFileInfo(output).suffix().toLower().toLatin1();
    if (format.isEmpty()) format = "png";
    if (!QImageWriter::supportedImageFormats().contains(format)) {
        cliErr(QStringLiteral("%1: unsupported output format").arg(output));
        return 1;
    }
    const auto items = readItems(positional[1]);
    if (!items) return 1;
    const auto image = FolderBrowserService().loadOrientedCGImage(positional[0]);
    if (!image) {
        cliErr(QStringLiteral("%1: could not decode the image").arg(positional[0]));
        return 1;
    }
    // The photo without its markup (above all without a redaction) must not pass for the result.
    const auto drawn = AnnotationRenderer().tryRender(*items, *image, selected);
    if (!drawn) {
        cliErr(QStringLiteral("%1: the markup could not be drawn (not enough memory, or an image too large)")
                   .arg(positional[0]));
        return 1;
    }
    const QImage& rendered = *drawn;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage encodable = rendered;
    if (format == "jpg" || format == "jpeg") {
        // No alpha in JPEG: flatten onto white rather than letting transparency turn black.
        encodable = QImage(rendered.size(), QImage::Format_RGB32);
        encodable.fill(Qt::white);
        QPainter(&encodable).drawImage(0, 0, rendered);
    }
    if (!encodable.save(&buffer, format.constData())) {
        cliErr(QStringLiteral("%1: could not encode the image").arg(output));
        return 1;
    }
    try {
        AtomicFileWriter::write(output, bytes);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    cliOut(QStringLiteral("%1 items drawn into %2 (%3 × %4)")
               .arg(items->size())
               .arg(output)
               .arg(rendered.width())
               .arg(rendered.height()));
    return 0;
}

const CliRegistration annotate{{QStringLiteral("annotate"), kUsage,
                                QStringLiteral("Burn a JSON list of markup items into an image and write it."),
                                runAnnotate}};
} // namespace
