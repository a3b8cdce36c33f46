// The live preview's chain as a drag runs it: the stages kept between refreshes
// (editor/PreviewStageCache), one slider moved a little on every iteration so that the stages
// at and after it run again. The base and the recipe are those of BM_LivePreviewFullRecipe
// (bench_preview.cpp), whose every iteration runs the whole chain from scratch.
#include "bench/LiveEditRecipe.h"
#include "editor/EditorServices.h"
#include "editor/PreviewStageCache.h"

#include <QImage>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

QImage stagesBase() {
    if (const char* path = std::getenv("TAVIVIEW_BENCH_PREVIEW")) {
        QImage image(QString::fromLocal8Bit(path));
        if (!image.isNull()) return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    }
    QImage image(1800, 1200, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, row += 4) {
            const double detail = 0.5 + 0.5 * std::sin(x * 0.23) * std::cos(y * 0.19);
            row[0] = uchar(40 + 150 * x / image.width() + 50 * detail);
            row[1] = uchar(30 + 140 * y / image.height() + 60 * detail);
            row[2] = uchar(180 - 120 * x / image.width() + 40 * detail);
            row[3] = 255;
        }
    }
    return image;
}

void BM_LivePreviewStages(benchmark::State& state) {
    const int slider = int(state.range(0));
    const QImage base = stagesBase();
    EditorServices services;
    PreviewStageCache stages;
    PreviewStageCache::Request request;
    request.base = &base;
    request.adjustments = liveEditRecipe();
    request.sourceScale = 1800.0 / 6000.0;
    stages.refresh(services, request);
    int step = 0;
    for (auto _ : state) {
        const double t = (step++ % 60) / 59.0;
        EditAdjustments& a = request.adjustments;
        switch (slider) {
        case 0:
            a.contrast = 0.9 + 0.4 * t;
            break;
        case 1:
            a.grain = 0.1 + 0.5 * t;
            break;
        case 2:
            a.watermark.opacity = 0.3 + 0.6 * t;
            break;
        default:
            a.beautify.padding = 0.05 + 0.1 * t;
            break;
        }
        const QImage out = stages.refresh(services, request);
        benchmark::DoNotOptimize(out.constBits());
    }
    const double baseBytes = double(base.width()) * base.height() * 4;
    state.counters["cache_MiB"] = double(stages.bytes()) / (1024 * 1024);
    state.counters["cache_in_bases"] = double(stages.bytes()) / baseBytes;
    static const char* const names[] = {"contrast", "grain", "watermark opacity", "frame padding"};
    state.SetLabel(names[std::clamp(slider, 0, 3)]);
}
BENCHMARK(BM_LivePreviewStages)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
