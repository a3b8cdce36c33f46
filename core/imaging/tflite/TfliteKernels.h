#pragma once

#include <cstdint>
#include <span>

// Float32 kernels of the operators the segmentation model uses, on NHWC tensors. Callers check
// that shapes agree (the interpreter does when it loads a model); the kernels trust them. Inner
// loops run over channels, which are contiguous.
namespace tfl {

struct Shape4 {
    int n = 1, h = 1, w = 1, c = 1;
    std::int64_t count() const { return static_cast<std::int64_t>(n) * h * w * c; }
    bool operator==(const Shape4&) const = default;
};

enum class Activation { none = 0, relu = 1, reluN1To1 = 2, relu6 = 3, tanh = 4 };
enum class Padding { same, valid };

void applyActivation(float* values, std::int64_t count, Activation activation);

struct Window {
    Padding padding = Padding::same;
    int strideW = 1, strideH = 1;
    int dilationW = 1, dilationH = 1;
};

// Output extent along one axis, and the padding before the first sample.
int convOutputSize(int input, int kernel, int stride, int dilation, Padding padding);
int convPaddingBefore(int input, int kernel, int stride, int dilation, int output);

// Conv2D with weights packed as [kh][kw][inC][outC] (see packConvWeights); bias may be empty.
void conv2d(const float* input, Shape4 in, const float* packedWeights, int kh, int kw, std::span<const float> bias,
            float* output, Shape4 out, const Window& window, Activation activation);
// TFLite's [outC][kh][kw][inC] order to [kh][kw][inC][outC].
void packConvWeights(const float* weights, int outC, int kh, int kw, int inC, float* packed);

// Depthwise conv; weights [1][kh][kw][outC] with outC = inC × multiplier.
void depthwiseConv2d(const float* input, Shape4 in, const float* weights, int kh, int kw, int multiplier,
                     std::span<const float> bias, float* output, Shape4 out, const Window& window,
                     Activation activation);

// Average over the in-image part of each window (padding is not counted).
void averagePool2d(const float* input, Shape4 in, int filterW, int filterH, float* output, Shape4 out,
                   const Window& window, Activation activation);

// Largest value of the in-image part of each window (padding never wins).
void maxPool2d(const float* input, Shape4 in, int filterW, int filterH, float* output, Shape4 out,
               const Window& window, Activation activation);

// Zero padding: out has in's extent plus before[a] + after[a] along each NHWC axis a; before
// holds the four leading amounts.
void pad(const float* input, Shape4 in, const int (&before)[4], float* output, Shape4 out);

// Elementwise with NumPy broadcasting on the four NHWC axes (each axis equal or 1).
void add(const float* a, Shape4 sa, const float* b, Shape4 sb, float* output, Shape4 out, Activation activation);
void mul(const float* a, Shape4 sa, const float* b, Shape4 sb, float* output, Shape4 out, Activation activation);

void relu(const float* input, float* output, std::int64_t count);
void hardSwish(const float* input, float* output, std::int64_t count);
void logistic(const float* input, float* output, std::int64_t count);

void resizeBilinear(const float* input, Shape4 in, float* output, Shape4 out, bool alignCorners,
                    bool halfPixelCenters);

// Transposed convolution plus bias (MediaPipe's Convolution2DTransposeBias); weights
// [outC][kh][kw][inC].
void transposeConvBias(const float* input, Shape4 in, const float* weights, int kh, int kw,
                       std::span<const float> bias, float* output, Shape4 out, const Window& window);

float halfToFloat(std::uint16_t half);

} // namespace tfl
