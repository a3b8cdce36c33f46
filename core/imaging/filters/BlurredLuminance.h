#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The Gaussian-blurred luminance of an image, the neighbourhood that unsharp masking, luminance
// sharpening and the highlight/shadow mask look at. A wide blur carries no fine detail, so the
// plane is kept at a reduced resolution (factor d with σ/d about 3 or more): each stored sample
// averages a d x d block, the blur runs with σ reduced to match (the block average already
// contributes (d² − 1)/12 of variance), and reads interpolate bilinearly. Its memory and time
// then fall with the radius instead of growing. A mask that only steers a tone curve may
// read one row per block (`sparseRows`) to save the evaluation of the other rows. A narrow blur
// (σ under 2, the finest sharpening) can't be reduced; its plane is kept unblurred in 16 bits
// and blurred by a direct kernel as rows are read, so a full-resolution plane costs half the
// bytes of a float plane and no second copy while blurring.
class BlurredLuminance {
  public:
    // `compact`: a narrow plane keeps its luminance in 16 bits (half the memory of floats, for
    // full-resolution work) rather than as floats (no conversions, for previews).
    BlurredLuminance(int frameWidth, int frameHeight, double sigma, bool sparseRows, bool compact = true);

    int factor() const { return factor_; }
    int reducedHeight() const { return height_; }
    bool sparse() const { return sparse_; }
    // Whether row y (of the full frame) contributes; rows that don't need not be computed.
    bool wantsRow(int y) const;
    // Adds the luminance of full row y (frameWidth values). Rows of distinct reduced rows may be
    // added from different threads at once.
    void addRow(int y, const float* luma);
    // Where row y's luminance may be written before addRow(y, thatPointer), saving a copy: the
    // plane's own row when it keeps full-resolution rows as floats, otherwise null.
    float* rowStorage(int y) {
        if (factor_ != 1 || (deferred_ && compact_) || y < 0 || y >= frameHeight_) return nullptr;
        return plane_.get() + std::size_t(y) * width_;
    }
    // Normalises the sums and blurs; call once after every wanted row was added.
    void finish();
    // The blurred luminance at row y, columns x ... x + count − 1.
    void sampleRow(int y, int x, int count, float* out) const;
    // The same values read in place, when the plane stores them as they are (full resolution,
    // blurred already) and the span lies inside it; otherwise null, and sampleRow is the way.
    const float* storedRow(int y, int x, int count) const {
        if (factor_ != 1 || deferred_ || y < 0 || y >= height_ || x < 0 || x + count > width_) return nullptr;
        return plane_.get() + std::size_t(y) * width_ + x;
    }

  private:
    int frameWidth_, frameHeight_;
    double sigma_;
    int factor_;
    bool sparse_;
    bool compact_;
    int width_, height_;
    // Full-resolution planes start uninitialised (every row is written, and finish() zeroes any
    // that was not); reduced ones accumulate block sums from zero.
    std::unique_ptr<float[]> plane_;
    std::vector<float> weights_;
    bool deferred_ = false;                // narrow blur applied while reading
    std::unique_ptr<std::uint16_t[]> raw_; // deferred and compact: luminance, 16-bit over −0.5 ... 1.5
                                           // (deferred and not compact: plane_, unblurred)
    std::vector<float> kernel_;            // deferred: normalised Gaussian taps
    std::vector<int> columnIndex_;         // reduced: the stored column left of each frame column
    std::vector<float> columnWeight_;      // reduced: and the weight of the one right of it
};
