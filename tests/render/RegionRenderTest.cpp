// A rectangle rendered on its own must be the same pixels as that rectangle of the whole render:
// the canvas shows one in place of the other.
#include "core/imaging/ImageRegionRenderer.h"
#include "core/imaging/ImageRenderEngine.h"
#include "tests/render/RenderTestImages.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace rendertest;

namespace {

const ImageRenderEngine engine;
const ImageRegionRenderer regions;

// The largest difference of any component between `part` and `rect` of `whole`.
int largestDifference(const QImage& whole, const QImage& part, const QRect& rect) {
    const QImage a = whole.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage b = part.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    int worst = 0;
    for (int y = 0; y < rect.height(); ++y) {
        const uchar* pa = a.constScanLine(rect.y() + y) + size_t(rect.x()) * 4;
        const uchar* pb = b.constScanLine(y);
        for (int i = 0; i < rect.width() * 4; ++i)
            worst = std::max(worst, std::abs(int(pa[i]) - int(pb[i])));
    }
    return worst;
}

// Every recipe step at once: colour, the look, the three blurs at full-resolution radii, the
// position steps, and whatever geometry `shape` adds.
EditAdjustments fullRecipe() {
    EditAdjustments a;
    a.autoEnhanced = true;
    a.exposure = 0.3;
    a.contrast = 1.1;
    a.saturation = 1.2;
    a.vibrance = 0.2;
    a.warmth = 0.3;
    a.tint = -0.1;
    a.highlights = 0.8;
    a.shadows = 0.4;
    a.filterPreset = PhotoFilterPreset::crisp;
    a.clarity = 0.6;
    a.sharpness = 0.5;
    a.vignette = 0.7;
    a.grain = 0.4;
    return a;
}

void expectRegionMatches(const QImage& source, const EditAdjustments& a, bool includeCrop,
                         const QRect& rect) {
    const QImage whole = engine.render(source, a, includeCrop, 1.0);
    const std::optional<QImage> part = regions.render(source, a, includeCrop, rect);
    ASSERT_TRUE(part.has_value());
    const QRect expected = rect.intersected(whole.rect());
    ASSERT_EQ(part->size(), expected.size());
    EXPECT_EQ(ImageRegionRenderer::outputSize(source.size(), a, includeCrop), whole.size());
    EXPECT_LE(largestDifference(whole, *part, expected), 1) << "region " << rect.x() << "," << rect.y();
}

TEST(RegionRender, EqualsTheSameAreaOfTheFullRenderAnywhereInTheFrame) {
    // Larger than the blurs' reach, so a region in the middle reads only part of the photo.
    const QImage source = textured(1400, 1000);
    const EditAdjustments a = fullRecipe();
    expectRegionMatches(source, a, true, QRect(500, 400, 300, 200));  // inside, away from every edge
    expectRegionMatches(source, a, true, QRect(0, 0, 257, 131));      // the corner: blurs clamp there
    expectRegionMatches(source, a, true, QRect(1213, 877, 400, 400)); // beyond the frame: cut to it
}

TEST(RegionRender, FollowsFlipsTurnsStraighteningAndTheCrop) {
    const QImage source = textured(1200, 900);
    EditAdjustments a = fullRecipe();
    a.flipHorizontal = true;
    a.quarterTurns = 1;
    a.cropRect = NormalizedCropRect(0.1, 0.2, 0.7, 0.6);
    expectRegionMatches(source, a, true, QRect(211, 97, 240, 180));
    expectRegionMatches(source, a, false, QRect(211, 97, 240, 180));

    EditAdjustments straight = fullRecipe();
    straight.straightenDegrees = 4.5; // the two-pass resampling
    expectRegionMatches(source, straight, true, QRect(600, 500, 320, 200));
    straight.straightenDegrees = -20; // the 4 x 4 one
    expectRegionMatches(source, straight, true, QRect(100, 650, 320, 200));
}

TEST(RegionRender, AnUneditedPhotoIsCopiedAndEmptyRegionsGiveNothing) {
    const QImage source = coordinates(300, 200);
    const std::optional<QImage> part = regions.render(source, EditAdjustments{}, true, QRect(10, 20, 30, 40));
    ASSERT_TRUE(part.has_value());
    EXPECT_EQ(largestDifference(source, *part, QRect(10, 20, 30, 40)), 0);
    EXPECT_FALSE(regions.render(source, fullRecipe(), true, QRect(400, 0, 10, 10)).has_value());
    EXPECT_FALSE(regions.render(QImage(), fullRecipe(), true, QRect(0, 0, 10, 10)).has_value());
}

} // namespace
