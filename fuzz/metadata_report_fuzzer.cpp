// The metadata report of an arbitrary file: rows only for values of the right kind, sane
// coordinates, and never a failure.
#include "core/files/ImageMetadataService.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/FuzzTarget.h"

#include <cmath>

#ifndef TAVI_FUZZ_REPLAY
#include <QGuiApplication>
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}
#endif

TAVI_FUZZ_TARGET(metadata_report) {
    const QString path = tavifuzz::writeScratchFile(QStringLiteral("input.jpg"), data, size);
    if (path.isEmpty()) return 0;
    const ExifMetadataReport report = ImageMetadataService().inspect(path);
    const int rows = static_cast<int>(report.entries.size());
    for (const auto& entry : report.entries)
        TAVI_FUZZ_CHECK(!entry.value.isEmpty());
    TAVI_FUZZ_CHECK(report.sensitiveTagCount >= 0 && report.sensitiveTagCount <= 2 * rows);
    if (report.latitude) TAVI_FUZZ_CHECK(std::isfinite(*report.latitude));
    if (report.longitude) TAVI_FUZZ_CHECK(std::isfinite(*report.longitude));
    (void)report.gpsFormatted();
    return 0;
}
