// The live preview as the editor refreshes it after a slider moves: the recipe render of the
// 1800 x 1200 preview base (standing for a 6000 x 4000 original, so its radii shrink to 0.3),
// then the watermark, then the frame around the watermarked picture. Every slider is off
// neutral and a look is on. The base is the photo-like preview scripts/bench makes (named by
// TAVIVIEW_BENCH_PREVIEW), or a textured synthetic picture when run alone.
#include "bench/LiveEditRecipe.h"
#include "bench/OnePoolThread.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/StudioEffectsService.h"

#include <QImageReader>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPreviewScale = 1800.0 / 6000.0;

QImage refreshPreview(const ImageRenderEngine& engine, const StudioEffectsService& effects,
                      const QImage& base, const EditAdjustments& recipe) {
    const QImage rendered = engine.render(base, recipe, true, kPreviewScale);
    const QImage watermarked = effects.applyWatermark(recipe.watermark, rendered);
    return effects.applyBeautifyFrame(recipe.beautify, watermarked);
}

// The bar: the whole refresh, on both cores.
void BM_LivePreviewFullRecipe(benchmark::State& state) {
    const QImage base = livePreviewBase();
    const EditAdjustments recipe = liveEditRecipe();
    const ImageRenderEngine engine;
    const StudioEffectsService effects;
    for (auto _ : state) {
        const QImage out = refreshPreview(engine, effects, base, recipe);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_LivePreviewFullRecipe)->Unit(benchmark::kMillisecond)->UseRealTime();

// Its parts, to see where the time goes when the bar is missed.
void BM_LivePreviewPart(benchmark::State& state) {
    const QImage base = livePreviewBase();
    const EditAdjustments recipe = liveEditRecipe();
    const ImageRenderEngine engine;
    const StudioEffectsService effects;
    const QImage rendered = engine.render(base, recipe, true, kPreviewScale);
    const QImage watermarked = effects.applyWatermark(recipe.watermark, rendered);
    for (auto _ : state) {
        QImage out;
        switch (state.range(0)) {
        case 0:
            out = engine.render(base, recipe, true, kPreviewScale);
            break;
        case 1:
            out = effects.applyWatermark(recipe.watermark, rendered);
            break;
        default:
            out = effects.applyBeautifyFrame(recipe.beautify, watermarked);
            break;
        }
        benchmark::DoNotOptimize(out.constBits());
    }
    static const char* const names[] = {"render", "watermark", "frame"};
    state.SetLabel(names[std::clamp<int>(int(state.range(0)), 0, 2)]);
}
BENCHMARK(BM_LivePreviewPart)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The render part on one thread: its time is the whole work of the render, the figure to
// compare changes by when other processes share the cores.
void BM_LivePreviewRenderOneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    const QImage base = livePreviewBase();
    const EditAdjustments recipe = liveEditRecipe();
    const ImageRenderEngine engine;
    for (auto _ : state) {
        const QImage out = engine.render(base, recipe, true, kPreviewScale);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_LivePreviewRenderOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// One thread: its time is the whole work of a refresh, which stays meaningful when other
// processes share the cores (the two-core figure is at best about half of it).
void BM_LivePreviewFullRecipeOneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    const QImage base = livePreviewBase();
    const EditAdjustments recipe = liveEditRecipe();
    const ImageRenderEngine engine;
    const StudioEffectsService effects;
    for (auto _ : state) {
        const QImage out = refreshPreview(engine, effects, base, recipe);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_LivePreviewFullRecipeOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
