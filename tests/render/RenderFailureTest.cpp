#include "core/common/ImageLimits.h"
#include "core/imaging/ImageRenderEngine.h"

#include <QImage>
#include <gtest/gtest.h>

// A bitmap wider than the decode limits is refused by the render (no working plane is made for
// it), which is how a render that cannot be made looks to its callers. The preview keeps its
// picture; the output paths learn that the edit is missing.
TEST(RenderFailure, TheOutputFormsReportWhatThePreviewFormsPassOver) {
    QImage hostile(int(kMaxDecodeSide) + 1, 2, QImage::Format_RGBA8888_Premultiplied);
    ASSERT_FALSE(hostile.isNull());
    hostile.fill(QColor(120, 90, 60));
    EditAdjustments edit;
    edit.exposure = 0.8;
    const ImageRenderEngine engine;

    EXPECT_EQ(engine.render(hostile, edit, true).cacheKey(), hostile.cacheKey());
    EXPECT_FALSE(engine.tryRender(hostile, edit, true));
    EXPECT_FALSE(engine.tryRender(QImage(hostile), edit, true));
    // The moving form gives nothing rather than a bitmap it may have written over half-way.
    QImage owned = hostile.copy();
    EXPECT_TRUE(engine.render(std::move(owned), edit, true).isNull());

    // Nothing to do is a success, not a failure: the source itself comes back.
    const auto unedited = engine.tryRender(hostile, EditAdjustments(), true);
    ASSERT_TRUE(unedited);
    EXPECT_EQ(unedited->cacheKey(), hostile.cacheKey());

    QImage small(40, 30, QImage::Format_RGBA8888_Premultiplied);
    small.fill(QColor(120, 90, 60));
    const auto rendered = engine.tryRender(small, edit, true);
    ASSERT_TRUE(rendered);
    EXPECT_GT(qRed(rendered->pixel(5, 5)), 120);
}
