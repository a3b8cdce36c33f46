// Remembered colour tables: a render must never be served a table baked from other steps or
// other parameter values, however the slider moved in between.
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/RenderPlan.h"
#include "tests/render/RenderTestImages.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

RenderPlan::ColorStep gain(float k) {
    return [k](float* r, float* g, float* b, int n) {
        for (int i = 0; i < n; ++i)
            r[i] *= k, g[i] *= k * k, b[i] = 1.0f - (1.0f - b[i]) * k;
    };
}

RenderPlan::ColorStep lift(float k) {
    return [k](float* r, float* g, float* b, int n) {
        for (int i = 0; i < n; ++i)
            r[i] += k, g[i] += 0.5f * k, b[i] -= k;
    };
}

// The run gain(k1) then lift(k2), keyed as given, or unkeyed (always baked afresh).
QImage renderRun(const QImage& image, float k1, float k2, std::optional<colorTableMemo::Key> key1,
                 std::optional<colorTableMemo::Key> key2) {
    RenderPlan plan;
    plan.addColor(gain(k1), std::move(key1));
    plan.addColor(lift(k2), std::move(key2));
    return plan.render(image, image.rect());
}

// Values moving between runs, as a drag does, come out as freshly baked tables; words that
// move from one step's key to the next one's make a different run, not the same one.
TEST(ColorTableMemo, EachRunGetsTheTableOfItsOwnSteps) {
    const QImage image = textured(96, 64);
    const auto key = [](int kind, std::initializer_list<double> v) { return RenderPlan::colorKey(kind, v); };
    for (int round = 0; round < 2; ++round) // the second round is served from remembered tables
        for (float k : {0.9f, 0.8f, 0.9f, 0.7f, 0.6f, 0.5f}) {
            const QImage fresh = renderRun(image, k, 0.05f, std::nullopt, std::nullopt);
            EXPECT_EQ(renderRun(image, k, 0.05f, key(1, {k}), key(2, {0.05})), fresh) << k;
        }
    // Keys (7, 8), (9) and (7), (8, 9) join to the same words, but name different runs.
    const QImage split = renderRun(image, 0.9f, 0.1f, colorTableMemo::Key{7, 8}, colorTableMemo::Key{9});
    const QImage moved = renderRun(image, 0.9f, 0.2f, colorTableMemo::Key{7}, colorTableMemo::Key{8, 9});
    EXPECT_EQ(moved, renderRun(image, 0.9f, 0.2f, std::nullopt, std::nullopt));
    EXPECT_NE(moved, split);
}

// A contrast drag through the engine: each value renders as it would alone, and coming back to
// a value gives the very same bytes as the first time.
TEST(ColorTableMemo, ADraggedSliderRendersEveryValueAfresh) {
    const ImageRenderEngine engine;
    const QImage image = textured(120, 80);
    EditAdjustments a;
    a.exposure = 0.3;
    a.filterPreset = PhotoFilterPreset::portra;
    a.contrast = 1.15;
    const QImage first = engine.render(image, a, true);
    std::vector<QImage> seen{first};
    for (double contrast : {1.16, 1.17, 1.3, 0.8}) {
        a.contrast = contrast;
        const QImage out = engine.render(image, a, true);
        for (const QImage& earlier : seen)
            EXPECT_NE(out, earlier) << contrast;
        seen.push_back(out);
    }
    a.contrast = 1.15;
    EXPECT_EQ(engine.render(image, a, true), first);
}

} // namespace
