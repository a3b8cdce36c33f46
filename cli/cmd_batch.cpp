// batch: a whole folder exported in one format, optionally shrunk to a longest side.
#include "cli/CliCommand.h"
#include "cli/FolderBatch.h"

#include <algorithm>

namespace {

// The smallest longest side a batch shrinks to; smaller requests are raised to it.
constexpr int kMinimumMaxEdge = 64;

const QString kUsage = QStringLiteral(
    "batch FOLDER -o OUTFOLDER [--format jpeg|png|heic|avif|tiff|pdf] [--quality Q] [--max-edge N] [--threads N]");

int runBatch(const QStringList& args) {
    int exit = 0;
    auto request = parseFolderBatchArguments(args, FolderBatchRequest{}, kUsage, exit);
    if (!request) return exit;
    if (request->maxEdge) request->maxEdge = std::max(*request->maxEdge, kMinimumMaxEdge);
    return runFolderBatchCommand(*request);
}

const CliRegistration batchCommand{
    {QStringLiteral("batch"), kUsage,
     QStringLiteral("Export every image of FOLDER upright into OUTFOLDER (JPEG q0.88 unless told), shrunk on load to a "
                    "longest side of N (at least 64) when given; files run in parallel, one per core."),
     runBatch, false}};

} // namespace
