#include "core/imaging/tflite/FlatBufferTable.h"
#include "core/imaging/tflite/TfliteError.h"
#include "core/imaging/tflite/TfliteKernels.h"
#include "core/imaging/tflite/TfliteModel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tfl;

namespace {

TEST(TfliteKernels, Conv2dSameStrideTwoWithBiasAndRelu) {
    // 1 × 3 × 3 × 1 input 1..9, one 2 × 2 kernel [1 0; 0 -1], stride 2, SAME: outputs 2 × 2.
    // Padding total along each axis = (2−1)·2 + 2 − 3 = 1, all after: windows start at 0 and 2.
    const std::vector<float> input{1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::vector<float> weights{1, 0, 0, -1}; // [out][kh][kw][in]
    std::vector<float> packed(4);
    packConvWeights(weights.data(), 1, 2, 2, 1, packed.data());
    const std::vector<float> bias{10};
    std::vector<float> out(4);
    Window window{Padding::same, 2, 2, 1, 1};
    ASSERT_EQ(convOutputSize(3, 2, 2, 1, Padding::same), 2);
    conv2d(input.data(), {1, 3, 3, 1}, packed.data(), 2, 2, bias, out.data(), {1, 2, 2, 1}, window, Activation::none);
    // (0,0): 1 − 5 + 10 = 6; (0,1): 3 − 0 + 10 = 13; (1,0): 7 + 10 = 17; (1,1): 9 + 10 = 19.
    EXPECT_EQ(out, (std::vector<float>{6, 13, 17, 19}));
    const std::vector<float> negative{-20};
    conv2d(input.data(), {1, 3, 3, 1}, packed.data(), 2, 2, negative, out.data(), {1, 2, 2, 1}, window, Activation::relu);
    EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0}));
}

TEST(TfliteKernels, Conv2dPointwiseMixesChannels) {
    // Two pixels of two channels into three output channels; weights [out][1][1][in].
    const std::vector<float> input{1, 2, 3, 4};
    const std::vector<float> weights{1, 1, 1, -1, 0.5f, 0};
    std::vector<float> packed(6);
    packConvWeights(weights.data(), 3, 1, 1, 2, packed.data());
    std::vector<float> out(6);
    conv2d(input.data(), {1, 1, 2, 2}, packed.data(), 1, 1, {}, out.data(), {1, 1, 2, 3}, {Padding::valid, 1, 1, 1, 1},
           Activation::relu6);
    EXPECT_EQ(out, (std::vector<float>{3, 0, 0.5f, 6, 0, 1.5f}));
}

TEST(TfliteKernels, DepthwiseConvSamePadding) {
    // 3 × 3 × 2 input; channel 0 = 1..9, channel 1 = all ones; 3 × 3 kernels: channel 0 all
    // ones (sum of the in-image neighbours), channel 1 only the centre × 2.
    std::vector<float> input(18);
    for (int i = 0; i < 9; ++i) {
        input[2 * i] = static_cast<float>(i + 1);
        input[2 * i + 1] = 1;
    }
    std::vector<float> weights(18, 0);
    for (int k = 0; k < 9; ++k) weights[2 * k] = 1;
    weights[2 * 4 + 1] = 2;
    const std::vector<float> bias{0, 1};
    std::vector<float> out(18);
    depthwiseConv2d(input.data(), {1, 3, 3, 2}, weights.data(), 3, 3, 1, bias, out.data(), {1, 3, 3, 2},
                    {Padding::same, 1, 1, 1, 1}, Activation::none);
    EXPECT_EQ(out[0], 1 + 2 + 4 + 5);  // top-left corner
    EXPECT_EQ(out[2 * 4], 45);         // centre: all nine
    EXPECT_EQ(out[2 * 8], 5 + 6 + 8 + 9);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2 * 4 + 1], 3);
}

TEST(TfliteKernels, AveragePoolGlobalAndPaddedWindows) {
    const std::vector<float> input{1, 2, 3, 4, 5, 6}; // 1 × 2 × 3 × 1
    std::vector<float> out(1);
    averagePool2d(input.data(), {1, 2, 3, 1}, 3, 2, out.data(), {1, 1, 1, 1}, {Padding::valid, 3, 2, 1, 1},
                  Activation::none);
    EXPECT_FLOAT_EQ(out[0], 3.5f);
    // 2 × 2 windows, stride 2, SAME on 2 × 3: the second window holds only 3 and 6.
    std::vector<float> two(2);
    averagePool2d(input.data(), {1, 2, 3, 1}, 2, 2, two.data(), {1, 1, 2, 1}, {Padding::same, 2, 2, 1, 1},
                  Activation::none);
    EXPECT_FLOAT_EQ(two[0], 3.0f);
    EXPECT_FLOAT_EQ(two[1], 4.5f);
}

TEST(TfliteKernels, MaxPoolIgnoresPaddingAndNegativeValuesSurvive) {
    // 1 × 3 × 3 × 1, all negative but the centre; 2 × 2 windows, stride 2, SAME: padding (total
    // 1 per axis) is all after, so the second row and column of windows hold one or two pixels.
    const std::vector<float> input{-1, -2, -3, -4, 5, -6, -7, -8, -9};
    std::vector<float> out(4);
    maxPool2d(input.data(), {1, 3, 3, 1}, 2, 2, out.data(), {1, 2, 2, 1}, {Padding::same, 2, 2, 1, 1},
              Activation::none);
    // A zero from the padding would win over −3, −6, −7, −8, −9.
    EXPECT_EQ(out, (std::vector<float>{5, -3, -7, -9}));
    maxPool2d(input.data(), {1, 3, 3, 1}, 2, 2, out.data(), {1, 2, 2, 1}, {Padding::same, 2, 2, 1, 1},
              Activation::relu);
    EXPECT_EQ(out, (std::vector<float>{5, 0, 0, 0}));
    // Two channels pooled apart, VALID 2 × 2 over a 2 × 2 image.
    const std::vector<float> twoChannels{1, 40, 2, 30, 3, 20, 4, 10};
    std::vector<float> pooled(2);
    maxPool2d(twoChannels.data(), {1, 2, 2, 2}, 2, 2, pooled.data(), {1, 1, 1, 2}, {Padding::valid, 2, 2, 1, 1},
              Activation::none);
    EXPECT_EQ(pooled, (std::vector<float>{4, 40}));
}

TEST(TfliteKernels, PadPlacesTheInputAmongZeros) {
    // 1 × 1 × 2 × 2 padded by one row before, one column before and two after, one channel after.
    const std::vector<float> input{1, 2, 3, 4};
    const int before[4] = {0, 1, 1, 0};
    std::vector<float> out(2 * 5 * 3, -1.0f);
    pad(input.data(), {1, 1, 2, 2}, before, out.data(), {1, 2, 5, 3});
    const std::vector<float> expected{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
                                      0, 0, 0, 1, 2, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(out, expected);
}

TEST(TfliteKernels, BroadcastAddAndMulWithFusedActivation) {
    const std::vector<float> a{1, -2, 3, -4}; // 1 × 1 × 2 × 2
    const std::vector<float> scale{10, 100};  // 1 × 1 × 1 × 2
    std::vector<float> out(4);
    mul(a.data(), {1, 1, 2, 2}, scale.data(), {1, 1, 1, 2}, out.data(), {1, 1, 2, 2}, Activation::none);
    EXPECT_EQ(out, (std::vector<float>{10, -200, 30, -400}));
    add(a.data(), {1, 1, 2, 2}, a.data(), {1, 1, 2, 2}, out.data(), {1, 1, 2, 2}, Activation::relu);
    EXPECT_EQ(out, (std::vector<float>{2, 0, 6, 0}));
    add(scale.data(), {1, 1, 1, 2}, a.data(), {1, 1, 2, 2}, out.data(), {1, 1, 2, 2}, Activation::reluN1To1);
    EXPECT_EQ(out, (std::vector<float>{1, 1, 1, 1}));
}

TEST(TfliteKernels, PointwiseActivations) {
    const std::vector<float> input{-4, -1.5f, 0, 1, 4};
    std::vector<float> out(5);
    hardSwish(input.data(), out.data(), 5);
    EXPECT_FLOAT_EQ(out[0], 0);
    EXPECT_FLOAT_EQ(out[1], -1.5f * 1.5f / 6);
    EXPECT_FLOAT_EQ(out[3], 1 * 4.0f / 6);
    EXPECT_FLOAT_EQ(out[4], 4);
    relu(input.data(), out.data(), 5);
    EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 1, 4}));
    logistic(input.data(), out.data(), 5);
    EXPECT_FLOAT_EQ(out[2], 0.5f);
    EXPECT_NEAR(out[4], 0.98201379f, 1e-6);
}

TEST(TfliteKernels, ResizeBilinearModes) {
    const std::vector<float> input{0, 10}; // 1 × 1 × 2 × 1
    std::vector<float> out(4);
    resizeBilinear(input.data(), {1, 1, 2, 1}, out.data(), {1, 1, 4, 1}, false, false);
    EXPECT_EQ(out, (std::vector<float>{0, 5, 10, 10}));
    resizeBilinear(input.data(), {1, 1, 2, 1}, out.data(), {1, 1, 4, 1}, false, true);
    EXPECT_EQ(out, (std::vector<float>{0, 2.5f, 7.5f, 10}));
    std::vector<float> three(3);
    resizeBilinear(input.data(), {1, 1, 2, 1}, three.data(), {1, 1, 3, 1}, true, false);
    EXPECT_EQ(three, (std::vector<float>{0, 5, 10}));
}

TEST(TfliteKernels, TransposeConvScattersEachInputPixel) {
    // 1 × 1 × 2 × 1 input (1, 2), one 2 × 2 kernel [1 2; 3 4], stride 2, SAME: 2 × 4 output,
    // each input pixel writes its own 2 × 2 block; bias 0.5.
    const std::vector<float> input{1, 2};
    const std::vector<float> weights{1, 2, 3, 4};
    const std::vector<float> bias{0.5f};
    std::vector<float> out(8);
    transposeConvBias(input.data(), {1, 1, 2, 1}, weights.data(), 2, 2, bias, out.data(), {1, 2, 4, 1},
                      {Padding::same, 2, 2, 1, 1});
    EXPECT_EQ(out, (std::vector<float>{1.5f, 2.5f, 2.5f, 4.5f, 3.5f, 4.5f, 6.5f, 8.5f}));
    // Stride 1 with a 2 × 2 kernel, VALID: blocks overlap and add up.
    std::vector<float> overlap(6);
    transposeConvBias(input.data(), {1, 1, 2, 1}, weights.data(), 2, 2, {}, overlap.data(), {1, 2, 3, 1},
                      {Padding::valid, 1, 1, 1, 1});
    EXPECT_EQ(overlap, (std::vector<float>{1, 2 + 2, 4, 3, 4 + 6, 8}));
}

TEST(TfliteKernels, HalfPrecisionDecoding) {
    EXPECT_EQ(halfToFloat(0x3c00), 1.0f);
    EXPECT_EQ(halfToFloat(0xc000), -2.0f);
    EXPECT_EQ(halfToFloat(0x3555), 0.333251953125f);
    EXPECT_EQ(halfToFloat(0x0001), 5.9604644775390625e-08f); // smallest subnormal
    EXPECT_EQ(halfToFloat(0x7c00), std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(halfToFloat(0x7e00)));
}

TEST(TfliteModelFile, DamagedBytesAreRejectedNotRead) {
    const std::vector<std::uint8_t> empty;
    EXPECT_THROW(Model::fromBytes(empty), ModelError);
    // A root offset pointing past the end.
    const std::vector<std::uint8_t> pastEnd{0xff, 0xff, 0, 0, 0, 0, 0, 0};
    EXPECT_THROW(Model::fromBytes(pastEnd), ModelError);
    // A table whose directory offset points outside the file.
    const std::vector<std::uint8_t> badTable{4, 0, 0, 0, 0x00, 0x00, 0x00, 0x70};
    EXPECT_THROW(Model::fromBytes(badTable), ModelError);
    EXPECT_THROW(Model::fromFile(QStringLiteral("/nonexistent/model.tflite")), ModelError);
}

TEST(FlatBufferTable, ReadsFieldsAndDefaults) {
    // Hand-built: root offset → table at 12; its directory at 4 (size 8, table size 8) with
    // field 0 at +4 holding int32 42, field 1 absent.
    const std::vector<std::uint8_t> bytes{12, 0, 0, 0,      // root
                                          8, 0, 8, 0,       // vtable: 8 bytes, table 8 bytes
                                          4, 0, 0, 0,       // field 0 at +4, field 1 absent
                                          8, 0, 0, 0,       // table: soffset 8 → vtable at 4
                                          42, 0, 0, 0};     // field 0
    const FlatTable root = FlatTable::root(bytes);
    EXPECT_EQ(root.int32(0), 42);
    EXPECT_EQ(root.int32(1, 7), 7);
    EXPECT_FALSE(root.has(5));
    EXPECT_FALSE(root.table(1));
    // Field 0 read as an offset to a vector points past the end of the file.
    EXPECT_THROW(root.vector(0), ModelError);
}

} // namespace
