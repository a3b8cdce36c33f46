#include "core/imaging/filters/ClampedGaussianBlur.h"

#include "core/common/ImageLimits.h"

#include <QColorSpace>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
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

// One piece of the output: `rows` rows from `firstRow` and `columns` columns from `firstColumn`
// of the region. Each tile reads its own margin, so tiles share nothing but the source.
struct Tile {
    int firstRow;
    int rows;
    int firstColumn;
    int columns;
};

// Working memory of one tile (its two float buffers) is kept near this: a wide region blurred by
// a large sigma would otherwise need rows × the region's width of floats per band.
constexpr std::int64_t kTileBudgetBytes = 24 << 20;

// Beyond this sigma the blur runs on a copy reduced so that the sigma there is about
// kReducedSigma, then is enlarged bilinearly: a bell that wide carries no detail the reduced
// copy loses, and the cost and memory drop with the square of the reduction. (A heal the size
// of a 280 MP photo blurs by sigma ≈ 2400: at full size that is tens of gigabytes of margins.)
constexpr double kReducedAbove = 64.0;
constexpr double kReducedSigma = 16.0;

// The region of the clamped image blurred through a copy reduced `factor` times.
std::optional<QImage> reducedBlurRegion(const QImage& source, double sigma, const QRect& region,
                                        int channels) {
    const int factor = std::max(2, static_cast<int>(sigma / kReducedSigma));
    // The reduced copy covers the region and the reach of the bell around it; pixels outside
    // the image repeat its edges, as the full-size blur's clamping does.
    const std::int64_t margin = static_cast<std::int64_t>(std::ceil(3.5 * sigma)) + 2 * factor;
    const std::int64_t originX = std::int64_t{region.left()} - margin;
    const std::int64_t originY = std::int64_t{region.top()} - margin;
    const int reducedWidth = static_cast<int>((region.width() + 2 * margin + factor - 1) / factor);
    const int reducedHeight = static_cast<int>((region.height() + 2 * margin + factor - 1) / factor);
    if (!isDecodableSize(reducedWidth, reducedHeight)) return std::nullopt;
    QImage reduced(reducedWidth, reducedHeight, source.format());
    if (reduced.isNull()) return std::nullopt;
    const int maxX = source.width() - 1;
    const int maxY = source.height() - 1;
    // Each reduced pixel is the mean of its block, read on a lattice of at most 8 × 8 samples:
    // the blur that follows averages hundreds of blocks, so a sparser mean changes nothing seen.
    const int step = std::max(1, factor / 8);
    std::vector<int> sampleColumns;
    for (int i = 0; i < reducedWidth; ++i)
        for (int k = step / 2; k < factor; k += step)
            sampleColumns.push_back(
                static_cast<int>(std::clamp<std::int64_t>(originX + std::int64_t{i} * factor + k, 0, maxX)));
    const int perBlock = static_cast<int>(sampleColumns.size()) / reducedWidth;
    auto reduceRow = [&](int j) {
        std::vector<std::uint32_t> sums(static_cast<std::size_t>(reducedWidth) * channels, 0);
        int samples = 0;
        for (int k = step / 2; k < factor; k += step, ++samples) {
            const int sy =
                static_cast<int>(std::clamp<std::int64_t>(originY + std::int64_t{j} * factor + k, 0, maxY));
            const uchar* line = source.constScanLine(sy);
            const int* column = sampleColumns.data();
            for (int i = 0; i < reducedWidth; ++i)
                for (int n = 0; n < perBlock; ++n, ++column)
                    for (int c = 0; c < channels; ++c)
                        sums[i * channels + c] += line[*column * channels + c];
        }
        const std::uint32_t count = static_cast<std::uint32_t>(samples * perBlock);
        uchar* d = reduced.scanLine(j);
        for (int i = 0; i < reducedWidth * channels; ++i)
            d[i] = static_cast<uchar>((sums[i] + count / 2) / count);
    };
    std::vector<int> reducedRows(reducedHeight);
    std::iota(reducedRows.begin(), reducedRows.end(), 0);
    QtConcurrent::blockingMap(reducedRows, reduceRow);

    // Block averaging and bilinear enlarging each spread a little; the reduced blur makes up the rest.
    const double reducedSigma = std::sqrt(std::max(sigma * sigma / (double(factor) * factor) - 0.25, 1.0));
    const auto blurred = clampedGaussianBlurRegion(reduced, reducedSigma, reduced.rect());
    if (!blurred) return std::nullopt;

    QImage out(region.size(), source.format());
    if (out.isNull()) return std::nullopt;
    out.setColorSpace(source.colorSpace());
    // Bilinear between reduced pixel centres: where output pixel x falls on the reduced grid.
    struct Tap {
        int first;
        int second;
        float weight; // of the second
    };
    auto taps = [&](int count, std::int64_t start, std::int64_t origin, int limit) {
        std::vector<Tap> result(count);
        for (int i = 0; i < count; ++i) {
            const double at = (double(start + i - origin) + 0.5) / factor - 0.5;
            const double whole = std::floor(at);
            const int first = static_cast<int>(std::clamp<double>(whole, 0, limit - 1));
            const int second = static_cast<int>(std::clamp<double>(whole + 1, 0, limit - 1));
            result[i] = {first, second, static_cast<float>(at - whole)};
        }
        return result;
    };
    const std::vector<Tap> columnTaps = taps(region.width(), region.left(), originX, reducedWidth);
    const std::vector<Tap> rowTaps = taps(region.height(), region.top(), originY, reducedHeight);
    auto enlargeRow = [&](int y) {
        const Tap& rowTap = rowTaps[y];
        const uchar* upper = blurred->constScanLine(rowTap.first);
        const uchar* lower = blurred->constScanLine(rowTap.second);
        uchar* d = out.scanLine(y);
        for (int x = 0; x < region.width(); ++x) {
            const Tap& t = columnTaps[x];
            for (int c = 0; c < channels; ++c) {
                const float top = upper[t.first * channels + c] +
                                  t.weight * (upper[t.second * channels + c] - upper[t.first * channels + c]);
                const float bottom =
                    lower[t.first * channels + c] +
                    t.weight * (lower[t.second * channels + c] - lower[t.first * channels + c]);
                d[x * channels + c] = static_cast<uchar>(top + rowTap.weight * (bottom - top) + 0.5f);
            }
        }
    };
    std::vector<int> outputRows(region.height());
    std::iota(outputRows.begin(), outputRows.end(), 0);
    QtConcurrent::blockingMap(outputRows, enlargeRow);
    return out;
}

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

    // Beyond a few image sizes a wider bell changes nothing visible, but would cost margin memory.
    sigma = std::min(sigma, 1.0 * std::max(source.width(), source.height()));
    if (sigma > kReducedAbove) return reducedBlurRegion(source, sigma, region, channels);

    QImage out(region.size(), source.format());
    if (out.isNull()) return std::nullopt;
    out.setColorSpace(source.colorSpace());
    const std::vector<Pass> passes = sigma > 0 ? passesFor(sigma) : std::vector<Pass>{};
    int support = 0;
    for (const auto& pass : passes) support += pass.half;
    const int width = region.width();
    const int maxX = source.width() - 1;
    const int maxY = source.height() - 1;

    // Output rows are produced in independent bands, and wide regions in column strips, each
    // with its own margin of `support` pixels.
    const int bandRows = std::clamp((region.height() + 3) / 4, 64, std::max(256, 2 * support));
    const std::int64_t bytesPerColumn = std::int64_t{bandRows + 2 * support} * channels * sizeof(float) * 2;
    const int stripColumns = static_cast<int>(
        std::clamp<std::int64_t>(kTileBudgetBytes / bytesPerColumn, std::max(64, 2 * support), width));
    std::vector<Tile> tiles;
    for (int row = 0; row < region.height(); row += bandRows)
        for (int column = 0; column < width; column += stripColumns)
            tiles.push_back({row, std::min(bandRows, region.height() - row), column,
                             std::min(stripColumns, width - column)});

    std::vector<int> columns(width + 2 * support);
    // In 64 bits: a region may lie anywhere, even at the far ends of int, and is clamped onto the image.
    for (int x = 0; x < width + 2 * support; ++x)
        columns[x] = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{region.left()} - support + x, 0, maxX));

    auto runTile = [&](const Tile& tile) {
        const int workRows = tile.rows + 2 * support;
        const int workWidth = tile.columns + 2 * support;
        const int rowFloats = tile.columns * channels;
        const int* tileColumns = columns.data() + tile.firstColumn;
        std::vector<float> horizontal(static_cast<std::size_t>(workRows) * rowFloats);
        std::vector<float> rowIn(static_cast<std::size_t>(workWidth) * channels);
        std::vector<float> rowOut(static_cast<std::size_t>(workWidth) * channels);
        std::vector<float> sum;
        for (int r = 0; r < workRows; ++r) {
            const int sy = static_cast<int>(
                std::clamp<std::int64_t>(std::int64_t{region.top()} + tile.firstRow - support + r, 0, maxY));
            const uchar* line = source.constScanLine(sy);
            if (channels == 1) {
                for (int x = 0; x < workWidth; ++x)
                    rowIn[x] = line[tileColumns[x]];
            } else {
                for (int x = 0; x < workWidth; ++x) {
                    const uchar* p = line + tileColumns[x] * 4;
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
        for (int r = 0; r < tile.rows; ++r) {
            const float* s = in + static_cast<std::size_t>(r) * rowFloats;
            uchar* d =
                out.scanLine(tile.firstRow + r) + static_cast<std::size_t>(tile.firstColumn) * channels;
            // Values are sums of non-negative samples: adding a half and truncating rounds them.
            if (channels == 1) {
                for (int x = 0; x < tile.columns; ++x)
                    d[x] = static_cast<uchar>(std::min(s[x] + 0.5f, 255.0f));
                continue;
            }
            for (int x = 0; x < tile.columns; ++x) {
                const uchar a = static_cast<uchar>(std::min(s[x * 4 + 3] + 0.5f, 255.0f));
                d[x * 4 + 3] = a;
                for (int c = 0; c < 3; ++c)
                    d[x * 4 + c] = std::min(static_cast<uchar>(std::min(s[x * 4 + c] + 0.5f, 255.0f)), a);
            }
        }
    };

    const qint64 work = static_cast<qint64>(region.width()) * region.height();
    if (tiles.size() > 1 && work > 200'000)
        QtConcurrent::blockingMap(tiles, runTile);
    else
        for (const auto& tile : tiles)
            runTile(tile);
    return out;
}

QImage clampedGaussianBlur(const QImage& image, double sigma) {
    if (image.isNull() || !(sigma > 0)) return image;
    auto blurred = clampedGaussianBlurRegion(image, sigma, image.rect());
    return blurred ? *blurred : image;
}
