// In-process timings of the bounded upright decode (the path every opened photo and every
// thumbnail takes). The input is made by scripts/bench and named by TAVIVIEW_BENCH_JPEG.
#include "core/files/FolderBrowserService.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

QString benchInput() {
    const char* path = std::getenv("TAVIVIEW_BENCH_JPEG");
    return path ? QString::fromLocal8Bit(path) : QString();
}

void BM_BoundedDecode(benchmark::State& state) {
    const QString path = benchInput();
    if (path.isEmpty()) {
        state.SkipWithError("set TAVIVIEW_BENCH_JPEG to a large JPEG");
        return;
    }
    FolderBrowserService browser;
    for (auto _ : state) {
        auto image = browser.loadOrientedCGImage(path, static_cast<int>(state.range(0)));
        if (!image) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image->constBits());
    }
}
BENCHMARK(BM_BoundedDecode)->Arg(1800)->Arg(220)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
