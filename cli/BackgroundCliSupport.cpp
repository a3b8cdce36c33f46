#include "cli/BackgroundCliSupport.h"

#include "cli/CliCommand.h"
#include "core/common/AtomicFileWriter.h"
#include "core/common/TaviError.h"

#include <QBuffer>

bool writePngAtomically(const QImage& image, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        cliErr(QStringLiteral("%1: could not encode the image").arg(path));
        return false;
    }
    try {
        AtomicFileWriter::write(path, bytes);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return false;
    }
    return true;
}
