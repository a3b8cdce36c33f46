#include "core/imaging/filters/BlurredLuminance.h"

#include "core/imaging/filters/GaussianBlur.h"
#include "core/imaging/filters/PixelRow.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

BlurredLuminance::BlurredLuminance(int frameWidth, int frameHeight, double sigma, bool sparseRows,
                                   bool compact)
    : frameWidth_(std::max(frameWidth, 1)), frameHeight_(std::max(frameHeight, 1)),
      sigma_(std::isfinite(sigma) ? std::clamp(sigma, 0.0, 1e6) : 0.0),
      factor_(int(std::clamp(std::floor(sigma_ / 3.0), 1.0, double(std::max(frameWidth_, frameHeight_))))),
      sparse_(sparseRows && factor_ > 1), compact_(compact) {
    width_ = (frameWidth_ + factor_ - 1) / factor_;
    height_ = (frameHeight_ + factor_ - 1) / factor_;
    deferred_ = factor_ == 1 && sigma_ < 2.0;
    if (deferred_) {
        if (compact_)
            raw_.reset(new std::uint16_t[size_t(width_) * height_]);
        else
            plane_.reset(new float[size_t(width_) * height_]);
        // Taps out to where the Gaussian falls below a thousandth of its centre (3.7 σ): each
        // one further would change the result by less than that. At the preview's σ of half a
        // pixel that is one tap each side, where 3 σ rounded up would read two.
        const int radius = sigma_ >= 0.2 ? int(std::floor(sigma_ * std::sqrt(2.0 * std::log(1000.0)))) : 0;
        kernel_.resize(2 * radius + 1);
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += kernel_[i + radius] = radius ? float(std::exp(-0.5 * i * i / (sigma_ * sigma_))) : 1.0f;
        for (float& k : kernel_)
            k = float(k / sum);
    } else {
        const size_t size = size_t(width_) * height_;
        plane_.reset(factor_ == 1 ? new float[size] : new float[size]());
    }
    weights_.assign(height_, 0.0f);
    if (factor_ > 1) {
        // Where each frame column falls between two stored columns (the right one is index + 1,
        // which past the last column reads a copy of it).
        columnIndex_.resize(frameWidth_);
        columnWeight_.resize(frameWidth_);
        const float inv = 1.0f / float(factor_);
        for (int x = 0; x < frameWidth_; ++x) {
            const float fx = std::clamp((float(x) + 0.5f) * inv - 0.5f, 0.0f, float(width_ - 1));
            const int c0 = std::min(int(fx), width_ - 1);
            columnIndex_[x] = c0;
            columnWeight_[x] = c0 + 1 < width_ ? fx - float(c0) : 0.0f;
        }
    }
}

namespace {
constexpr float kRawScale = 65535.0f / 2.0f; // −0.5 ... 1.5 onto 0 ... 65535

// Luminance rows of a deferred plane into its 16-bit codes (lane-parallel).
TAVI_PIXEL_KERNEL void quantise(const float* luma, int count, std::uint16_t* out) {
    for (int x = 0; x < count; ++x)
        out[x] = std::uint16_t(std::clamp((luma[x] + 0.5f) * kRawScale + 0.5f, 0.0f, 65535.0f));
}
// Block means of a row added to a reduced row: out[i] += mean of luma[i F ... i F + F − 1]. The
// common factors get a loop of fixed block length, which the compiler runs lane-parallel over
// blocks (each lane sums its own block in order, so the result is the scalar loop's).
template <int F>
[[gnu::always_inline]] inline void addBlockMeans(const float* __restrict luma, int blocks,
                                                 float* __restrict out) {
    for (int i = 0; i < blocks; ++i) {
        float sum = 0;
        for (int x = 0; x < F; ++x)
            sum += luma[i * F + x];
        out[i] += sum / float(F);
    }
}

TAVI_PIXEL_KERNEL void addBlockMeans(const float* __restrict luma, int factor, int blocks,
                                     float* __restrict out) {
    switch (factor) {
    case 2:
        return addBlockMeans<2>(luma, blocks, out);
    case 3:
        return addBlockMeans<3>(luma, blocks, out);
    case 4:
        return addBlockMeans<4>(luma, blocks, out);
    default:
        for (int i = 0; i < blocks; ++i) {
            float sum = 0;
            for (int x = 0; x < factor; ++x)
                sum += luma[i * factor + x];
            out[i] += sum / float(factor);
        }
    }
}
} // namespace

bool BlurredLuminance::wantsRow(int y) const {
    if (!sparse_) return true;
    const int block = y / factor_;
    const int middle = std::min(block * factor_ + factor_ / 2, frameHeight_ - 1);
    return y == middle;
}

void BlurredLuminance::addRow(int y, const float* luma) {
    if (y < 0 || y >= frameHeight_) return;
    if (deferred_) {
        float* const row = plane_ ? plane_.get() + size_t(y) * width_ : nullptr;
        if (compact_)
            quantise(luma, width_, raw_.get() + size_t(y) * width_);
        else if (luma != row)
            std::copy(luma, luma + width_, row);
        weights_[y] += 1.0f;
        return;
    }
    float* out = plane_.get() + size_t(y / factor_) * width_;
    if (factor_ == 1) {
        if (luma != out) std::copy(luma, luma + frameWidth_, out);
    } else {
        const int whole = frameWidth_ / factor_; // blocks that lie wholly inside the row
        addBlockMeans(luma, factor_, whole, out);
        for (int i = whole; i < width_; ++i) {
            const int x0 = i * factor_, x1 = std::min(frameWidth_, x0 + factor_);
            float sum = 0;
            for (int x = x0; x < x1; ++x)
                sum += luma[x];
            out[i] += sum / float(x1 - x0);
        }
    }
    weights_[y / factor_] += 1.0f;
}

void BlurredLuminance::finish() {
    if (factor_ == 1) {
        // A row nobody added reads as black rather than as whatever the memory held.
        const float black = 0.0f;
        for (int j = 0; j < height_; ++j) {
            if (weights_[j] > 0.0f) continue;
            if (deferred_ && compact_)
                quantise(std::vector<float>(size_t(width_), black).data(), width_,
                         raw_.get() + size_t(j) * width_);
            else
                std::fill_n(plane_.get() + size_t(j) * width_, width_, black);
        }
    }
    if (deferred_) return;
    for (int j = 0; j < height_; ++j) {
        if (weights_[j] <= 1.0f) continue;
        float* row = plane_.get() + size_t(j) * width_;
        const float s = 1.0f / weights_[j];
        for (int i = 0; i < width_; ++i)
            row[i] *= s;
    }
    const double d = factor_;
    const double reducedVariance = sigma_ * sigma_ / (d * d) - (sparse_ ? 0.0 : (d * d - 1) / (12 * d * d));
    gaussianBlurPlane(plane_.get(), width_, height_, std::sqrt(std::max(reducedVariance, 0.0)));
}

namespace {

// Lane-parallel pieces of sampleRow.
TAVI_PIXEL_KERNEL void addScaled(float* acc, const float* in, float w, int n) {
    for (int i = 0; i < n; ++i)
        acc[i] += w * in[i];
}
TAVI_PIXEL_KERNEL void addScaled(float* acc, const std::uint16_t* in, float w, int n) {
    for (int i = 0; i < n; ++i)
        acc[i] += w * float(in[i]);
}
// `offset`: what the stored values add to every result (the 16-bit codes' −0.5).
TAVI_PIXEL_KERNEL void convolve(const float* column, const float* kernel, int taps, int count, float offset,
                                float* out) {
    for (int i = 0; i < count; ++i)
        out[i] = offset;
    for (int t = 0; t < taps; ++t) {
        const float k = kernel[t];
        const float* in = column + t;
        for (int i = 0; i < count; ++i)
            out[i] += k * in[i];
    }
}
TAVI_PIXEL_KERNEL void interpolateColumns(const float* row, const int* index, const float* weight, int x,
                                          int count, int frameWidth, float* out) {
    for (int i = 0; i < count; ++i) {
        const int c = std::clamp(x + i, 0, frameWidth - 1);
        const int k = index[c];
        out[i] = row[k] + (row[k + 1] - row[k]) * weight[c];
    }
}
TAVI_PIXEL_KERNEL void lerpRows(const float* r0, const float* r1, float t, int n, float* out) {
    for (int i = 0; i < n; ++i)
        out[i] = r0[i] + (r1[i] - r0[i]) * t;
}

#if defined(TAVI_WIDE_KERNELS)

// interpolateColumns eight pixels at a time: inside the row, the eight pixels fall between at
// most nine neighbouring stored columns, which two window loads and permutes pick out, so no
// gather; the place and weight of each pixel are worked out as the constructor does. Groups at
// the row's ends, where clamping is at work, take interpolateColumns itself.
TAVI_WIDE void interpolateWide(const float* row, const int* index, const float* weights, int width,
                               float inverse, int x, int count, int frameWidth, float* out) {
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 half = _mm256_set1_ps(0.5f), scale = _mm256_set1_ps(inverse);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const int c = x + i;
        const __m256 fx = _mm256_sub_ps(
            _mm256_mul_ps(_mm256_add_ps(_mm256_add_ps(_mm256_set1_ps(float(c)), lanes), half), scale), half);
        const int first = int(std::floor((float(c) + 0.5f) * inverse - 0.5f));
        // Both neighbours of every pixel inside the stored row (its copied last column included).
        if (c < 0 || c + 8 > frameWidth || first < 0 || first + 9 > width + 1 ||
            _mm256_movemask_ps(_mm256_cmp_ps(fx, _mm256_setzero_ps(), _CMP_LT_OQ))) {
            interpolateColumns(row, index, weights, c, 8, frameWidth, out + i);
            continue;
        }
        const __m256 whole = _mm256_floor_ps(fx);
        const __m256 weight = _mm256_sub_ps(fx, whole);
        const __m256i offset = _mm256_sub_epi32(_mm256_cvttps_epi32(whole), _mm256_set1_epi32(first));
        const __m256 left = _mm256_permutevar8x32_ps(_mm256_loadu_ps(row + first), offset);
        const __m256 right = _mm256_permutevar8x32_ps(_mm256_loadu_ps(row + first + 1), offset);
        _mm256_storeu_ps(out + i, _mm256_add_ps(left, _mm256_mul_ps(_mm256_sub_ps(right, left), weight)));
    }
    if (i < count) interpolateColumns(row, index, weights, x + i, count - i, frameWidth, out + i);
}
#endif

} // namespace

void BlurredLuminance::sampleRow(int y, int x, int count, float* out) const {
    if (count <= 0) return;
    if (deferred_) {
        // Vertical taps into a row covering the horizontal reach, then horizontal taps.
        const int radius = int(kernel_.size() / 2);
        const int first = x - radius, span = count + 2 * radius;
        thread_local std::vector<float> column;
        column.assign(size_t(span), 0.0f);
        const bool inside = first >= 0 && first + span <= width_;
        auto taps = [&](const auto* rows, float divisor) {
            using Value = std::remove_const_t<std::remove_pointer_t<decltype(rows)>>;
            thread_local std::vector<Value> edge;
            if (!inside) edge.resize(size_t(span));
            for (int j = -radius; j <= radius; ++j) {
                const Value* row = rows + size_t(std::clamp(y + j, 0, height_ - 1)) * width_;
                const float w = kernel_[j + radius] / divisor;
                if (inside) {
                    addScaled(column.data(), row + first, w, span);
                } else {
                    for (int i = 0; i < span; ++i)
                        edge[i] = row[std::clamp(first + i, 0, width_ - 1)];
                    addScaled(column.data(), edge.data(), w, span);
                }
            }
        };
        if (compact_)
            taps(raw_.get(), kRawScale);
        else
            taps(static_cast<const float*>(plane_.get()), 1.0f);
        convolve(column.data(), kernel_.data(), int(kernel_.size()), count, compact_ ? -0.5f : 0.0f, out);
        return;
    }
    if (factor_ == 1) {
        const float* row = plane_.get() + size_t(std::clamp(y, 0, height_ - 1)) * width_;
        int i = 0;
        for (; i < count && x + i < 0; ++i)
            out[i] = row[0];
        const int inside = std::clamp(width_ - (x + i), 0, count - i);
        std::copy_n(row + x + i, inside, out + i);
        for (i += inside; i < count; ++i)
            out[i] = row[width_ - 1];
        return;
    }
    // Rows first: the two reduced rows blended over the span the columns reach, then each pixel
    // between its two samples, whose place and weight finish() worked out once per column.
    const float inv = 1.0f / float(factor_);
    const float fy = std::clamp((float(y) + 0.5f) * inv - 0.5f, 0.0f, float(height_ - 1));
    const int y0 = std::min(int(fy), height_ - 1), y1 = std::min(y0 + 1, height_ - 1);
    const float* r0 = plane_.get() + size_t(y0) * width_;
    const float* r1 = plane_.get() + size_t(y1) * width_;
    thread_local std::vector<float> blended;
    blended.resize(size_t(width_) + 1);
    const int first = std::clamp(x, 0, frameWidth_ - 1), last = std::clamp(x + count - 1, 0, frameWidth_ - 1);
    const int k0 = columnIndex_[first], k1 = std::min(columnIndex_[last] + 1, width_ - 1);
    lerpRows(r0 + k0, r1 + k0, fy - float(y0), k1 - k0 + 1, blended.data() + k0);
    blended[width_] = blended[width_ - 1]; // the last column's right neighbour is itself
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) {
        interpolateWide(blended.data(), columnIndex_.data(), columnWeight_.data(), width_, inv, x, count,
                        frameWidth_, out);
        return;
    }
#endif
    interpolateColumns(blended.data(), columnIndex_.data(), columnWeight_.data(), x, count, frameWidth_, out);
}
