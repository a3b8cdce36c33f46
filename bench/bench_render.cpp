// In-process timings of the recipe render: the live preview (1800 x 1200, every slider off
// neutral and a look, rendered at the preview's scale of a 24 MP original) and the full
// resolution export render (6000 x 4000). The picture is the photo named by TAVIVIEW_BENCH_JPEG
// (as the decode benchmark), stretched to size; without it a synthetic one with fine pseudo-random
// texture, a worst case for the colour tables' caches.
#include "bench/OnePoolThread.h"
#include "bench/SyntheticPhoto.h"
#include "core/imaging/ImageRenderEngine.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

QImage texturedImage(int width, int height) {
    if (const char* path = std::getenv("TAVIVIEW_BENCH_JPEG")) {
        const QImage photo(QString::fromLocal8Bit(path));
        if (!photo.isNull())
            return photo.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    }
    return texturedPhoto(width, height);
}

void renderBenchmark(benchmark::State& state, int width, int height, double scale, const EditAdjustments& a) {
    const QImage source = texturedImage(width, height);
    const ImageRenderEngine engine;
    for (auto _ : state) {
        const QImage out = engine.render(source, a, true, scale);
        benchmark::DoNotOptimize(out.constBits());
    }
    state.counters["MPix/s"] =
        benchmark::Counter(double(width) * height * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}

void BM_RenderPreviewEverySlider(benchmark::State& state) {
    renderBenchmark(state, 1800, 1200, 0.3, everySliderRecipe());
}
BENCHMARK(BM_RenderPreviewEverySlider)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on one thread: its CPU time is the whole work of a render, which stays meaningful
// when other processes share the cores.
void BM_RenderPreviewEverySliderOneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    renderBenchmark(state, 1800, 1200, 0.3, everySliderRecipe());
}
BENCHMARK(BM_RenderPreviewEverySliderOneThread)->Unit(benchmark::kMillisecond);

void BM_RenderPreviewColourOnly(benchmark::State& state) {
    EditAdjustments a;
    a.exposure = 0.3;
    a.contrast = 1.1;
    a.saturation = 1.1;
    a.vibrance = 0.3;
    a.warmth = 0.2;
    a.filterPreset = PhotoFilterPreset::coolMatte;
    renderBenchmark(state, 1800, 1200, 0.3, a);
}
BENCHMARK(BM_RenderPreviewColourOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Geometry alone (straighten and crop, no colour work) on one thread: the resampler's share.
void BM_RenderPreviewStraightenOnlyOneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    EditAdjustments a;
    a.straightenDegrees = 2.5;
    a.cropRect = NormalizedCropRect(0.04, 0.04, 0.92, 0.92);
    renderBenchmark(state, 1800, 1200, 0.3, a);
}
BENCHMARK(BM_RenderPreviewStraightenOnlyOneThread)->Unit(benchmark::kMillisecond);

void BM_RenderFullResolutionEverySlider(benchmark::State& state) {
    renderBenchmark(state, 6000, 4000, 1.0, everySliderStraightenedAndCropped());
}
BENCHMARK(BM_RenderFullResolutionEverySlider)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
