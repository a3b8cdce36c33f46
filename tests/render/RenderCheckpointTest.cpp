// A render resumed from the working image kept before vignette and grain: it must give the
// bytes of the render from scratch, and only for the source and recipe it was kept from.
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/RenderCheckpoint.h"
#include "tests/render/RenderTestImages.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace {

EditAdjustments detailedRecipe() {
    EditAdjustments a;
    a.exposure = 0.3;
    a.contrast = 1.2;
    a.highlights = 0.7;
    a.shadows = 0.4;
    a.clarity = 0.6;
    a.sharpness = 0.5;
    a.filterPreset = PhotoFilterPreset::portra;
    a.vignette = 0.3;
    a.grain = 0.2;
    return a;
}

} // namespace

// Every way the geometry runs (the two-pass straighten over planes, the general resampler, no
// move at all), opaque and translucent: each vignette and grain value, including both off,
// resumes from the kept image and equals the render from scratch.
TEST(RenderCheckpoint, AResumedRenderIsTheRenderFromScratch) {
    const ImageRenderEngine engine;
    for (const QImage& source : {textured(203, 131), translucent(203, 131)})
        for (int geometry = 0; geometry < 3; ++geometry) {
            EditAdjustments a = detailedRecipe();
            if (geometry == 0) a.straightenDegrees = 3, a.cropRect = NormalizedCropRect(0.1, 0.05, 0.8, 0.9);
            if (geometry == 1) a.flipHorizontal = true, a.quarterTurns = 1;
            RenderCheckpoint checkpoint;
            EXPECT_EQ(engine.render(source, a, true, 0.5, checkpoint, true), engine.render(source, a, true, 0.5));
            ASSERT_FALSE(checkpoint.isEmpty());
            for (const auto& [vignette, grain] : {std::pair{0.8, 0.2}, {0.3, 0.6}, {0.0, 0.0}, {1.0, 1.0}}) {
                a.vignette = vignette, a.grain = grain;
                const QImage resumed = engine.render(source, a, true, 0.5, checkpoint, true);
                EXPECT_EQ(resumed, engine.render(source, a, true, 0.5))
                    << "geometry " << geometry << ", vignette " << vignette << ", grain " << grain;
            }
            EXPECT_EQ(checkpoint.resumes, 4);
        }
}

// A kept image serves only its own source, scale, crop flag and steps before vignette and grain;
// anything else renders from scratch, and refills it only when asked to.
TEST(RenderCheckpoint, AnotherSourceOrRecipeRendersFromScratch) {
    const ImageRenderEngine engine;
    const QImage source = textured(120, 80);
    QImage edited = source;
    edited.setPixelColor(60, 40, Qt::red);
    const QImage unpremultiplied = source.convertToFormat(QImage::Format_ARGB32);
    EditAdjustments a = detailedRecipe();
    a.cropRect = NormalizedCropRect(0.1, 0.1, 0.8, 0.8);
    RenderCheckpoint checkpoint;
    engine.render(source, a, true, 1.0, checkpoint, true);
    ASSERT_FALSE(checkpoint.isEmpty());

    EditAdjustments contrast = a;
    contrast.contrast = 0.8;
    EditAdjustments cropped = a;
    cropped.cropRect = NormalizedCropRect(0, 0, 0.5, 0.5);
    struct Case {
        const QImage& image;
        const EditAdjustments& recipe;
        double scale;
        bool includeCrop;
    };
    for (const Case& c : {Case{edited, a, 1.0, true}, Case{unpremultiplied, a, 1.0, true}, Case{source, contrast, 1.0, true},
                          Case{source, a, 0.5, true}, Case{source, cropped, 1.0, true}, Case{source, a, 1.0, false}}) {
        EXPECT_EQ(engine.render(c.image, c.recipe, c.includeCrop, c.scale, checkpoint, false),
                  engine.render(c.image, c.recipe, c.includeCrop, c.scale));
        EXPECT_EQ(checkpoint.resumes, 0);
    }
    // Not refilled: the original still resumes. Refilled: the new one does.
    a.grain = 0.9;
    EXPECT_EQ(engine.render(source, a, true, 1.0, checkpoint, true), engine.render(source, a, true, 1.0));
    EXPECT_EQ(checkpoint.resumes, 1);
    engine.render(source, contrast, true, 1.0, checkpoint, true);
    contrast.vignette = 0.9;
    EXPECT_EQ(engine.render(source, contrast, true, 1.0, checkpoint, true),
              engine.render(source, contrast, true, 1.0));
    EXPECT_EQ(checkpoint.resumes, 1);
    EXPECT_EQ(checkpoint.recipe, RenderCheckpoint::positionFree(contrast));
}

// Without a detail step the kept image would save no more than the decode and a lookup, and a
// source above the preview's size is never resumed: neither keeps anything, and both still
// render as from scratch.
TEST(RenderCheckpoint, OnlyAPreviewWithDetailStepsIsKept) {
    const ImageRenderEngine engine;
    EditAdjustments colourOnly;
    colourOnly.contrast = 1.3;
    colourOnly.vignette = 0.5;
    colourOnly.straightenDegrees = 2;
    const QImage source = textured(150, 100);
    RenderCheckpoint checkpoint;
    EXPECT_EQ(engine.render(source, colourOnly, true, 1.0, checkpoint, true), engine.render(source, colourOnly, true, 1.0));
    EXPECT_TRUE(checkpoint.isEmpty());

    const QImage large = textured(3100, 2000); // 6.2 MP, above a preview's size
    EditAdjustments detailed = detailedRecipe();
    EXPECT_EQ(engine.render(large, detailed, true, 1.0, checkpoint, true), engine.render(large, detailed, true, 1.0));
    EXPECT_TRUE(checkpoint.isEmpty());
}
