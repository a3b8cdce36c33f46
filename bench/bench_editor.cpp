// The editor as the user feels it: an arrow key to the next photo's preview on screen (with and
// without the neighbours decoded ahead, beside `vipsthumbnail -s 1800` of the same files in the
// same run), a slider change to the published edited preview, and the memory held while
// stepping through a folder of 24 MP photos. The photos are made on first use (photo-like
// 6000 x 4000 Q90 JPEGs with sensor-like noise) in ${TMPDIR:-/tmp}/taviview-bench-editor.
#include "bench/LiveEditRecipe.h"
#include "editor/EditorViewModel.h"

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

class NoPlatform : public PlatformServices {
  public:
    QStringList runOpenPanel(const OpenPanelOptions&) override { return {}; }
    std::optional<QString> runSavePanel(const SavePanelOptions&) override { return {}; }
    std::optional<QString> runFolderPanel(const QString&, bool) override { return {}; }
    std::optional<QString> clipboardText() override { return {}; }
    bool setClipboardText(const QString&) override { return false; }
    std::optional<QImage> clipboardImage() override { return {}; }
    bool setClipboardImage(const QImage&) override { return false; }
    QStringList clipboardFileURLs() override { return {}; }
    bool setClipboardFileURLs(const QStringList&) override { return false; }
    void moveToTrash(const QString&) override {}
    void revealInFileManager(const QString&) override {}
    bool openURL(const QUrl&) override { return false; }
    bool runInteractiveScreenCapture(const QString&) override { return false; }
    void hideApplicationWindows() override {}
    void restoreApplicationWindows() override {}
    void activateApplication() override {}
};

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
    NoPlatform platform;
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
    NoPlatform platform;
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
        NoPlatform platform;
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

} // namespace
