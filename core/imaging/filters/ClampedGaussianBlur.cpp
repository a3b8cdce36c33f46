#include "core/imaging/filters/ClampedGaussianBlur.h"

#include "core/common/ImageLimits.h"

#include <QColorSpace>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cstdint>
#include <cmath>
#include <vector>

namespace {

// One 1-D smoothing pass: a box of 2·half + 1 taps, or (for small sigmas) explicit weights.
struct Pass {
    int half = 0;
    std::vector<float> weights; // empty: box
};

// Below this sigma three boxes approximate the bell poorly (their widths jump in steps of two),
// while a direct kernel is still only a handful of taps.
constexpr double kDirectKernelLimit = 2.0;

// Three box passes whose summed variance matches sigma², with widths differing by at most two
// (the usual construction of an extended box blur).
std::vector<Pass> passesFor(double sigma) {
    std::vector<Pass> passes;
    if (sigma < kDirectKernelLimit) {
        Pass pass;
        pass.half = static_cast<int>(std::ceil(3.0 * sigma));
        double sum = 0;
        for (int i = -pass.half; i <= pass.half; ++i) {
            const double w = std::exp(-(i * i) / (2.0 * sigma * sigma));
            pass.weights.push_back(static_cast<float>(w));
            sum += w;
        }
        for (auto& w : pass.weights) w = static_cast<float>(w / sum);
        passes.push_back(std::move(pass));
        return passes;
    }
    constexpr int n = 3;
    const double variance = sigma * sigma;
    int lower = static_cast<int>(std::floor(std::sqrt(12.0 * variance / n + 1.0)));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const double ideal = (12.0 * variance - n * lower * lower - 4.0 * n * lower - 3.0 * n) / (-4.0 * lower - 4.0);
    const int lowerCount = std::clamp(static_cast<int>(std::lround(ideal)), 0, n);
    for (int i = 0; i < n; ++i) passes.push_back(Pass{(i < lowerCount ? lower : upper) / 2, {}});
    return passes;
}

// `in` holds `count` elements of `stride` floats, `step` floats apart; `out` receives
// count − 2·half of them, each the pass applied over the window starting at the same index
// ("valid" convolution: the caller supplies the margin). Box sums run in float: over the few
// thousand steps of one line their drift stays far below one 8-bit level.
void runPass(const Pass& pass, const float* in, float* out, int count, int stride, std::ptrdiff_t step,
             std::vector<float>& sum) {
    const int outCount = count - 2 * pass.half;
    if (outCount <= 0) return;
    const int taps = 2 * pass.half + 1;
    if (!pass.weights.empty()) {
        for (int i = 0; i < outCount; ++i) {
            float* __restrict o = out + i * step;
            for (int c = 0; c < stride; ++c) o[c] = 0;
            for (int t = 0; t < taps; ++t) {
                const float w = pass.weights[t];
                const float* __restrict s = in + (i + t) * step;
                for (int c = 0; c < stride; ++c) o[c] += w * s[c];
            }
        }
        return;
    }
    const float scale = 1.0f / static_cast<float>(taps);
    sum.assign(stride, 0.0f);
    float* __restrict acc = sum.data();
    for (int t = 0; t < taps; ++t) {
        const float* __restrict s = in + t * step;
        for (int c = 0; c < stride; ++c) acc[c] += s[c];
    }
    for (int i = 0; i < outCount; ++i) {
        float* __restrict o = out + i * step;
        for (int c = 0; c < stride; ++c) o[c] = acc[c] * scale;
        if (i + 1 < outCount) {
            const float* __restrict add = in + (i + taps) * step;
            const float* __restrict sub = in + i * step;
            for (int c = 0; c < stride; ++c) acc[c] += add[c] - sub[c];
        }
    }
}

// The same along one row of 1- or 4-channel pixels, with the running sums held in registers.
template <int Channels>
void runRowBox(int half, const float* in, float* out, int count) {
    const int outCount = count - 2 * half;
    if (outCount <= 0) return;
    const int taps = 2 * half + 1;
    const float scale = 1.0f / static_cast<float>(taps);
    float acc[Channels] = {};
    for (int t = 0; t < taps; ++t)
        for (int c = 0; c < Channels; ++c) acc[c] += in[t * Channels + c];
    for (int i = 0; i < outCount; ++i) {
        for (int c = 0; c < Channels; ++c) out[i * Channels + c] = acc[c] * scale;
        if (i + 1 < outCount)
            for (int c = 0; c < Channels; ++c) acc[c] += in[(i + taps) * Channels + c] - in[i * Channels + c];
    }
}

void runRowPass(const Pass& pass, const float* in, float* out, int count, int channels, std::vector<float>& sum) {
    if (!pass.weights.empty()) return runPass(pass, in, out, count, channels, channels, sum);
    if (channels == 4) return runRowBox<4>(pass.half, in, out, count);
    runRowBox<1>(pass.half, in, out, count);
}

struct Band {
    int firstRow; // of the region
    int rows;
};

} // namespace

std::optional<QImage> clampedGaussianBlurRegion(const QImage& image, double sigma, const QRect& region) {
    if (region.isEmpty() || image.isNull() || std::isnan(sigma)) return std::nullopt;
    if (!isDecodableSize(region.width(), region.height())) return std::nullopt;
    // Masks (one channel) are blurred as they are; everything else as premultiplied RGBA.
    const bool mask = image.format() == QImage::Format_Alpha8 || image.format() == QImage::Format_Grayscale8;
    const QImage source = mask || image.format() == QImage::Format_RGBA8888_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int channels = mask ? 1 : 4;
    QImage out(region.size(), source.format());
    if (out.isNull()) return std::nullopt;
    out.setColorSpace(source.colorSpace());

    // Beyond a few image sizes a wider bell changes nothing visible, but would cost margin memory.
    sigma = std::min(sigma, 1.0 * std::max(source.width(), source.height()));
    const std::vector<Pass> passes = sigma > 0 ? passesFor(sigma) : std::vector<Pass>{};
    int support = 0;
    for (const auto& pass : passes) support += pass.half;
    const int width = region.width();
    const int workWidth = width + 2 * support;
    const int maxX = source.width() - 1;
    const int maxY = source.height() - 1;

    // Output rows are produced in independent bands; each band reads its own margin of
    // `support` rows above and below, so bands share nothing but the source.
    const int bandRows = std::clamp((region.height() + 3) / 4, 64, std::max(256, 2 * support));
    std::vector<Band> bands;
    for (int row = 0; row < region.height(); row += bandRows)
        bands.push_back({row, std::min(bandRows, region.height() - row)});

    std::vector<int> columns(workWidth);
    // In 64 bits: a region may lie anywhere, even at the far ends of int, and is clamped onto the image.
    for (int x = 0; x < workWidth; ++x)
        columns[x] = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{region.left()} - support + x, 0, maxX));

    auto runBand = [&](const Band& band) {
        const int workRows = band.rows + 2 * support;
        const int rowFloats = width * channels;
        std::vector<float> horizontal(static_cast<std::size_t>(workRows) * rowFloats);
        std::vector<float> rowIn(static_cast<std::size_t>(workWidth) * channels);
        std::vector<float> rowOut(static_cast<std::size_t>(workWidth) * channels);
        std::vector<float> sum;
        for (int r = 0; r < workRows; ++r) {
            const int sy = static_cast<int>(
                std::clamp<std::int64_t>(std::int64_t{region.top()} + band.firstRow - support + r, 0, maxY));
            const uchar* line = source.constScanLine(sy);
            if (channels == 1) {
                for (int x = 0; x < workWidth; ++x) rowIn[x] = line[columns[x]];
            } else {
                for (int x = 0; x < workWidth; ++x) {
                    const uchar* p = line + columns[x] * 4;
                    float* d = rowIn.data() + x * 4;
                    d[0] = p[0], d[1] = p[1], d[2] = p[2], d[3] = p[3];
                }
            }
            int count = workWidth;
            float* in = rowIn.data();
            float* result = rowOut.data();
            for (const auto& pass : passes) {
                runRowPass(pass, in, result, count, channels, sum);
                count -= 2 * pass.half;
                std::swap(in, result);
            }
            std::copy(in, in + rowFloats, horizontal.data() + static_cast<std::size_t>(r) * rowFloats);
        }
        // Vertical passes treat a whole row as one wide element, so the running sums stream
        // through memory row by row instead of striding down columns.
        std::vector<float> scratch(horizontal.size());
        float* in = horizontal.data();
        float* result = scratch.data();
        int count = workRows;
        for (const auto& pass : passes) {
            runPass(pass, in, result, count, rowFloats, rowFloats, sum);
            count -= 2 * pass.half;
            std::swap(in, result);
        }
        for (int r = 0; r < band.rows; ++r) {
            const float* s = in + static_cast<std::size_t>(r) * rowFloats;
            uchar* d = out.scanLine(band.firstRow + r);
            // Values are sums of non-negative samples: adding a half and truncating rounds them.
            if (channels == 1) {
                for (int x = 0; x < width; ++x) d[x] = static_cast<uchar>(std::min(s[x] + 0.5f, 255.0f));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const uchar a = static_cast<uchar>(std::min(s[x * 4 + 3] + 0.5f, 255.0f));
                d[x * 4 + 3] = a;
                for (int c = 0; c < 3; ++c)
                    d[x * 4 + c] = std::min(static_cast<uchar>(std::min(s[x * 4 + c] + 0.5f, 255.0f)), a);
            }
        }
    };

    const qint64 work = static_cast<qint64>(region.width()) * region.height();
    if (bands.size() > 1 && work > 200'000)
        QtConcurrent::blockingMap(bands, runBand);
    else
        for (const auto& band : bands) runBand(band);
    return out;
}

QImage clampedGaussianBlur(const QImage& image, double sigma) {
    if (image.isNull() || !(sigma > 0)) return image;
    auto blurred = clampedGaussianBlurRegion(image, sigma, image.rect());
    return blurred ? *blurred : image;
}
