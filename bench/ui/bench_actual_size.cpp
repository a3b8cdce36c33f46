// From the key press of "1" to sharp pixels on screen: a 24 MP photo with the full recipe
// (every slider, a look, straighten and crop) fitted in a 1600 x 1000 canvas; "1" shows it at
// actual size, the canvas asks for the region in view, the editor renders it in the background
// and the canvas repaints with it. Timed until the repaint that shows the region; then "0" fits
// the photo again (dropping the region) for the next press.
#include "bench/NoPlatformServices.h"
#include "bench/SyntheticPhoto.h"
#include "editor/EditorViewModel.h"
#include "ui/canvas/CanvasStageView.h"
#include "ui/shell/KeyMonitor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

QString make24MegapixelPhoto(const QTemporaryDir& dir) {
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int detail = (x * 37 + y * 91 + (x * y) % 23) % 64;
            row[x] = qRgb(40 + x * 150 / 6000 + detail, 30 + y * 140 / 4000 + detail / 2, 160 - detail);
        }
    }
    const QString path = dir.filePath(QStringLiteral("large.jpg"));
    image.save(path, "JPEG", 92);
    return path;
}

// A key typed on the canvas, through the window's key monitor as in the application.
void press(QWidget& view, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&view, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&view, &up);
}

double percentile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(q * double(values.size() - 1) + 0.5));
    return values[index];
}

void BM_ActualSizeKeyToSharpPixels(benchmark::State& state) {
    QTemporaryDir dir;
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(false);
    editor.openURLs({make24MegapixelPhoto(dir)});
    editor.waitForBackgroundWork();
    editor.setAdjustments(everySliderStraightenedAndCropped());
    editor.refreshPreview();
    CanvasStageView view(editor);
    KeyMonitor keys(editor);
    view.installEventFilter(&keys);
    view.resize(1600, 1000);
    view.show();
    QElapsedTimer exposed;
    exposed.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && exposed.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    view.repaint();

    std::vector<double> times;
    std::vector<double> untilStarted;
    std::vector<double> untilArrived;
    QSize regionSize;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int rendersBefore = editor.regionRenderCount();
        press(view, Qt::Key_1);
        while (editor.regionRenderCount() == rendersBefore && timer.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        untilStarted.push_back(double(timer.nsecsElapsed()) * 1e-6);
        while (!editor.fullResolutionRegion() && timer.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        untilArrived.push_back(double(timer.nsecsElapsed()) * 1e-6);
        view.repaint();
        const double ms = double(timer.nsecsElapsed()) * 1e-6;
        state.SetIterationTime(ms * 1e-3);
        times.push_back(ms);
        if (const auto& region = editor.fullResolutionRegion()) regionSize = region->image.size();
        press(view, Qt::Key_0);
        QCoreApplication::processEvents();
        editor.waitForBackgroundWork();
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p95_ms"] = percentile(times, 0.95);
    // The canvas's share: from the key to the region render's start (layout, the magnified
    // preview's first paint, the request).
    state.counters["until_render_ms"] = percentile(untilStarted, 0.5);
    state.counters["until_region_ms"] = percentile(untilArrived, 0.5);
    state.SetLabel(
        QStringLiteral("region %1 x %2").arg(regionSize.width()).arg(regionSize.height()).toStdString());
}
BENCHMARK(BM_ActualSizeKeyToSharpPixels)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace
