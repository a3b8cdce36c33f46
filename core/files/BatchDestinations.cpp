#include "core/files/BatchDestinations.h"

#include "core/common/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

// One spelling per file: links and "." resolved for files that exist, the cleaned absolute path
// for those that don't yet.
QString fileIdentity(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? standardizedPath(path) : canonical;
}

} // namespace

QStringList batchDestinations(const QStringList& sources, const QString& outputFolder,
                              ImageExportFormat format, const QStringList& originals) {
    QString folder = QFileInfo(outputFolder).canonicalFilePath();
    if (folder.isEmpty()) folder = standardizedPath(outputFolder);
    const QDir dir(folder);
    QSet<QString> taken;
    for (const QString& original : originals)
        taken.insert(fileIdentity(original));
    for (const QString& source : sources)
        taken.insert(fileIdentity(source));

    const QString extension = fileExtension(format);
    QStringList destinations;
    destinations.reserve(sources.size());
    for (const QString& source : sources) {
        const QString base = QFileInfo(source).completeBaseName();
        QString destination = dir.filePath(base + u'.' + extension);
        for (int n = 2; taken.contains(fileIdentity(destination)); ++n)
            destination = dir.filePath(QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(extension));
        taken.insert(fileIdentity(destination));
        destinations.append(destination);
    }
    return destinations;
}

QSize batchOutputSize(QSize size, int maxEdge) {
    const int longer = std::max(size.width(), size.height());
    if (longer <= maxEdge || longer <= 0) return size;
    const double scale = static_cast<double>(maxEdge) / longer;
    const auto side = [scale](int length) {
        return std::max(1, static_cast<int>(std::lround(length * scale)));
    };
    return {side(size.width()), side(size.height())};
}
