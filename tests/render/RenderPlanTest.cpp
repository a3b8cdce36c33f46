// The fused passes of a recipe's colour half: keeping the working image between passes is a
// shortcut that must not change a single byte.
#include "core/imaging/RenderPlan.h"
#include "core/imaging/filters/HighlightShadowAdjust.h"
#include "core/imaging/filters/SharpenLuminance.h"
#include "core/imaging/filters/UnsharpMask.h"
#include "tests/render/RenderTestImages.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

void darker(float& r, float& g, float& b) {
    r *= 0.9f;
    g *= 0.8f;
    b = 0.1f + 0.8f * b;
}

void swapped(float& r, float& g, float& b) { std::swap(r, b), g = 0.5f * (g + r); }

// Detail steps of every kind (a sparse mask, a reduced full plane, a narrow plane) between
// colour runs and before a position step, so that each pass may start from the kept image.
void addChain(RenderPlan& plan, bool sparseFirst) {
    plan.addColor(darker);
    HighlightShadowAdjust tones;
    tones.shadowAmount = 0.6;
    tones.highlightAmount = 0.5;
    tones.radius = 9;
    if (sparseFirst)
        plan.addDetail(tones.radius, true, [tones](PixelRow& row, const float* blurred) { tones.apply(row, blurred); });
    plan.addColor(swapped);
    const UnsharpMask clarity{6, 0.8};
    plan.addDetail(clarity.radius, false, [clarity](PixelRow& row, const float* b) { clarity.apply(row, b); });
    const SharpenLuminance sharpen{0.7, 0.5};
    plan.addDetail(sharpen.radius, false, [sharpen](PixelRow& row, const float* b) { sharpen.apply(row, b); });
    plan.addColor(darker);
    plan.addPosition([](PixelRow& row) {
        for (int i = 0; i < row.count; ++i) row.r[i] += 0.001f * float((row.x + i + row.y) % 7);
    });
}

TEST(RenderPlan, KeepingTheWorkingImageChangesNoByte) {
    const QImage source = textured(157, 91);
    for (bool sparseFirst : {true, false})
        for (const QRect region : {source.rect(), QRect(13, 7, 101, 60)}) {
            RenderPlan kept, recomputed;
            addChain(kept, sparseFirst);
            addChain(recomputed, sparseFirst);
            recomputed.setKeptPixelLimit(0);
            const QImage a = kept.render(source, region), b = recomputed.render(source, region);
            ASSERT_EQ(a.size(), region.size());
            EXPECT_EQ(a, b) << "sparse first " << sparseFirst;
            // And the chain did something, so the comparison means something.
            EXPECT_NE(a, source.copy(region));
        }
}

// The source given up to be written over yields the same bytes as a fresh result.
TEST(RenderPlan, WritingOverTheSourceGivesTheSameBytes) {
    RenderPlan fresh, over;
    addChain(fresh, true);
    addChain(over, true);
    const QImage expected = fresh.render(textured(64, 48), QRect(0, 0, 64, 48));
    QImage source = textured(64, 48);
    const QImage written = over.render(source, source.rect(), &source);
    EXPECT_EQ(written, expected);
}

} // namespace
