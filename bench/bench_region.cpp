// The canvas's full-resolution region: the part of a 24 MP photo a 1600 x 1000 device-pixel
// view shows at actual size, rendered with the full recipe (every slider, a look, straighten
// and crop: the recipe of BM_RenderFullResolutionEverySlider, whose whole-photo render is the
// comparison), alone and with the margin the editor adds around the view for short pans.
#include "bench/OnePoolThread.h"
#include "core/imaging/ImageRegionRenderer.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

QImage texturedPhoto(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 4) {
            const double u = double(x) / width, v = double(y) / height;
            const double detail = double((x * 37 + y * 91 + (x * y) % 23) % 64) / 63.0;
            row[0] = uchar(255 * std::clamp(0.2 + 0.6 * u + 0.15 * detail, 0.0, 1.0));
            row[1] = uchar(255 * std::clamp(0.15 + 0.5 * v + 0.2 * detail, 0.0, 1.0));
            row[2] = uchar(255 * std::clamp(0.7 - 0.5 * u * v + 0.1 * detail, 0.0, 1.0));
            row[3] = 255;
        }
    }
    return image;
}

EditAdjustments fullRecipe() {
    EditAdjustments a;
    a.exposure = 0.3;
    a.brightness = 0.03;
    a.contrast = 1.1;
    a.saturation = 1.1;
    a.vibrance = 0.3;
    a.warmth = 0.2;
    a.tint = 0.1;
    a.highlights = 0.8;
    a.shadows = 0.3;
    a.clarity = 0.5;
    a.sharpness = 0.5;
    a.vignette = 0.4;
    a.grain = 0.3;
    a.filterPreset = PhotoFilterPreset::coolMatte;
    a.straightenDegrees = 3;
    a.cropRect = NormalizedCropRect(0.05, 0.05, 0.9, 0.9);
    return a;
}

void regionBenchmark(benchmark::State& state, QSize view) {
    static const QImage source = texturedPhoto(6000, 4000);
    const EditAdjustments a = fullRecipe();
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
