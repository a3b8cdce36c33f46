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

void BM_LivePreviewStages(benchmark::State& state) {
    const int slider = int(state.range(0));
    const QImage base = livePreviewBase();
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
        setDragSlider(a, slider, t);
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
