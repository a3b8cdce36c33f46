#include "core/imaging/tflite/TfliteKernels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <opencv2/core.hpp>

namespace tfl {

namespace {

inline float activate(float v, Activation activation) {
    switch (activation) {
    case Activation::none: return v;
    case Activation::relu: return std::max(v, 0.0f);
    case Activation::reluN1To1: return std::clamp(v, -1.0f, 1.0f);
    case Activation::relu6: return std::clamp(v, 0.0f, 6.0f);
    case Activation::tanh: return std::tanh(v);
    }
    return v;
}

inline std::int64_t offsetOf(Shape4 s, int n, int y, int x) {
    return ((static_cast<std::int64_t>(n) * s.h + y) * s.w + x) * s.c;
}

template <typename Op>
void broadcastBinary(const float* a, Shape4 sa, const float* b, Shape4 sb, float* output, Shape4 out,
                     Activation activation, Op op) {
    if (sa == out && sb == out) {
        const std::int64_t count = out.count();
        for (std::int64_t i = 0; i < count; ++i) output[i] = op(a[i], b[i]);
        applyActivation(output, count, activation);
        return;
    }
    // Strides of 0 along broadcast axes.
    auto strides = [](Shape4 s) {
        return std::array<std::int64_t, 4>{s.n == 1 ? 0 : static_cast<std::int64_t>(s.h) * s.w * s.c,
                                           s.h == 1 ? 0 : static_cast<std::int64_t>(s.w) * s.c,
                                           s.w == 1 ? 0 : static_cast<std::int64_t>(s.c), s.c == 1 ? 0 : 1};
    };
    const auto ta = strides(sa), tb = strides(sb);
    float* o = output;
    for (int n = 0; n < out.n; ++n)
        for (int y = 0; y < out.h; ++y)
            for (int x = 0; x < out.w; ++x) {
                const float* pa = a + n * ta[0] + y * ta[1] + x * ta[2];
                const float* pb = b + n * tb[0] + y * tb[1] + x * tb[2];
                if (ta[3] && tb[3]) {
                    for (int c = 0; c < out.c; ++c) o[c] = op(pa[c], pb[c]);
                } else {
                    for (int c = 0; c < out.c; ++c) o[c] = op(pa[c * ta[3]], pb[c * tb[3]]);
                }
                o += out.c;
            }
    applyActivation(output, out.count(), activation);
}

} // namespace

void applyActivation(float* values, std::int64_t count, Activation activation) {
    if (activation == Activation::none) return;
    for (std::int64_t i = 0; i < count; ++i) values[i] = activate(values[i], activation);
}

int convOutputSize(int input, int kernel, int stride, int dilation, Padding padding) {
    const int effective = (kernel - 1) * dilation + 1;
    if (padding == Padding::same) return (input + stride - 1) / stride;
    return input >= effective ? (input - effective) / stride + 1 : 0;
}

int convPaddingBefore(int input, int kernel, int stride, int dilation, int output) {
    const int effective = (kernel - 1) * dilation + 1;
    const int total = std::max((output - 1) * stride + effective - input, 0);
    return total / 2;
}

void packConvWeights(const float* weights, int outC, int kh, int kw, int inC, float* packed) {
    for (int o = 0; o < outC; ++o)
        for (int y = 0; y < kh; ++y)
            for (int x = 0; x < kw; ++x)
                for (int i = 0; i < inC; ++i)
                    packed[((static_cast<std::int64_t>(y) * kw + x) * inC + i) * outC + o] =
                        weights[((static_cast<std::int64_t>(o) * kh + y) * kw + x) * inC + i];
}

void conv2d(const float* input, Shape4 in, const float* packedWeights, int kh, int kw, std::span<const float> bias,
            float* output, Shape4 out, const Window& window, Activation activation) {
    const int padTop = window.padding == Padding::same
                           ? convPaddingBefore(in.h, kh, window.strideH, window.dilationH, out.h)
                           : 0;
    const int padLeft = window.padding == Padding::same
                            ? convPaddingBefore(in.w, kw, window.strideW, window.dilationW, out.w)
                            : 0;
    const int inC = in.c, outC = out.c;
    if (kh == 1 && kw == 1 && window.strideH == 1 && window.strideW == 1 && in.h == out.h && in.w == out.w) {
        // A pointwise convolution is one matrix product, pixels × input channels by input ×
        // output channels: most of a mobile network's time, handed to OpenCV's vectorised GEMM.
        const int pixels = static_cast<int>(static_cast<std::int64_t>(out.n) * out.h * out.w);
        const cv::Mat a(pixels, inC, CV_32F, const_cast<float*>(input));
        const cv::Mat w(inC, outC, CV_32F, const_cast<float*>(packedWeights));
        cv::Mat c(pixels, outC, CV_32F, output);
        cv::gemm(a, w, 1.0, cv::noArray(), 0.0, c);
        CV_Assert(c.data == reinterpret_cast<uchar*>(output));
        for (int p = 0; p < pixels; ++p) {
            float* __restrict acc = output + static_cast<std::int64_t>(p) * outC;
            if (!bias.empty())
                for (int o = 0; o < outC; ++o) acc[o] += bias[o];
            if (activation != Activation::none)
                for (int o = 0; o < outC; ++o) acc[o] = activate(acc[o], activation);
        }
        return;
    }
    for (int n = 0; n < out.n; ++n)
        for (int oy = 0; oy < out.h; ++oy)
            for (int ox = 0; ox < out.w; ++ox) {
                float* __restrict acc = output + offsetOf(out, n, oy, ox);
                if (bias.empty())
                    std::fill(acc, acc + outC, 0.0f);
                else
                    std::copy(bias.begin(), bias.begin() + outC, acc);
                for (int ky = 0; ky < kh; ++ky) {
                    const int iy = oy * window.strideH - padTop + ky * window.dilationH;
                    if (iy < 0 || iy >= in.h) continue;
                    for (int kx = 0; kx < kw; ++kx) {
                        const int ix = ox * window.strideW - padLeft + kx * window.dilationW;
                        if (ix < 0 || ix >= in.w) continue;
                        const float* __restrict src = input + offsetOf(in, n, iy, ix);
                        const float* __restrict w =
                            packedWeights + (static_cast<std::int64_t>(ky) * kw + kx) * inC * outC;
                        for (int i = 0; i < inC; ++i) {
                            const float v = src[i];
                            const float* __restrict row = w + static_cast<std::int64_t>(i) * outC;
                            for (int o = 0; o < outC; ++o) acc[o] += v * row[o];
                        }
                    }
                }
                if (activation != Activation::none)
                    for (int o = 0; o < outC; ++o) acc[o] = activate(acc[o], activation);
            }
}

void depthwiseConv2d(const float* input, Shape4 in, const float* weights, int kh, int kw, int multiplier,
                     std::span<const float> bias, float* output, Shape4 out, const Window& window,
                     Activation activation) {
    const int padTop = window.padding == Padding::same
                           ? convPaddingBefore(in.h, kh, window.strideH, window.dilationH, out.h)
                           : 0;
    const int padLeft = window.padding == Padding::same
                            ? convPaddingBefore(in.w, kw, window.strideW, window.dilationW, out.w)
                            : 0;
    const int outC = out.c;
    for (int n = 0; n < out.n; ++n)
        for (int oy = 0; oy < out.h; ++oy)
            for (int ox = 0; ox < out.w; ++ox) {
                float* __restrict acc = output + offsetOf(out, n, oy, ox);
                if (bias.empty())
                    std::fill(acc, acc + outC, 0.0f);
                else
                    std::copy(bias.begin(), bias.begin() + outC, acc);
                for (int ky = 0; ky < kh; ++ky) {
                    const int iy = oy * window.strideH - padTop + ky * window.dilationH;
                    if (iy < 0 || iy >= in.h) continue;
                    for (int kx = 0; kx < kw; ++kx) {
                        const int ix = ox * window.strideW - padLeft + kx * window.dilationW;
                        if (ix < 0 || ix >= in.w) continue;
                        const float* __restrict src = input + offsetOf(in, n, iy, ix);
                        const float* __restrict w = weights + (static_cast<std::int64_t>(ky) * kw + kx) * outC;
                        if (multiplier == 1) {
                            for (int c = 0; c < outC; ++c) acc[c] += src[c] * w[c];
                        } else {
                            for (int c = 0; c < outC; ++c) acc[c] += src[c / multiplier] * w[c];
                        }
                    }
                }
                if (activation != Activation::none)
                    for (int c = 0; c < outC; ++c) acc[c] = activate(acc[c], activation);
            }
}

namespace {

// The pooling windows of an output: for each output pixel, `start(acc)` sets its channels,
// `take(acc, src)` folds in the input pixel at each place of the window inside the picture,
// and `finish(acc, samples)` ends it with the count of those places.
template <class Start, class Take, class Finish>
void pool2d(const float* input, Shape4 in, int filterW, int filterH, float* output, Shape4 out,
            const Window& window, Start start, Take take, Finish finish) {
    const int padTop = window.padding == Padding::same ? convPaddingBefore(in.h, filterH, window.strideH, 1, out.h) : 0;
    const int padLeft = window.padding == Padding::same ? convPaddingBefore(in.w, filterW, window.strideW, 1, out.w) : 0;
    for (int n = 0; n < out.n; ++n)
        for (int oy = 0; oy < out.h; ++oy)
            for (int ox = 0; ox < out.w; ++ox) {
                float* acc = output + offsetOf(out, n, oy, ox);
                start(acc);
                const int y0 = std::max(oy * window.strideH - padTop, 0);
                const int y1 = std::min(oy * window.strideH - padTop + filterH, in.h);
                const int x0 = std::max(ox * window.strideW - padLeft, 0);
                const int x1 = std::min(ox * window.strideW - padLeft + filterW, in.w);
                int samples = 0;
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x, ++samples) take(acc, input + offsetOf(in, n, y, x));
                finish(acc, samples);
            }
}

} // namespace

void averagePool2d(const float* input, Shape4 in, int filterW, int filterH, float* output, Shape4 out,
                   const Window& window, Activation activation) {
    const int channels = out.c;
    pool2d(
        input, in, filterW, filterH, output, out, window, [&](float* acc) { std::fill(acc, acc + channels, 0.0f); },
        [&](float* acc, const float* src) {
            for (int c = 0; c < channels; ++c) acc[c] += src[c];
        },
        [&](float* acc, int samples) {
            const float scale = samples > 0 ? 1.0f / samples : 0.0f;
            for (int c = 0; c < channels; ++c) acc[c] = activate(acc[c] * scale, activation);
        });
}

void maxPool2d(const float* input, Shape4 in, int filterW, int filterH, float* output, Shape4 out,
               const Window& window, Activation activation) {
    const int channels = out.c;
    pool2d(
        input, in, filterW, filterH, output, out, window,
        [&](float* acc) { std::fill(acc, acc + channels, -std::numeric_limits<float>::infinity()); },
        [&](float* acc, const float* src) {
            for (int c = 0; c < channels; ++c) acc[c] = std::max(acc[c], src[c]);
        },
        [&](float* acc, int) {
            // A window wholly in the padding has no value: TFLite leaves it at the lowest float.
            for (int c = 0; c < channels; ++c) {
                if (std::isinf(acc[c])) acc[c] = std::numeric_limits<float>::lowest();
                acc[c] = activate(acc[c], activation);
            }
        });
}

void pad(const float* input, Shape4 in, const int (&before)[4], float* output, Shape4 out) {
    std::fill(output, output + out.count(), 0.0f);
    for (int n = 0; n < in.n; ++n)
        for (int y = 0; y < in.h; ++y)
            for (int x = 0; x < in.w; ++x) {
                const float* src = input + offsetOf(in, n, y, x);
                float* dst = output + offsetOf(out, n + before[0], y + before[1], x + before[2]) + before[3];
                std::copy(src, src + in.c, dst);
            }
}

void add(const float* a, Shape4 sa, const float* b, Shape4 sb, float* output, Shape4 out, Activation activation) {
    broadcastBinary(a, sa, b, sb, output, out, activation, [](float x, float y) { return x + y; });
}

void mul(const float* a, Shape4 sa, const float* b, Shape4 sb, float* output, Shape4 out, Activation activation) {
    broadcastBinary(a, sa, b, sb, output, out, activation, [](float x, float y) { return x * y; });
}

void relu(const float* input, float* output, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) output[i] = std::max(input[i], 0.0f);
}

void hardSwish(const float* input, float* output, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        const float x = input[i];
        output[i] = x * std::clamp(x + 3.0f, 0.0f, 6.0f) * (1.0f / 6.0f);
    }
}

void logistic(const float* input, float* output, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) output[i] = 1.0f / (1.0f + std::exp(-input[i]));
}

void resizeBilinear(const float* input, Shape4 in, float* output, Shape4 out, bool alignCorners,
                    bool halfPixelCenters) {
    auto scaleOf = [&](int inSize, int outSize) {
        return alignCorners && outSize > 1 ? static_cast<float>(inSize - 1) / (outSize - 1)
                                           : static_cast<float>(inSize) / outSize;
    };
    const float scaleY = scaleOf(in.h, out.h), scaleX = scaleOf(in.w, out.w);
    auto locate = [&](int index, float scale, int inSize, int& lower, int& upper) {
        const float position = halfPixelCenters ? (index + 0.5f) * scale - 0.5f : index * scale;
        lower = std::max(static_cast<int>(std::floor(position)), 0);
        upper = std::min(static_cast<int>(std::ceil(position)), inSize - 1);
        return position;
    };
    const int channels = out.c;
    for (int n = 0; n < out.n; ++n)
        for (int y = 0; y < out.h; ++y) {
            int y0, y1;
            const float fy = locate(y, scaleY, in.h, y0, y1);
            const float dy = fy - y0;
            for (int x = 0; x < out.w; ++x) {
                int x0, x1;
                const float fx = locate(x, scaleX, in.w, x0, x1);
                const float dx = fx - x0;
                const float* p00 = input + offsetOf(in, n, y0, x0);
                const float* p01 = input + offsetOf(in, n, y0, x1);
                const float* p10 = input + offsetOf(in, n, y1, x0);
                const float* p11 = input + offsetOf(in, n, y1, x1);
                float* o = output + offsetOf(out, n, y, x);
                const float w00 = (1 - dy) * (1 - dx), w01 = (1 - dy) * dx, w10 = dy * (1 - dx), w11 = dy * dx;
                for (int c = 0; c < channels; ++c) o[c] = p00[c] * w00 + p01[c] * w01 + p10[c] * w10 + p11[c] * w11;
            }
        }
}

void transposeConvBias(const float* input, Shape4 in, const float* weights, int kh, int kw,
                       std::span<const float> bias, float* output, Shape4 out, const Window& window) {
    int padTop = 0, padLeft = 0;
    if (window.padding == Padding::same) {
        padTop = std::max((in.h - 1) * window.strideH + kh - out.h, 0) / 2;
        padLeft = std::max((in.w - 1) * window.strideW + kw - out.w, 0) / 2;
    }
    const int inC = in.c, outC = out.c;
    for (int n = 0; n < out.n; ++n)
        for (int y = 0; y < out.h; ++y)
            for (int x = 0; x < out.w; ++x) {
                float* o = output + offsetOf(out, n, y, x);
                for (int c = 0; c < outC; ++c) o[c] = bias.empty() ? 0.0f : bias[c];
            }
    for (int n = 0; n < in.n; ++n)
        for (int iy = 0; iy < in.h; ++iy)
            for (int ix = 0; ix < in.w; ++ix) {
                const float* src = input + offsetOf(in, n, iy, ix);
                for (int ky = 0; ky < kh; ++ky) {
                    const int oy = iy * window.strideH + ky - padTop;
                    if (oy < 0 || oy >= out.h) continue;
                    for (int kx = 0; kx < kw; ++kx) {
                        const int ox = ix * window.strideW + kx - padLeft;
                        if (ox < 0 || ox >= out.w) continue;
                        float* o = output + offsetOf(out, n, oy, ox);
                        for (int c = 0; c < outC; ++c) {
                            const float* w = weights + ((static_cast<std::int64_t>(c) * kh + ky) * kw + kx) * inC;
                            float sum = 0;
                            for (int i = 0; i < inC; ++i) sum += src[i] * w[i];
                            o[c] += sum;
                        }
                    }
                }
            }
}

float halfToFloat(std::uint16_t half) {
    const std::uint32_t sign = (half & 0x8000u) << 16;
    const std::uint32_t exponent = (half >> 10) & 0x1f;
    std::uint32_t mantissa = half & 0x3ffu;
    std::uint32_t bits;
    if (exponent == 0) {
        if (mantissa == 0) {
            bits = sign;
        } else { // subnormal: normalise
            int e = -1;
            do {
                ++e;
                mantissa <<= 1;
            } while ((mantissa & 0x400u) == 0);
            bits = sign | static_cast<std::uint32_t>(127 - 15 - e) << 23 | (mantissa & 0x3ffu) << 13;
        }
    } else if (exponent == 31) {
        bits = sign | 0x7f800000u | mantissa << 13;
    } else {
        bits = sign | (exponent + 127 - 15) << 23 | mantissa << 13;
    }
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace tfl
