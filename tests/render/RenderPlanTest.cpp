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

void swapped(float& r, float& g, float& b) {
    std::swap(r, b), g = 0.5f * (g + r);
}

// Detail steps of every kind (a sparse mask, a reduced full plane, a narrow plane) between
// colour runs and before a position step, so that each pass may start from the kept image.
void addChain(RenderPlan& plan, bool sparseFirst, bool declareGain = true) {
    plan.addColor(darker);
    HighlightShadowAdjust tones;
    tones.shadowAmount = 0.6;
    tones.highlightAmount = 0.5;
    tones.radius = 9;
    if (sparseFirst)
        plan.addDetail(tones.radius, true,
                       [tones](PixelRow& row, const float* blurred) { tones.apply(row, blurred); });
    plan.addColor(swapped);
    const UnsharpMask clarity{6, 0.8};
    plan.addDetail(
        clarity.radius, false, [clarity](PixelRow& row, const float* b) { clarity.apply(row, b); },
        declareGain ? std::optional<float>(clarity.lumaGain()) : std::nullopt);
    const SharpenLuminance sharpen{0.7, 0.5};
    plan.addDetail(sharpen.radius, false,
                   [sharpen](PixelRow& row, const float* b) { sharpen.apply(row, b); });
    plan.addColor(darker);
    plan.addPosition([](PixelRow& row) {
        for (int i = 0; i < row.count; ++i)
            row.r[i] += 0.001f * float((row.x + i + row.y) % 7);
    });
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width() * 4; ++x)
            largest = std::max(largest, std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x])));
    return largest;
}

// Bytes to working rows and back is exact for every premultiplied pixel, opaque or not, at every
// width (the vector paths and their tails).
TEST(RenderPlan, WorkingRowsRoundTripEveryPixel) {
    QImage all(256, 256, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uchar* p = all.scanLine(y) + x * 4;
            p[3] = uchar(y);
            p[0] = uchar(x * y / 255), p[1] = uchar((255 - x) * y / 255),
            p[2] = uchar((x * 7 % 256) * y / 255);
        }
    for (const QImage& source : {all, textured(37, 5), translucent(37, 5)})
        for (int width = 1; width <= std::min(40, source.width()); width += (width < 20 ? 1 : 7)) {
            RenderPlan plan;
            plan.addPosition([](PixelRow&) {});
            const QRect region(source.width() - width, 0, width, source.height());
            ASSERT_EQ(plan.render(source, region), source.copy(region)) << "width " << width;
        }
}

// The result stored by component holds the bytes of the interleaved one, and knows whether
// any of them is translucent.
TEST(RenderPlan, PlanarResultHoldsTheSameBytes) {
    for (const QImage& source : {textured(61, 9), translucent(61, 9)}) {
        RenderPlan interleaved, planar;
        addChain(interleaved, true);
        addChain(planar, true);
        const QRect region(3, 1, 53, 7);
        const QImage expected = interleaved.render(source, region);
        const PlanarBytes got = planar.renderPlanar(source, region);
        ASSERT_FALSE(got.isNull());
        ASSERT_EQ(got.width, region.width());
        ASSERT_EQ(got.height, region.height());
        bool opaque = true;
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x)
                for (int c = 0; c < 4; ++c) {
                    ASSERT_EQ(got.plane(y, c)[x], expected.constScanLine(y)[x * 4 + c])
                        << x << "," << y << " " << c;
                    opaque = opaque && (c != 3 || got.plane(y, c)[x] == 255);
                }
        EXPECT_EQ(got.opaque, opaque);
        EXPECT_EQ(got.opaque, source.pixelColor(source.width() - 1, 0).alpha() == 255);
    }
}

// The kept path also holds the narrowest plane in floats where the recomputed one uses 16 bits,
// so a byte may round the other way; anything else that differs is a fault.
TEST(RenderPlan, KeepingTheWorkingImageGivesTheSameResult) {
    for (const QImage& source : {textured(157, 91), translucent(157, 91)})
        for (bool sparseFirst : {true, false})
            for (const QRect region : {source.rect(), QRect(13, 7, 101, 60)}) {
                RenderPlan kept, recomputed;
                addChain(kept, sparseFirst, false);
                addChain(recomputed, sparseFirst, false);
                recomputed.setKeptPixelLimit(0);
                const QImage a = kept.render(source, region), b = recomputed.render(source, region);
                ASSERT_EQ(a.size(), region.size());
                EXPECT_LE(largestDifference(a, b), 1) << "sparse first " << sparseFirst;
                // And the chain did something, so the comparison means something.
                EXPECT_NE(a, source.copy(region));
                // No step touches alpha.
                for (int y = 0; y < a.height(); ++y)
                    for (int x = 0; x < a.width(); ++x)
                        ASSERT_EQ(a.constScanLine(y)[x * 4 + 3],
                                  source.constScanLine(y + region.y())[(x + region.x()) * 4 + 3]);
            }
}

// A chain without detail steps can't be resumed, so a preview of it has no reason to round its
// working image before vignette and grain: it gives the bytes of a full-resolution render.
TEST(RenderPlan, AChainThatCantBeResumedIsNotRounded) {
    for (const QImage& source : {textured(157, 91), translucent(157, 91)}) {
        RenderPlan preview, full;
        for (RenderPlan* plan : {&preview, &full}) {
            plan->addColor(darker);
            plan->addPosition([](PixelRow& row) {
                for (int i = 0; i < row.count; ++i)
                    row.g[i] *= 1.0f - 0.01f * float((row.x + i) % 5);
            });
        }
        full.setKeptPixelLimit(0);
        ASSERT_FALSE(preview.canKeep(source.size()));
        EXPECT_EQ(preview.render(source, source.rect()), full.render(source, source.rect()));
    }
}

// The plane after a step with a declared gain, worked out from that step's planes, is the one a
// pass over the image would build: a different order of the same arithmetic, so within a level.
TEST(RenderPlan, TheLumaAfterADeclaredGainMatchesAPassOverTheImage) {
    const QImage source = textured(157, 91);
    for (bool sparseFirst : {true, false}) {
        RenderPlan shortcut, pass, recomputed;
        addChain(shortcut, sparseFirst, true);
        addChain(pass, sparseFirst, false);
        addChain(recomputed, sparseFirst, true);
        recomputed.setKeptPixelLimit(0); // no kept image: no shortcut either
        const QImage a = shortcut.render(source, source.rect()), b = pass.render(source, source.rect());
        EXPECT_LE(largestDifference(a, b), 1);
        EXPECT_LE(largestDifference(recomputed.render(source, source.rect()), b), 1);
    }
    // A gain declared wrongly shows: the comparison can fail.
    RenderPlan wrong;
    wrong.addColor(darker);
    const UnsharpMask clarity{6, 0.8};
    wrong.addDetail(
        clarity.radius, false, [clarity](PixelRow& row, const float* b) { clarity.apply(row, b); }, 3.0f);
    const SharpenLuminance sharpen{0.7, 0.5};
    wrong.addDetail(sharpen.radius, false,
                    [sharpen](PixelRow& row, const float* b) { sharpen.apply(row, b); });
    RenderPlan right;
    right.addColor(darker);
    right.addDetail(clarity.radius, false,
                    [clarity](PixelRow& row, const float* b) { clarity.apply(row, b); });
    right.addDetail(sharpen.radius, false,
                    [sharpen](PixelRow& row, const float* b) { sharpen.apply(row, b); });
    EXPECT_GT(largestDifference(wrong.render(source, source.rect()), right.render(source, source.rect())), 1);
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
