// The canvas's full-resolution region: the part of a 24 MP photo a 1600 x 1000 device-pixel
// view shows at actual size, rendered with the full recipe (every slider, a look, straighten
// and crop: the recipe of BM_RenderFullResolutionEverySlider, whose whole-photo render is the
// comparison), alone and with the margin the editor adds around the view for short pans.
#include "bench/OnePoolThread.h"
#include "bench/SyntheticPhoto.h"
#include "core/imaging/ImageRegionRenderer.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

void regionBenchmark(benchmark::State& state, QSize view) {
    static const QImage source = texturedPhoto(6000, 4000);
    const EditAdjustments a = everySliderStraightenedAndCropped();
    const QSize out = ImageRegionRenderer::outputSize(source.size(), a, true);
    const QRect region(QPoint((out.width() - view.width()) / 2, (out.height() - view.height()) / 2), view);
    const ImageRegionRenderer renderer;
    for (auto _ : state) {
        const std::optional<QImage> pixels = renderer.render(source, a, true, region);
        benchmark::DoNotOptimize(pixels->constBits());
    }
}

void BM_RegionRenderView1600x1000(benchmark::State& state) {
    regionBenchmark(state, QSize(1600, 1000));
}
BENCHMARK(BM_RegionRenderView1600x1000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// With the editor's margin: 15 % of the view on each side.
void BM_RegionRenderView1600x1000WithMargin(benchmark::State& state) {
    regionBenchmark(state, QSize(2080, 1300));
}
BENCHMARK(BM_RegionRenderView1600x1000WithMargin)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// One thread: the whole work of the region, meaningful when other processes share the cores.
void BM_RegionRenderView1600x1000OneThread(benchmark::State& state) {
    const OnePoolThread oneThread;
    regionBenchmark(state, QSize(1600, 1000));
}
BENCHMARK(BM_RegionRenderView1600x1000OneThread)->Unit(benchmark::kMillisecond);

} // namespace
