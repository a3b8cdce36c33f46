// The background studio's costs: the person model alone (bar: under 100 ms a run), the pose
// model alone, whole person and subject cut-out masks of a 24-megapixel photo with people in it,
// the salient-object mask and the colour key on a 12-megapixel photo.
#include "core/imaging/ColorKey.h"
#include "core/imaging/SubjectSegmentation.h"
#include "core/imaging/tflite/TfliteInterpreter.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <optional>
#include <string>

namespace {

QImage syntheticPhoto(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient backdrop(0, 0, width, height);
    backdrop.setColorAt(0, QColor(235, 230, 225));
    backdrop.setColorAt(1, QColor(190, 185, 200));
    painter.fillRect(image.rect(), backdrop);
    painter.setBrush(QColor(40, 70, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(width / 2.0, height / 2.0), width / 5.0, height / 4.0);
    return image;
}

// One invocation of a model on a fixed input; skipped when the model is not installed.
void invokeModel(benchmark::State& state, const std::optional<QString>& path, const char* file) {
    if (!path) {
        state.SkipWithError((std::string(file) + " not installed: run scripts/fetch-models BUILD_DIR").c_str());
        return;
    }
    tfl::Interpreter interpreter(tfl::Model::fromFile(*path));
    const tfl::Shape4 in = interpreter.inputShape();
    float* input = interpreter.input();
    for (std::int64_t i = 0; i < in.count(); ++i) input[i] = static_cast<float>((i * 37) % 255) / 255.0f;
    for (auto _ : state) {
        interpreter.invoke();
        benchmark::DoNotOptimize(interpreter.output()[0]);
    }
}

void BM_PersonModelInvoke(benchmark::State& state) {
    invokeModel(state, personSegmentationModelPath(), "selfie_segmentation.tflite");
}
BENCHMARK(BM_PersonModelInvoke)->Unit(benchmark::kMillisecond);

void BM_PersonMask(benchmark::State& state) {
    if (!personSegmentationModelPath()) {
        state.SkipWithError("selfie_segmentation.tflite not installed: run scripts/fetch-models BUILD_DIR");
        return;
    }
    const QImage photo = syntheticPhoto(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 3 / 4);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(segmentPerson(photo).constBits());
        } catch (const std::exception&) {
            // No person in the synthetic photo: the model and the decision are what is timed.
        }
    }
}
BENCHMARK(BM_PersonMask)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_PoseModelInvoke(benchmark::State& state) {
    invokeModel(state, poseLandmarkModelPath(), "pose_landmark_full.tflite");
}
BENCHMARK(BM_PoseModelInvoke)->Unit(benchmark::kMillisecond);

// A 6000 × 4000 photo of two people (the fixtures' portrait, pasted twice at the bottom of
// the busy jungle photo); null when no folder above the benchmark holds shared/fixtures.
QImage peoplePhoto() {
    QDir fixtures;
    bool found = false;
    for (QDir dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
         !found && !dir.isRoot(); dir.cdUp()) {
        fixtures = QDir(dir.filePath(QStringLiteral("shared/fixtures/photos")));
        found = fixtures.exists(QStringLiteral("hopper.png"));
    }
    if (!found) return {};
    const QImage jungle(fixtures.filePath(QStringLiteral("landscape_1.jpg")));
    const QImage hopper(fixtures.filePath(QStringLiteral("hopper.png")));
    if (jungle.isNull() || hopper.isNull()) return {};
    QImage photo = jungle.scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&photo);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(600, 1900, 2100, 2100), hopper);
    painter.drawImage(QRectF(4000, 2850, 1150, 1150), hopper);
    return photo;
}

void BM_PeopleMask24MP(benchmark::State& state) {
    if (!personSegmentationModelPath() || !poseLandmarkModelPath()) {
        state.SkipWithError("models not installed: run scripts/fetch-models BUILD_DIR");
        return;
    }
    const QImage photo = peoplePhoto();
    if (photo.isNull()) {
        state.SkipWithError("shared/fixtures not found beside the project");
        return;
    }
    const bool automatic = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize((automatic ? segmentSalientSubject(photo) : segmentPerson(photo)).constBits());
}
BENCHMARK(BM_PeopleMask24MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SalientObjectMask(benchmark::State& state) {
    const QImage photo = syntheticPhoto(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 3 / 4);
    for (auto _ : state) benchmark::DoNotOptimize(segmentSalientObject(photo).constBits());
}
BENCHMARK(BM_SalientObjectMask)->Arg(1024)->Arg(4000)->Arg(6000)->Unit(benchmark::kMillisecond);

void BM_ColorKey(benchmark::State& state) {
    const QImage photo = syntheticPhoto(4000, 3000);
    const ColorKeyOptions options{RGBAColor{235 / 255.0, 230 / 255.0, 225 / 255.0, 1}, 0.22, state.range(0) != 0};
    for (auto _ : state) benchmark::DoNotOptimize(colorKeyMaskBytes(photo, options)->data());
}
BENCHMARK(BM_ColorKey)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
