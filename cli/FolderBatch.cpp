#include "cli/FolderBatch.h"

#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/common/FileSystemError.h"
#include "core/common/Paths.h"
#include "core/files/BatchDestinations.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/ImageExportService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>
#include <vector>

namespace {

std::optional<QString> exportOne(const QString& source, const QString& destination,
                                 const FolderBatchRequest& request) {
    const FolderBrowserService browser;
    // The bounded decode shrinks on load and never enlarges, so smaller images keep their size.
    const std::optional<QImage> image = browser.loadOrientedCGImage(source, request.maxEdge);
    if (!image || image->isNull()) return QStringLiteral("could not decode the image");
    ImageExportOptions options;
    options.format = request.format;
    options.quality = request.quality;
    options.resizeEnabled = false;
    options.stripMetadata = true;
    try {
        ImageExportService().exportImage(*image, options, destination);
    } catch (const TaviError& error) {
        return error.description();
    }
    return std::nullopt;
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

FolderBatchResult runFolderBatch(const FolderBatchRequest& request) {
    std::error_code error;
    const QString folder = standardizedPath(request.folder);
    if (!std::filesystem::is_directory(fsPath(folder), error))
        throw FileSystemError(error ? error.value() : ENOTDIR, folder);
    const QString outputFolder = standardizedPath(request.outputFolder);
    std::filesystem::create_directories(fsPath(outputFolder), error);
    if (error) throw FileSystemError(error.value(), outputFolder);

    const QStringList images = FolderBrowserService().siblingImages(folder).images;
    // Every source has a file of its own (IMG_1.heic and IMG_1.png give IMG_1.jpg and
    // IMG_1-2.jpg), so the files can run in any order on any thread.
    const QStringList destinations = batchDestinations(images, outputFolder, request.format, images);
    std::vector<int> indexes(images.size());
    std::iota(indexes.begin(), indexes.end(), 0);

    std::vector<std::optional<QString>> failures(images.size());
    QThreadPool pool;
    pool.setMaxThreadCount(request.threads > 0 ? request.threads : std::max(QThread::idealThreadCount(), 1));
    QtConcurrent::blockingMap(&pool, indexes, [&](int index) {
        failures[index] = exportOne(images[index], destinations[index], request);
    });

    FolderBatchResult result;
    result.total = int(images.size());
    for (int i = 0; i < images.size(); ++i) {
        if (failures[i]) result.failures << QStringLiteral("%1: %2").arg(images[i], *failures[i]);
        else ++result.exported;
    }
    return result;
}

std::optional<FolderBatchRequest> parseFolderBatchArguments(const QStringList& args,
                                                            FolderBatchRequest request, const QString& usage,
                                                            int& exit) {
    CliArguments cli(usage, {
        {"o", "The folder to write into.", "OUTFOLDER"},
        {"format", "The format to write.", "FORMAT"},
        {"quality", "Encoder quality, 0 to 1.", "Q"},
        {"max-edge|max", "Shrink to this longest side.", "N"},
        {"threads", "Files decoded at once.", "N"},
    });
    if (const auto code = cli.parse(args)) {
        exit = *code;
        return std::nullopt;
    }
    if (cli.positional().size() != 1 || cli.value(QStringLiteral("o")).isEmpty()) {
        exit = cli.usageError();
        return std::nullopt;
    }
    request.folder = cli.positional().front();
    bool ok = true;
    for (const auto& [option, value] : cli.inOrder()) {
        if (option == u"o") {
            request.outputFolder = value;
        } else if (option == u"format") {
            const auto format = fromRawValue<ImageExportFormat>(value.toLower());
            ok = format.has_value();
            if (format) request.format = *format;
        } else if (option == u"quality") {
            request.quality = value.toDouble(&ok);
        } else if (option == u"max-edge") {
            request.maxEdge = value.toInt(&ok);
            ok = ok && *request.maxEdge > 0;
        } else if (option == u"threads") {
            request.threads = value.toInt(&ok);
            ok = ok && request.threads > 0;
        }
        if (!ok) {
            exit = cli.usageError();
            return std::nullopt;
        }
    }
    return request;
}

int runFolderBatchCommand(const FolderBatchRequest& request) {
    // Writing into the source folder would replace originals by their exports (a JPEG by its
    // shrunken copy); the batch refuses rather than lose a user's photos.
    const QString in = QFileInfo(request.folder).canonicalFilePath();
    const QString out = QFileInfo(request.outputFolder).canonicalFilePath();
    if (!in.isEmpty() && in == out) {
        cliErr(QStringLiteral("%1: the output folder must not be the folder of the originals").arg(request.outputFolder));
        return 2;
    }
    FolderBatchResult result;
    try {
        result = runFolderBatch(request);
    } catch (const TaviError& error) {
        cliErr(error.description());
        return 1;
    }
    for (const QString& failure : result.failures) cliErr(failure);
    cliOut(QStringLiteral("Exported %1 / %2 images").arg(result.exported).arg(result.total));
    return result.failures.isEmpty() ? 0 : 1;
}
