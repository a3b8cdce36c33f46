#pragma once

#include "core/files/ImageExportOptions.h"

#include <QString>
#include <QStringList>
#include <optional>

// A folder's images, each decoded upright (bounded to a longest side when one is given, through
// the decoder's shrink-on-load path), encoded and written atomically into another folder under
// its own name with the format's extension (a second source of one name gets "-2", see
// batchDestinations). Files run in parallel on a private thread pool.
struct FolderBatchRequest {
    QString folder;
    QString outputFolder;
    ImageExportFormat format = ImageExportFormat::jpeg;
    double quality = 0.88;
    std::optional<int> maxEdge; // nothing: full resolution
    int threads = 0;            // 0: one per core
};

struct FolderBatchResult {
    int total = 0;
    int exported = 0;
    QStringList failures; // "path: reason", in folder order
};

// Throws FileSystemError when the input folder can't be listed or the output folder can't be made.
FolderBatchResult runFolderBatch(const FolderBatchRequest& request);

// The shared option parser of the folder commands; nothing when the arguments make no request,
// and `exit` is then the command's exit code (0 after --help).
std::optional<FolderBatchRequest> parseFolderBatchArguments(const QStringList& args,
                                                            FolderBatchRequest defaults, const QString& usage,
                                                            int& exit);

// Runs the request and prints the failures and the "Exported N / M images" line; the exit code.
int runFolderBatchCommand(const FolderBatchRequest& request);
