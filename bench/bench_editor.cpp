// The editor as the user feels it: an arrow key to the next photo's preview on screen (with and
// without the neighbours decoded ahead, beside `vipsthumbnail -s 1800` of the same files in the
// same run), a slider change to the published edited preview, the memory held while stepping
// through a folder of 24 MP photos, and typing in the export sheet's size fields. The photos are
// made on first use (photo-like 6000 x 4000 Q90 JPEGs with sensor-like noise) in
// ${TMPDIR:-/tmp}/taviview-bench-editor.
#include "bench/LiveEditRecipe.h"
#include "bench/NoPlatformServices.h"
#include "editor/EditorViewModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

QString benchFolder() {
    const QString base = qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"));
    return base + QStringLiteral("/taviview-bench-editor");
}

// A 6000 x 4000 photo-like JPEG: broad gradients and shapes under per-pixel noise, so that it
// decodes like a camera file rather than a flat test card.
void makePhoto(const QString& path, int seed) {
    QImage image(6000, 4000, QImage::Format_RGB32);
    {
        QPainter p(&image);
        QLinearGradient g(0, 0, 6000, 4000);
        g.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 120, 220));
        g.setColorAt(1, QColor::fromHsv((seed * 37 + 150) % 360, 160, 90));
        p.fillRect(image.rect(), g);
        QRandomGenerator shapes(seed);
        for (int i = 0; i < 40; ++i) {
            p.setBrush(QColor::fromHsv(shapes.bounded(360), 150, 60 + shapes.bounded(180)));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(shapes.bounded(6000), shapes.bounded(4000)), 100 + shapes.bounded(700),
                          100 + shapes.bounded(500));
        }
    }
    QRandomGenerator noise(seed + 1000);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(noise.bounded(33)) - 16;
            const QRgb c = row[x];
            row[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                          std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    image.save(path, "JPEG", 90);
}

// The first `count` photos of the bench folder, made if missing.
QStringList photos(int count) {
    QDir().mkpath(benchFolder());
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = benchFolder() + QStringLiteral("/photo-%1.jpg").arg(i, 2, 10, QChar('0'));
        if (!QFile::exists(path)) makePhoto(path, i);
        paths << path;
    }
    return paths;
}

void arrowKey(benchmark::State& state, bool prefetch) {
    const QStringList files = photos(6);
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(prefetch);
    editor.openURLs(files);
    editor.waitForBackgroundWork();
    for (auto _ : state) {
        // The user looks at each photo until the editor is idle, then presses the key.
        const auto start = std::chrono::steady_clock::now();
        editor.navigateNext();
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(editor.renderedDisplayImage());
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        editor.waitForBackgroundWork();
    }
}

void BM_ArrowKeyToPreview(benchmark::State& state) {
    arrowKey(state, false);
}
BENCHMARK(BM_ArrowKeyToPreview)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

void BM_ArrowKeyToPrefetchedPreview(benchmark::State& state) {
    arrowKey(state, true);
}
BENCHMARK(BM_ArrowKeyToPrefetchedPreview)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

// The peer: the whole `vipsthumbnail -s 1800` process on the same files.
void BM_VipsThumbnail1800(benchmark::State& state) {
    const QStringList files = photos(6);
    const QString out = benchFolder() + QStringLiteral("/vips-out.jpg");
    int i = 0;
    for (auto _ : state) {
        QProcess process;
        process.start(QStringLiteral("vipsthumbnail"), {files[i++ % files.size()], QStringLiteral("-s"),
                                                        QStringLiteral("1800"), QStringLiteral("-o"), out});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("vipsthumbnail failed");
            break;
        }
    }
}
BENCHMARK(BM_VipsThumbnail1800)->Unit(benchmark::kMillisecond)->Iterations(12)->UseRealTime();

// A slider moves: the recipe on the preview base, the watermark, the frame, the histogram and
// the markup layer, up to the published renderedDisplayImage.
void BM_SliderToRenderedDisplayImage(benchmark::State& state) {
    const QStringList files = photos(1);
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.openURLs(files);
    editor.waitForBackgroundWork();
    EditAdjustments a = liveEditRecipe();
    editor.pushUndoSnapshot();
    int step = 0;
    for (auto _ : state) {
        a.exposure = 0.4 + 0.001 * (step++ % 100);
        editor.setAdjustments(a);
        editor.refreshPreview();
        benchmark::DoNotOptimize(editor.renderedDisplayImage());
    }
    state.counters["preview_px"] = double(editor.renderedDisplayImage()->width());
}
BENCHMARK(BM_SliderToRenderedDisplayImage)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// A figure of /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" the process's peak so far.
long statusKiB(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Memory while stepping through 40 photos twice, each left only after its background work
// (full-size decode, neighbours, animation check) is done: the process's peak (run this
// benchmark alone, so the peak is its own) and the resident size after 10, 20, 40, 60 and 80
// steps. Figures that level off mean nothing grows with the photos visited.
void BM_SteppingThroughFortyPhotos(benchmark::State& state) {
    const QStringList files = photos(40);
    for (auto _ : state) {
        NoPlatformServices platform;
        EditorViewModel editor(platform);
        editor.openURLs(files);
        editor.waitForBackgroundWork();
        // Twice round the folder: a figure that kept growing with the photos visited would
        // still be climbing on the second round.
        for (int i = 1; i <= 80; ++i) {
            editor.navigateNext();
            editor.waitForBackgroundWork();
            if (i % 20 == 0 || i == 10) {
                state.counters[QStringLiteral("peak_after%1_MiB").arg(i).toStdString()] =
                    statusKiB("VmHWM:") / 1024.0;
                state.counters[QStringLiteral("rss_after%1_MiB").arg(i).toStdString()] =
                    statusKiB("VmRSS:") / 1024.0;
            }
        }
    }
}
BENCHMARK(BM_SteppingThroughFortyPhotos)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Runs the event loop for `ms` milliseconds, as the editor's window does between keystrokes.
void runEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(ms - clock.elapsed()));
}

// Typing in the export sheet's width field: the sheet opens on a freshly edited 24 MP photo (the
// full render), then ten width changes arrive 90 ms apart (the tenth 810 ms after the first, as a
// user clears "6000" and types "3000"), each answered by the editor with "…" and a new debounced
// estimate. The iteration's time is the last change to the estimate on screen (the debounce plus
// one encode at the typed size); the counters are what the whole burst cost: full renders,
// estimate encodes (both must be 1), the render's time and the burst's.
void BM_ExportSheetTyping(benchmark::State& state) {
    const QStringList files = photos(1);
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.openURLs(files);
    editor.waitForBackgroundWork();
    EditAdjustments a = liveEditRecipe();
    const int widths[] = {600, 60, 6, 3, 30, 300, 3000, 300, 30, 3000};
    constexpr int kKeystrokeMs = 90;
    const QString estimating = QStringLiteral("\u2026");
    std::chrono::steady_clock::time_point published;
    QObject::connect(&editor, &EditorViewModel::estimatedExportSizeTextChanged, [&] {
        if (editor.estimatedExportSizeText() != estimating) published = std::chrono::steady_clock::now();
    });
    int step = 0;
    double renders = 0, encodes = 0, renderMs = 0, burstMs = 0, typedWidth = 0;
    for (auto _ : state) {
        // A new edit: the sheet can't reuse the last iteration's render.
        a.exposure = 0.4 + 0.001 * (step++ % 100);
        editor.setAdjustments(a);
        const int renders0 = editor.fullResolutionRenderCount();
        const int encodes0 = editor.exportEstimateEncodeCount();
        ImageExportOptions options = editor.exportOptions();
        options.format = ImageExportFormat::jpeg;
        options.resizeEnabled = true;
        editor.setExportOptions(options);
        const auto opened = std::chrono::steady_clock::now();
        editor.presentExportSheet();
        const auto rendered = std::chrono::steady_clock::now();
        for (const int width : widths) {
            runEventsFor(kKeystrokeMs);
            editor.updateExportWidth(width);
        }
        const auto lastChange = std::chrono::steady_clock::now();
        published = {};
        while (published == std::chrono::steady_clock::time_point{} && editor.hasPendingBackgroundWork())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        editor.waitForBackgroundWork();
        if (published == std::chrono::steady_clock::time_point{}) {
            state.SkipWithError("no estimate was published");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(published - lastChange).count());
        renders += editor.fullResolutionRenderCount() - renders0;
        encodes += editor.exportEstimateEncodeCount() - encodes0;
        renderMs += std::chrono::duration<double, std::milli>(rendered - opened).count();
        burstMs += std::chrono::duration<double, std::milli>(lastChange - rendered).count();
        typedWidth += editor.exportOptions().targetWidth;
        editor.setShowExportSheet(false);
    }
    const double n = std::max<double>(1, state.iterations());
    state.counters["full_renders"] = renders / n;
    state.counters["estimate_encodes"] = encodes / n;
    state.counters["render_ms"] = renderMs / n;
    state.counters["burst_ms"] = burstMs / n;
    state.counters["typed_width"] = typedWidth / n;
    benchmark::DoNotOptimize(editor.estimatedExportSizeText());
}
BENCHMARK(BM_ExportSheetTyping)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
