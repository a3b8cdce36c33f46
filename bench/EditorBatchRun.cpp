// The editor's folder batch as a process of its own, so that its time and peak memory can be
// set beside `vipsthumbnail` over the same files in the same run (scripts/bench), and the peak
// of a batch of 10 files beside that of 40.
#include "bench/EditorBatchRun.h"

#include "bench/NoPlatformServices.h"
#include "editor/EditorViewModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <sys/resource.h>

namespace {

// A figure of /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" the peak since the last reset.
long statusKiB(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts the peak over from the present resident size, so that the peak read afterwards is the
// batch's own and not the opening's (the first photo decoded at full size). False where the
// kernel does not allow it; the peak is then the whole process's.
bool resetPeakResidentSize() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

int usage() {
    std::fputs(
        "usage: taviview-bench editor-batch FOLDER OUTFOLDER [--count N] [--max-edge N] [--quality Q]\n",
        stderr);
    return 2;
}

} // namespace

int runEditorBatch(const QStringList& args) {
    if (args.size() < 2) return usage();
    const QString folder = args[0];
    const QString outFolder = args[1];
    int count = -1;
    int maxEdge = 2000;
    double quality = 0.88;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        bool ok = false;
        if (args[i] == u"--count")
            count = args[i + 1].toInt(&ok);
        else if (args[i] == u"--max-edge")
            maxEdge = args[i + 1].toInt(&ok);
        else if (args[i] == u"--quality")
            quality = args[i + 1].toDouble(&ok);
        if (!ok) return usage();
    }
    QStringList files;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        files << QDir(folder).filePath(name);
    if (count >= 0) files = files.mid(0, count);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no JPEG files in %s\n", qPrintable(folder));
        return 1;
    }
    QDir().mkpath(outFolder);

    // The user opened the photos and looked at the first: its decode and a few thumbnails are
    // done before the batch starts, and are not part of its figures.
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(false);
    editor.setThumbnailLimits(2, 4ll * 1024 * 1024);
    editor.openURLs(files);
    if (!editor.waitForBackgroundWork()) return 1;

    editor.setBatchFormat(ImageExportFormat::jpeg);
    editor.setBatchQuality(quality);
    editor.setBatchResizeEnabled(true);
    editor.setBatchMaxEdge(maxEdge);
    const long residentBefore = statusKiB("VmRSS:");
    const bool peakIsTheBatchs = resetPeakResidentSize();
    const double cpu0 = cpuMs();
    QElapsedTimer wall;
    wall.start();
    editor.executeBatchExport(outFolder);
    const bool finished = editor.waitForBackgroundWork(30 * 60 * 1000);
    const qint64 wallMs = wall.elapsed();
    const double cpu = cpuMs() - cpu0;
    const long peak = statusKiB("VmHWM:");

    const QString toast = editor.toastMessage().value_or(QString());
    const bool allExported = finished && !editor.isRunningBatch() &&
                             toast == QStringLiteral("Exported %1 / %1 images").arg(files.size());
    QTextStream(stdout) << "files " << files.size() << " wall_ms " << wallMs << " cpu_ms " << qRound64(cpu)
                        << " rss_before_mib " << residentBefore / 1024 << " peak_mib " << peak / 1024
                        << " peak_of " << (peakIsTheBatchs ? "batch" : "process") << " toast \"" << toast
                        << "\"\n";
    return allExported ? 0 : 1;
}
