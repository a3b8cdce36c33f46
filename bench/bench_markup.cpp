// The markup pass as the preview runs it on every pointer event: twenty mixed items burnt into
// an 1800 × 1200 photo (the size of the preview base).
#include "core/imaging/AnnotationRenderer.h"

#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

QImage previewPhoto(int width = 1800, int height = 1200) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(40, 70, 110));
    gradient.setColorAt(1, QColor(220, 180, 120));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 400; ++i)
        painter.fillRect((i * 97) % width, (i * 61) % height, 30, 12,
                         QColor((i * 37) % 255, (i * 11) % 255, 90));
    return image;
}

AnnotationItem make(AnnotationTool tool, double x, double y, double w, double h) {
    return AnnotationItem{.tool = tool, .start = {x, y}, .end = {x + w, y + h}};
}

// Twenty items as a marked-up screenshot has them: mostly strokes and labels, a couple of
// redactions, a spotlight, a loupe and a heal.
QList<AnnotationItem> mixedItems() {
    QList<AnnotationItem> items;
    items << make(AnnotationTool::arrow, 0.05, 0.1, 0.2, 0.15) << make(AnnotationTool::arrow, 0.7, 0.8, -0.2, -0.1)
          << make(AnnotationTool::arrow, 0.4, 0.9, 0.1, -0.3) << make(AnnotationTool::line, 0.1, 0.5, 0.3, 0.0)
          << make(AnnotationTool::rectangle, 0.3, 0.1, 0.2, 0.2) << make(AnnotationTool::rectangle, 0.6, 0.6, 0.1, 0.1)
          << make(AnnotationTool::filledRectangle, 0.8, 0.1, 0.1, 0.05) << make(AnnotationTool::ellipse, 0.55, 0.3, 0.15, 0.1)
          << make(AnnotationTool::highlighter, 0.1, 0.6, 0.25, 0.04) << make(AnnotationTool::spotlight, 0.35, 0.35, 0.3, 0.3)
          << make(AnnotationTool::magnifier, 0.85, 0.5, 0.06, 0.0) << make(AnnotationTool::spotHeal, 0.2, 0.3, 0.02, 0.02)
          << make(AnnotationTool::blurRedact, 0.6, 0.15, 0.15, 0.08)
          << make(AnnotationTool::pixelateRedact, 0.1, 0.75, 0.2, 0.08);
    AnnotationItem pen = make(AnnotationTool::freehand, 0, 0, 0, 0);
    for (int i = 0; i <= 60; ++i) pen.points.append({0.5 + i * 0.004, 0.7 + 0.03 * std::sin(i / 5.0)});
    items << pen;
    for (int i = 0; i < 3; ++i) {
        AnnotationItem label = make(AnnotationTool::text, 0.05 + 0.3 * i, 0.9, 0, 0);
        label.text = QStringLiteral("Label %1").arg(i + 1);
        label.color = RGBAColor::palette[i + 2];
        items << label;
    }
    for (int i = 0; i < 2; ++i) {
        AnnotationItem badge = make(AnnotationTool::stepNumber, 0.2 + 0.1 * i, 0.45, 0, 0);
        badge.stepIndex = i + 1;
        items << badge;
    }
    return items;
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    // Text drawing needs the GUI application (fonts); offscreen is enough.
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

void BM_MarkupPreview(benchmark::State& state) {
    ensureApplication();
    const QImage photo = previewPhoto();
    const QList<AnnotationItem> items = mixedItems();
    const AnnotationRenderer renderer;
    const std::optional<QUuid> selected = items[4].id;
    for (auto _ : state) {
        QImage out = renderer.render(items, photo, selected);
        benchmark::DoNotOptimize(out.constBits());
    }
    state.counters["items"] = static_cast<double>(items.size());
}
BENCHMARK(BM_MarkupPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any markup render: one copy of the preview photo (the result must be a new
// image). Compare the list's time with this one from the same run on a busy machine.
void BM_MarkupFloorPhotoCopy(benchmark::State& state) {
    const QImage photo = previewPhoto();
    for (auto _ : state) {
        QImage out = photo.copy();
        benchmark::DoNotOptimize(out.bits());
    }
}
BENCHMARK(BM_MarkupFloorPhotoCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same list reduced to the items of one tool (argument: the tool's index), to see where
// the time of the whole goes.
void BM_MarkupOneTool(benchmark::State& state) {
    ensureApplication();
    const auto tool = static_cast<AnnotationTool>(state.range(0));
    const QImage photo = previewPhoto();
    QList<AnnotationItem> items;
    for (const auto& item : mixedItems())
        if (item.tool == tool) items << item;
    const AnnotationRenderer renderer;
    for (auto _ : state) {
        QImage out = renderer.render(items, photo);
        benchmark::DoNotOptimize(out.constBits());
    }
    state.SetLabel(rawValue(tool).toStdString());
}
BENCHMARK(BM_MarkupOneTool)->DenseRange(1, 14)->Unit(benchmark::kMillisecond);

// One pen stroke of N points (argument 0), a zig-zag across the middle of the photo as a fast
// scribble makes it, on a width × height photo (arguments 1 and 2). The editor redraws the
// markup on every pointer event while the pen moves, so this is the cost of one event.
void BM_MarkupFreehand(benchmark::State& state) {
    ensureApplication();
    const auto count = static_cast<int>(state.range(0));
    const QImage photo = previewPhoto(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    AnnotationItem pen = make(AnnotationTool::freehand, 0, 0, 0, 0);
    for (int i = 0; i < count; ++i)
        pen.points.append({0.05 + 0.9 * i / (count - 1.0), i % 2 ? 0.8 : 0.2});
    const QList<AnnotationItem> items{pen};
    const AnnotationRenderer renderer;
    for (auto _ : state) {
        QImage out = renderer.render(items, photo);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_MarkupFreehand)
    ->Args({200, 1000, 1000})
    ->Args({500, 1000, 1000})
    ->Args({200, 1800, 1200})
    ->Args({500, 1800, 1200})
    ->Args({200, 4000, 3000})
    ->Args({500, 4000, 3000})
    ->Args({200, 6000, 4000})
    ->Args({500, 6000, 4000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A pile of 200 items: the twenty of the mixed list ten times over, each copy shifted a little,
// on a width × height photo.
void BM_MarkupPile(benchmark::State& state) {
    ensureApplication();
    const QImage photo = previewPhoto(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    QList<AnnotationItem> items;
    for (int copy = 0; copy < 10; ++copy)
        for (const auto& item : mixedItems())
            items << item.translated(0.01 * copy - 0.05, 0.007 * copy - 0.03);
    const AnnotationRenderer renderer;
    for (auto _ : state) {
        QImage out = renderer.render(items, photo);
        benchmark::DoNotOptimize(out.constBits());
    }
    state.counters["items"] = static_cast<double>(items.size());
}
BENCHMARK(BM_MarkupPile)
    ->Args({1800, 1200})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A handwriting-like scribble of 500 points a few pixels apart (loops along a line), the kind
// of stroke a two-second drag records, at the preview size and at 24 MP.
void BM_MarkupScribble(benchmark::State& state) {
    ensureApplication();
    const QImage photo = previewPhoto(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    AnnotationItem pen = make(AnnotationTool::freehand, 0, 0, 0, 0);
    for (int i = 0; i < 500; ++i)
        pen.points.append({0.2 + 0.0012 * i + 0.02 * std::cos(i / 6.0), 0.5 + 0.03 * std::sin(i / 6.0)});
    const QList<AnnotationItem> items{pen};
    const AnnotationRenderer renderer;
    for (auto _ : state) {
        QImage out = renderer.render(items, photo);
        benchmark::DoNotOptimize(out.constBits());
    }
}
BENCHMARK(BM_MarkupScribble)
    ->Args({1800, 1200})
    ->Args({6000, 4000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
