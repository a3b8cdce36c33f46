// In-process timings of the export path: a 24 MP bitmap scaled to a 2000 px long edge and encoded
// as JPEG q0.88, and the same from the JPEG file (decode included) as a batch export does it.
// The input is made by scripts/bench-export and named by TAVIVIEW_BENCH_JPEG.
#include "core/files/ImageExportService.h"
#include "imagecodec/TaviImageCodecEngine.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

QString exportBenchInput() {
    const char* path = std::getenv("TAVIVIEW_BENCH_JPEG");
    return path ? QString::fromLocal8Bit(path) : QString();
}

ImageExportOptions exportOptions(const QImage& image) {
    ImageExportOptions options;
    options.format = ImageExportFormat::jpeg;
    options.quality = 0.88;
    options.resizeEnabled = true;
    const double scale = 2000.0 / std::max(image.width(), image.height());
    options.targetWidth = static_cast<int>(std::round(image.width() * scale));
    options.targetHeight = static_cast<int>(std::round(image.height() * scale));
    return options;
}

void BM_ExportBitmapTo2000Jpeg(benchmark::State& state) {
    const QString path = exportBenchInput();
    if (path.isEmpty()) {
        state.SkipWithError("set TAVIVIEW_BENCH_JPEG to a large JPEG");
        return;
    }
    const QImage image = TaviImageCodecEngine().loadCGImage(path);
    const ImageExportOptions options = exportOptions(image);
    ImageExportService service;
    for (auto _ : state) {
        const QByteArray bytes = service.encode(image, options);
        benchmark::DoNotOptimize(bytes.constData());
    }
}
BENCHMARK(BM_ExportBitmapTo2000Jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResizeBitmapTo2000(benchmark::State& state) {
    const QString path = exportBenchInput();
    if (path.isEmpty()) {
        state.SkipWithError("set TAVIVIEW_BENCH_JPEG to a large JPEG");
        return;
    }
    const QImage image = TaviImageCodecEngine().loadCGImage(path);
    const ImageExportOptions options = exportOptions(image);
    ImageExportService service;
    for (auto _ : state) {
        const QImage scaled = service.resize(image, options.targetWidth, options.targetHeight);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}
BENCHMARK(BM_ResizeBitmapTo2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The batch path: decode the file, scale, encode and write atomically.
void BM_ExportFileTo2000Jpeg(benchmark::State& state) {
    const QString path = exportBenchInput();
    QTemporaryDir dir;
    if (path.isEmpty() || !dir.isValid()) {
        state.SkipWithError("set TAVIVIEW_BENCH_JPEG to a large JPEG");
        return;
    }
    ImageExportService service;
    for (auto _ : state) {
        const QImage image = TaviImageCodecEngine().loadCGImage(path);
        service.exportImage(image, exportOptions(image), dir.filePath(QStringLiteral("out.jpg")));
    }
}
BENCHMARK(BM_ExportFileTo2000Jpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
