#include "editor/EditorViewModel.h"
#include "ui/platform/QtPlatformServices.h"
#include "ui/shell/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <benchmark/benchmark.h>

// Start-up as the user sees it: from making the editor to the window painted, and with a 24 MP
// photo on the command line to the photo on screen; beside it, what libvips' own thumbnailer
// takes to make an 1800-pixel view of the same file. The photo is $TAVIVIEW_BENCH_WORK/
// big-24mp.jpg (made by scripts/bench), or whatever TAVIVIEW_BENCH_PHOTO names.
namespace {

QString benchPhoto() {
    const QString given = qEnvironmentVariable("TAVIVIEW_BENCH_PHOTO");
    if (!given.isEmpty()) return given;
    QString work = qEnvironmentVariable("TAVIVIEW_BENCH_WORK");
    if (work.isEmpty()) work = QDir::tempPath() + QStringLiteral("/taviview-bench");
    return work + QStringLiteral("/big-24mp.jpg");
}

// Counts paint events of every widget after it is armed.
class PaintProbe : public QObject {
  public:
    bool armed = false;
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed && event->type() == QEvent::Paint && watched->isWidgetType()) ++paints;
        return false;
    }
};

template <class Done> bool runUntil(Done done, int timeoutMs = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void startUp(benchmark::State& state, const QStringList& arguments) {
    PaintProbe probe;
    qApp->installEventFilter(&probe);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        probe.armed = arguments.isEmpty();
        probe.paints = 0;
        // What the application's delegate does at launch: the editor first, then the window.
        auto platform = std::make_unique<QtPlatformServices>();
        auto editorOwner = std::make_unique<EditorViewModel>(*platform);
        EditorViewModel& editor = *editorOwner;
        auto window = std::make_unique<MainWindow>(editor, *platform);
        platform->setMainWindow(window.get());
        window->show();
        if (!arguments.isEmpty()) editor.openURLs(arguments);
        const bool ok = runUntil([&] {
            if (!probe.armed && editor.hasImage()) {
                // The photo is published; the next paint puts it on screen.
                probe.armed = true;
                probe.paints = 0;
            }
            return probe.armed && probe.paints > 0;
        });
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (!ok) state.SkipWithError("the window did not paint in 30 s");
        editor.waitForBackgroundWork();
        window.reset();
        editorOwner.reset();
        QApplication::processEvents();
    }
    qApp->removeEventFilter(&probe);
}

void BM_StartToFirstPaintedWindow(benchmark::State& state) {
    startUp(state, {});
}
BENCHMARK(BM_StartToFirstPaintedWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StartWith24MPPhotoToPhotoPainted(benchmark::State& state) {
    const QString photo = benchPhoto();
    if (!QFileInfo::exists(photo)) {
        state.SkipWithError("no 24 MP photo: run scripts/bench once or set TAVIVIEW_BENCH_PHOTO");
        return;
    }
    startUp(state, {photo});
}
BENCHMARK(BM_StartWith24MPPhotoToPhotoPainted)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The yardstick: a separate process decoding the same file to an 1800-pixel view.
void BM_VipsThumbnail1800(benchmark::State& state) {
    const QString photo = benchPhoto();
    if (!QFileInfo::exists(photo)) {
        state.SkipWithError("no 24 MP photo");
        return;
    }
    const QString output = QDir::tempPath() + QStringLiteral("/taviview-bench-thumb.jpg");
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess vips;
        vips.start(QStringLiteral("vipsthumbnail"),
                   {photo, QStringLiteral("-s"), QStringLiteral("1800"), QStringLiteral("-o"), output});
        const bool ok = vips.waitForFinished(60000) && vips.exitCode() == 0;
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (!ok) state.SkipWithError("vipsthumbnail failed");
    }
    QFile::remove(output);
}
BENCHMARK(BM_VipsThumbnail1800)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
