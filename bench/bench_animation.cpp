// Loading every frame of an animation up front, as the editor does for each animated image it
// opens. The input is named by TAVIVIEW_BENCH_ANIMATION (a GIF, WebP or APNG of many frames).
#include "core/files/AnimatedImageService.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void BM_LoadAnimation(benchmark::State& state) {
    const char* path = std::getenv("TAVIVIEW_BENCH_ANIMATION");
    if (!path) {
        state.SkipWithError("set TAVIVIEW_BENCH_ANIMATION to an animated GIF, WebP or APNG");
        return;
    }
    const AnimatedImageService service;
    for (auto _ : state) {
        auto sequence = service.loadAnimationIfAnimated(QString::fromLocal8Bit(path));
        if (!sequence) {
            state.SkipWithError("not an animation");
            return;
        }
        state.counters["frames"] = sequence->frameCount();
        benchmark::DoNotOptimize(sequence->frames().back().image().constBits());
    }
}
BENCHMARK(BM_LoadAnimation)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
