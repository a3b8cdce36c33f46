#include "core/imaging/StudioEffectsService.h"
#include "tests/effects/EffectsTestSupport.h"

#include <gtest/gtest.h>

TEST(Histogram, EmptyIsFourListsOf48Zeros) {
    const ImageHistogram empty = ImageHistogram::empty();
    for (const QList<double>* list : {&empty.red, &empty.green, &empty.blue, &empty.luma}) {
        ASSERT_EQ(list->size(), 48);
        for (double v : *list) EXPECT_EQ(v, 0.0);
    }
}

TEST(Histogram, CopiesTheCodecEnginesListsInOrder) {
    // Pure red: the red list peaks in the top bin, green and blue in the lowest, luma where
    // 0.2126 of full red falls; each list scaled to a largest entry of 1.
    const StudioEffectsService effects;
    const ImageHistogram h = effects.computeHistogram(effectstest::solid(300, 200, QColor(255, 0, 0)), 48);
    ASSERT_EQ(h.red.size(), 48);
    EXPECT_EQ(h.red[47], 1.0);
    EXPECT_EQ(h.green[0], 1.0);
    EXPECT_EQ(h.blue[0], 1.0);
    EXPECT_EQ(h.luma[48 * 54 / 256], 1.0);
    EXPECT_EQ(h.red[0], 0.0);

    const ImageHistogram photo = effects.computeHistogram(effectstest::hopper(), 32);
    EXPECT_EQ(photo.luma.size(), 32);
    EXPECT_NE(photo, effects.computeHistogram(effectstest::hopper(), 48));
}
