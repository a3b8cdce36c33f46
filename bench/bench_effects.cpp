// Studio effects at preview size (1800 × 1200, the live preview's bound) and at 24 MP, where the
// full-resolution export draws them once.
#include "core/imaging/StudioEffectsService.h"

#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

QImage photo(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(200, 120, 60));
    gradient.setColorAt(1, QColor(40, 70, 160));
    painter.fillRect(image.rect(), gradient);
    return image;
}

QSize sizeFor(const benchmark::State& state) {
    return state.range(0) == 0 ? QSize(1800, 1200) : QSize(6000, 4000);
}

void BM_WatermarkCorner(benchmark::State& state) {
    const QSize size = sizeFor(state);
    const QImage image = photo(size.width(), size.height());
    WatermarkSettings settings;
    settings.enabled = true;
    const StudioEffectsService effects;
    for (auto _ : state) benchmark::DoNotOptimize(effects.applyWatermark(settings, image).constBits());
}
BENCHMARK(BM_WatermarkCorner)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WatermarkTiled(benchmark::State& state) {
    const QSize size = sizeFor(state);
    const QImage image = photo(size.width(), size.height());
    WatermarkSettings settings;
    settings.enabled = true;
    settings.position = WatermarkPosition::tiledDiagonal;
    const StudioEffectsService effects;
    for (auto _ : state) benchmark::DoNotOptimize(effects.applyWatermark(settings, image).constBits());
}
BENCHMARK(BM_WatermarkTiled)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BeautifyFrame(benchmark::State& state) {
    const QSize size = sizeFor(state);
    const QImage image = photo(size.width(), size.height());
    BeautifySettings settings;
    settings.enabled = true;
    settings.showWindowBar = true;
    const StudioEffectsService effects;
    for (auto _ : state) benchmark::DoNotOptimize(effects.applyBeautifyFrame(settings, image).constBits());
}
BENCHMARK(BM_BeautifyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Histogram(benchmark::State& state) {
    const QImage image = photo(1800, 1200);
    const StudioEffectsService effects;
    for (auto _ : state) benchmark::DoNotOptimize(effects.computeHistogram(image, 48).red.constData());
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
