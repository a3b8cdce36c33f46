// The grid gallery on a large folder: how long from opening the folder in grid mode until the
// first screen of cards shows its thumbnails, and what one scroll step costs to repaint.
#include "bench/NoPlatformServices.h"
#include "editor/EditorViewModel.h"
#include "ui/browsing/AdaptiveGridListView.h"
#include "ui/browsing/FolderImagesModel.h"
#include "ui/browsing/GridGalleryView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

// 2000 small JPEGs (800 × 600, like phone photos scaled for the web), written once into /tmp.
// The 10 000-photo folder repeats them through hard links, so it costs no disk.
QString benchFolder(int count) {
    const QString base = QStringLiteral("/tmp/taviview-bench-grid");
    const QString originals = base + QStringLiteral("/2000");
    QDir().mkpath(originals);
    for (int i = 0; i < 2000; ++i) {
        const QString path = originals + QStringLiteral("/photo_%1.jpg").arg(i, 5, 10, QChar('0'));
        if (QFile::exists(path)) continue;
        QImage image(800, 600, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient g(0, 0, 800, 600);
        g.setColorAt(0, QColor::fromHsv((i * 37) % 360, 180, 230));
        g.setColorAt(1, QColor::fromHsv((i * 37 + 140) % 360, 200, 90));
        p.fillRect(image.rect(), g);
        p.setBrush(QColor::fromHsv((i * 53) % 360, 120, 250));
        p.drawEllipse(QPoint(200 + (i * 7) % 400, 150 + (i * 11) % 300), 120, 90);
        p.end();
        image.save(path, "JPEG", 85);
    }
    if (count <= 2000) return originals;
    const QString linked = base + QStringLiteral("/%1").arg(count);
    QDir().mkpath(linked);
    for (int i = 0; i < count; ++i) {
        const QString link = linked + QStringLiteral("/photo_%1.jpg").arg(i, 5, 10, QChar('0'));
        if (!QFileInfo::exists(link))
            ::link(QFile::encodeName(originals +
                                     QStringLiteral("/photo_%1.jpg").arg(i % 2000, 5, 10, QChar('0')))
                       .constData(),
                   QFile::encodeName(link).constData());
    }
    return linked;
}

// Shows the grid at a laptop window's size and lets it lay out and expose.
void showGrid(GridGalleryView& grid) {
    grid.resize(1280, 800);
    grid.show();
    QElapsedTimer waited;
    waited.start();
    while ((!grid.windowHandle() || !grid.windowHandle()->isExposed()) && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

bool firstScreenHasThumbnails(GridGalleryView& grid) {
    const auto [first, last] = grid.listView()->visibleRows();
    if (first > last) return false;
    for (int row = first; row <= last; ++row)
        if (grid.model()->index(row).data(FolderImagesModel::ThumbnailRole).value<QImage>().isNull())
            return false;
    return true;
}

// Opening the folder with the grid on screen, until every card in view shows its thumbnail and
// the grid has painted them.
void BM_GridOpenToFirstScreenOfThumbnails(benchmark::State& state) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    int cards = 0;
    for (auto _ : state) {
        NoPlatformServices platform;
        EditorViewModel editor(platform);
        editor.setNeighbourPrefetchEnabled(false);
        GridGalleryView grid(editor);
        showGrid(grid);

        QElapsedTimer clock;
        clock.start();
        editor.openURLs({folder});
        editor.toggleGridView();
        while (!firstScreenHasThumbnails(grid)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (clock.elapsed() > 60000) {
                state.SkipWithError("the first screen never filled");
                return;
            }
        }
        grid.listView()->viewport()->repaint();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        const auto [first, last] = grid.listView()->visibleRows();
        cards = last - first + 1;
        editor.waitForBackgroundWork(120000); // the rest of the folder's loader, not timed
    }
    state.counters["cards"] = cards;
}
BENCHMARK(BM_GridOpenToFirstScreenOfThumbnails)
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One wheel step down the grid and its repaint, thumbnails loading as they come into view the
// way a user scrolling sees them; the folder wraps around to the top at its end.
void BM_GridScrollFrame(benchmark::State& state) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    NoPlatformServices platform;
    EditorViewModel editor(platform);
    editor.setNeighbourPrefetchEnabled(false);
    GridGalleryView grid(editor);
    showGrid(grid);
    editor.openURLs({folder});
    editor.toggleGridView();
    editor.waitForBackgroundWork(120000);
    QScrollBar* bar = grid.listView()->verticalScrollBar();
    QWidget* viewport = grid.listView()->viewport();
    qint64 worst = 0;
    for (auto _ : state) {
        QElapsedTimer frame;
        frame.start();
        bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + 48);
        QCoreApplication::processEvents();
        viewport->repaint();
        worst = std::max(worst, frame.nsecsElapsed());
    }
    state.counters["worst_ms"] = worst / 1e6;
    editor.waitForBackgroundWork(120000);
}
BENCHMARK(BM_GridScrollFrame)->Arg(2000)->Arg(10000)->Iterations(600)->Unit(benchmark::kMillisecond);

} // namespace
