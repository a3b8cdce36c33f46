// The colour tables of the live preview render: the lookup alone, over the preview's 1800 x 1200
// pixels as the render's passes hand them over (a quarter of the render's work is this lookup,
// two tables a pixel), and the render during a drag, when one table is baked anew each time.
#include "bench/LiveEditRecipe.h"
#include "bench/OnePoolThread.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/filters/ColorLut3D.h"
#include "core/imaging/filters/TemperatureAndTint.h"
#include "core/imaging/filters/Vibrance.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

void BM_ColorTableLookup(benchmark::State& state) {
    const OnePoolThread oneThread;
    const QImage base = livePreviewBase();
    const int width = base.width(), height = base.height();
    std::vector<float> source(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const uchar* in = base.constScanLine(y);
        float* out = source.data() + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                out[c * width + x] = float(in[x * 4 + c]) / 255.0f;
    }
    // The portra look's run: a white balance and a vibrance.
    const auto m = TemperatureAndTint{{7100, -6}, {6500, 0}}.matrix();
    const Vibrance vibrance{0.25};
    const ColorLut3D table(ColorLut3D::RowTransform([&](float* r, float* g, float* b, int n) {
        TemperatureAndTint::apply(m, r, g, b, n);
        vibrance.apply(r, g, b, n);
    }));
    std::vector<float> work(size_t(width) * 3);
    for (auto _ : state) {
        for (int y = 0; y < height; ++y) {
            std::copy_n(source.data() + size_t(y) * width * 3, work.size(), work.data());
            PixelRow row{
                work.data(), work.data() + width, work.data() + 2 * width, nullptr, width, 0, y, width,
                height};
            table.apply(row);
            benchmark::DoNotOptimize(work.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_ColorTableLookup)->Unit(benchmark::kMillisecond)->UseRealTime();

// The preview render while the contrast slider is dragged: each render has a new contrast, so
// the run of colour steps it belongs to is baked afresh every time, while the look's run is
// not. One thread, like BM_LivePreviewRenderOneThread, which renders one recipe over and over.
void BM_LivePreviewRenderContrastDragOneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    const QImage base = livePreviewBase();
    EditAdjustments recipe = liveEditRecipe();
    const ImageRenderEngine engine;
    int value = 0;
    for (auto _ : state) {
        setDragSlider(recipe, 0, double(value++ % 60) / 59.0);
        const QImage out = engine.render(base, recipe, true, 1800.0 / 6000.0);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_LivePreviewRenderContrastDragOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
