// A slider drag as the canvas feels it: the inspector sets a new contrast, the editor renders
// the preview, and the canvas makes its display bitmap and repaints. The photo is 3000 x 2000 so
// that the preview is the usual 1800 x 1200; the recipe is the live-edit one (every slider, a
// look, straighten, crop, watermark and frame), shown in a 1000 x 700 canvas. Each of the 100
// changes is timed on its own; the median and the 95th percentile are reported, for the whole
// change and for the canvas's share (display bitmap and paint) alone, with the CPU time the
// canvas's share costs (all threads).
#include "bench/LiveEditRecipe.h"
#include "bench/NoPlatformServices.h"
#include "editor/EditorViewModel.h"
#include "ui/canvas/CanvasStageView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>

namespace {

QString makePhoto(const QTemporaryDir& dir) {
    QImage image(3000, 2000, QImage::Format_RGB32);
    {
        QPainter p(&image);
        QLinearGradient g(0, 0, 3000, 2000);
        g.setColorAt(0, QColor(210, 150, 90));
        g.setColorAt(1, QColor(40, 70, 140));
        p.fillRect(image.rect(), g);
        QRandomGenerator shapes(7);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 30; ++i) {
            p.setBrush(QColor::fromHsv(shapes.bounded(360), 150, 60 + shapes.bounded(180)));
            p.drawEllipse(QPointF(shapes.bounded(3000), shapes.bounded(2000)), 60 + shapes.bounded(400),
                          60 + shapes.bounded(300));
        }
    }
    QRandomGenerator noise(8);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(noise.bounded(25)) - 12;
            const QRgb c = row[x];
            row[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                          std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    const QString path = dir.filePath(QStringLiteral("slider.jpg"));
    image.save(path, "JPEG", 90);
    return path;
}

// Offscreen windows are exposed a moment after show(); before that a repaint draws nothing.
void showExposed(QWidget& view) {
    view.resize(1000, 700);
    view.show();
    QElapsedTimer wait;
    wait.start();
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
}

// CPU time of the whole process (every thread: the render and the reduction use the pool), in
// ms; on a shared machine it shows the work where the wall clock shows the wait.
double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

double percentile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(q * double(values.size() - 1) + 0.5));
    return values[index];
}

void BM_SliderDragToRepaintedCanvas(benchmark::State& state) {
    QTemporaryDir dir;
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(false);
    editor.openURLs({makePhoto(dir)});
    editor.waitForBackgroundWork();
    CanvasStageView view(editor);
    showExposed(view);
    EditAdjustments a = liveEditRecipe();
    editor.setAdjustments(a);
    editor.refreshPreview();
    view.repaint();
    editor.pushUndoSnapshot(); // the drag begins

    const int bitmapsBefore = view.displayBitmapRebuildCount();
    std::vector<double> whole;
    std::vector<double> canvas;
    std::vector<double> canvasCpu;
    int step = 0;
    for (auto _ : state) {
        a.contrast = 1.0 + 0.004 * (step++ % 100);
        QElapsedTimer timer;
        timer.start();
        editor.setAdjustments(a);
        editor.refreshPreview();
        const qint64 rendered = timer.nsecsElapsed();
        const double cpuBefore = processCpuMs();
        view.repaint();
        const qint64 painted = timer.nsecsElapsed();
        canvasCpu.push_back(processCpuMs() - cpuBefore);
        state.SetIterationTime(double(painted) * 1e-9);
        whole.push_back(double(painted) * 1e-6);
        canvas.push_back(double(painted - rendered) * 1e-6);
    }
    state.counters["bitmaps_per_change"] =
        double(view.displayBitmapRebuildCount() - bitmapsBefore) / double(std::max<size_t>(whole.size(), 1));
    state.counters["median_ms"] = percentile(whole, 0.5);
    state.counters["p95_ms"] = percentile(whole, 0.95);
    state.counters["canvas_median_ms"] = percentile(canvas, 0.5);
    state.counters["canvas_p95_ms"] = percentile(canvas, 0.95);
    state.counters["canvas_cpu_median_ms"] = percentile(canvasCpu, 0.5);
    if (const auto& image = editor.renderedDisplayImage())
        state.SetLabel(QStringLiteral("preview %1 x %2, stage %3 x %4")
                           .arg(image->width())
                           .arg(image->height())
                           .arg(qRound(view.stageRect().width()))
                           .arg(qRound(view.stageRect().height()))
                           .toStdString());
}
BENCHMARK(BM_SliderDragToRepaintedCanvas)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// The canvas alone while panning a zoomed photo: a pan offset change to the repainted canvas.
void BM_PanRepaint(benchmark::State& state) {
    QTemporaryDir dir;
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(false);
    editor.openURLs({makePhoto(dir)});
    editor.waitForBackgroundWork();
    CanvasStageView view(editor);
    showExposed(view);
    editor.zoomIn(1.6);
    view.repaint();
    int step = 0;
    for (auto _ : state) {
        editor.updatePan(QSizeF(step % 40, (step % 40) / 2.0));
        ++step;
        view.repaint();
    }
    editor.endPan();
}
BENCHMARK(BM_PanRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
