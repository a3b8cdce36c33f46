// A slider dragged through 60 values on the editor, as the inspector does it: each value sets
// the recipe and refreshes the preview (the background composite, the render, the watermark,
// the frame, the histogram and the markup layer) up to the published renderedDisplayImage.
// Every value is rendered and published before the next one; the figures are the median and
// the 95th percentile of the time per value over all drags. The slider is one of an early
// colour stage (contrast), a late step of the render (grain), the watermark's opacity and the
// frame's padding, then the frame's corner and shadow and the render's detail and tone steps
// (sharpness, clarity, highlights). The photo is the editor benchmarks' first 6000 x 4000 JPEG.
#include "bench/LiveEditRecipe.h"
#include "bench/NoPlatformServices.h"
#include "editor/EditorViewModel.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

QString dragPhoto() {
    const QString folder =
        qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp")) + QStringLiteral("/taviview-bench-drag");
    const QString path = folder + QStringLiteral("/photo.jpg");
    if (QFile::exists(path)) return path;
    QDir().mkpath(folder);
    // Photo-like enough for the render's cost, which doesn't depend on the content.
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int((x * 7919u + y * 104729u) % 31) - 15;
            row[x] = qRgb(std::clamp(60 + x / 40 + n, 0, 255), std::clamp(40 + y / 25 + n, 0, 255),
                          std::clamp(200 - x / 50 + n, 0, 255));
        }
    }
    image.save(path, "JPEG", 90);
    return path;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * (values.size() - 1) + 0.5))];
}

// Drags `slider` through 60 values over `a` and records the figures.
void drag(benchmark::State& state, int slider, EditAdjustments a) {
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.openURLs({dragPhoto()});
    editor.waitForBackgroundWork();
    editor.pushUndoSnapshot();
    editor.setAdjustments(a);
    editor.refreshPreview();
    int published = 0;
    QObject::connect(&editor, &EditorViewModel::renderedDisplayImageChanged, [&published] { ++published; });
    std::vector<double> perValue;
    for (auto _ : state) {
        const auto dragStart = std::chrono::steady_clock::now();
        for (int step = 0; step < 60; ++step) {
            setDragSlider(a, slider, step / 59.0);
            const int before = published;
            const auto start = std::chrono::steady_clock::now();
            editor.setAdjustments(a);
            editor.refreshPreview();
            const auto end = std::chrono::steady_clock::now();
            if (published != before + 1) {
                state.SkipWithError("a value was not published");
                return;
            }
            perValue.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - dragStart).count() / 60);
    }
    state.counters["median_ms"] = percentile(perValue, 0.5);
    state.counters["p95_ms"] = percentile(perValue, 0.95);
}

void BM_LiveSliderDrag(benchmark::State& state) {
    const int slider = std::clamp(int(state.range(0)), 0, 8);
    drag(state, slider, liveEditRecipe());
    static const char* const names[] = {"contrast",      "grain",         "watermark opacity",
                                        "frame padding", "corner radius", "shadow depth",
                                        "sharpness",     "clarity",       "highlights"};
    state.SetLabel(names[slider]);
}
BENCHMARK(BM_LiveSliderDrag)->DenseRange(0, 8)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);

// What a contrast drag costs as the recipe sheds its later work: 0 is the whole recipe; 1 drops
// clarity, sharpening, vignette and grain; 2 also highlights and shadows, which leaves one colour
// table, straighten and crop; 3 also the watermark and the frame. The gaps are what those steps
// cost a value, and 2 and 3 are floors no change to the dropped steps can go below.
void BM_LiveContrastDragShedding(benchmark::State& state) {
    const int level = int(state.range(0));
    EditAdjustments a = liveEditRecipe();
    if (level >= 1) {
        a.clarity = 0;
        a.sharpness = 0;
        a.vignette = 0;
        a.grain = 0;
    }
    if (level >= 2) {
        a.highlights = 1;
        a.shadows = 0;
    }
    if (level >= 3) {
        a.watermark.enabled = false;
        a.beautify.enabled = false;
    }
    drag(state, 0, a);
    static const char* const names[] = {"whole recipe", "no detail or grain", "one colour table",
                                        "no watermark or frame"};
    state.SetLabel(names[std::clamp(level, 0, 3)]);
}
BENCHMARK(BM_LiveContrastDragShedding)
    ->DenseRange(0, 3)
    ->Iterations(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
