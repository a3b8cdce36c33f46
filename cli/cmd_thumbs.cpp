// thumbs: the grid's thumbnails of a whole folder, written as files.
#include "cli/CliCommand.h"
#include "cli/FolderBatch.h"

namespace {

const QString kUsage = QStringLiteral("thumbs FOLDER -o OUTFOLDER [--max N] [--quality Q] [--threads N]");

int runThumbs(const QStringList& args) {
    FolderBatchRequest defaults;
    defaults.maxEdge = 220;
    defaults.quality = 0.75;
    int exit = 0;
    const auto request = parseFolderBatchArguments(args, defaults, kUsage, exit);
    if (!request) return exit;
    if (request->format != ImageExportFormat::jpeg) return cliUsage(kUsage);
    return runFolderBatchCommand(*request);
}

const CliRegistration thumbsCommand{
    {QStringLiteral("thumbs"), kUsage,
     QStringLiteral("Decode every image of FOLDER through the thumbnail path (longest side at most N, 220 unless "
                    "told) and write each as a JPEG into OUTFOLDER; files run in parallel, one per core."),
     runThumbs, false}};

} // namespace
