#include "core/imaging/RenderPlan.h"

#include "core/imaging/filters/HalfFloat.h"
#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(TAVI_WIDE_KERNELS)
// Eight pixels at a time; returns how many were done, and clears `opaque` on meeting a pixel
// whose alpha is not 255. Widening bytes in each 128-bit half gives pixels (k, k + 4) per
// register, which the in-half transpose turns into eight consecutive values of each component.
// Opaque runs (the usual photo) skip the division.
TAVI_WIDE int decodeWide(const uchar* in, int count, const PixelRow& out, bool& opaque) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256 one = _mm256_set1_ps(1.0f), fzero = _mm256_setzero_ps(),
                 unit = _mm256_set1_ps(1.0f / 255.0f);
    const __m256i alphaBits = _mm256_set1_epi32(int(0xff000000u));
    int i = 0;
    for (; i + 8 <= count; i += 8, in += 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        const __m256i lo = _mm256_unpacklo_epi8(bytes, zero), hi = _mm256_unpackhi_epi8(bytes, zero);
        __m256 r = _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(lo, zero));
        __m256 g = _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(lo, zero));
        __m256 b = _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(hi, zero));
        __m256 a = _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(hi, zero));
        transposeHalves(r, g, b, a);
        __m256 inverse = unit;
        if (!_mm256_testc_si256(bytes, alphaBits)) {
            opaque = false;
            inverse =
                _mm256_and_ps(_mm256_cmp_ps(a, fzero, _CMP_GT_OQ), _mm256_div_ps(one, _mm256_max_ps(a, one)));
        }
        _mm256_storeu_ps(out.r + i, _mm256_min_ps(_mm256_mul_ps(r, inverse), one));
        _mm256_storeu_ps(out.g + i, _mm256_min_ps(_mm256_mul_ps(g, inverse), one));
        _mm256_storeu_ps(out.b + i, _mm256_min_ps(_mm256_mul_ps(b, inverse), one));
        _mm256_storeu_ps(out.a + i, _mm256_mul_ps(a, unit));
    }
    return i;
}

// The inverse of decodeWide: clamp, premultiply, round, transpose back and pack.
TAVI_WIDE int encodeWide(const PixelRow& in, int count, uchar* out) {
    const __m256 one = _mm256_set1_ps(1.0f), zero = _mm256_setzero_ps(), half = _mm256_set1_ps(0.5f);
    const __m256 scale = _mm256_set1_ps(255.0f);
    int i = 0;
    for (; i + 8 <= count; i += 8, out += 32) {
        // max(v, 0) first: a value that is not a number becomes 0.
        __m256 a = _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in.a + i), zero), one), scale);
        __m256 r = _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in.r + i), zero), one), a);
        __m256 g = _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in.g + i), zero), one), a);
        __m256 b = _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in.b + i), zero), one), a);
        transposeHalves(r, g, b, a); // now pixels (0, 4), (1, 5), (2, 6), (3, 7)
        const __m256i p0 = _mm256_cvttps_epi32(_mm256_add_ps(r, half));
        const __m256i p1 = _mm256_cvttps_epi32(_mm256_add_ps(g, half));
        const __m256i p2 = _mm256_cvttps_epi32(_mm256_add_ps(b, half));
        const __m256i p3 = _mm256_cvttps_epi32(_mm256_add_ps(a, half));
        const __m256i words = _mm256_packus_epi16(_mm256_packs_epi32(p0, p1), _mm256_packs_epi32(p2, p3));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), words);
    }
    return i;
}

// Eight components clamped into 0...1, weighted by alpha (0...255) and rounded.
TAVI_WIDE inline __m256i premultipliedLevels(const float* p, __m256 alpha) {
    const __m256 v = _mm256_mul_ps(
        _mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(p), _mm256_setzero_ps()), _mm256_set1_ps(1.0f)), alpha);
    return _mm256_cvttps_epi32(_mm256_add_ps(v, _mm256_set1_ps(0.5f)));
}

// Eight pixels at a time into four runs of bytes: the packs leave each half's four values of
// each component together, and one permute puts the halves' runs side by side.
TAVI_WIDE int encodePlanarWide(const PixelRow& in, int count, uchar* r, uchar* g, uchar* b, uchar* a) {
    const __m256 one = _mm256_set1_ps(1.0f), zero = _mm256_setzero_ps(), half = _mm256_set1_ps(0.5f);
    const __m256 scale = _mm256_set1_ps(255.0f);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 alpha =
            _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(_mm256_loadu_ps(in.a + i), zero), one), scale);
        const __m256i rg =
            _mm256_packs_epi32(premultipliedLevels(in.r + i, alpha), premultipliedLevels(in.g + i, alpha));
        const __m256i ba = _mm256_packs_epi32(premultipliedLevels(in.b + i, alpha),
                                              _mm256_cvttps_epi32(_mm256_add_ps(alpha, half)));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(rg, ba), order);
        const __m128i low = _mm256_castsi256_si128(bytes), high = _mm256_extracti128_si256(bytes, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(r + i), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(g + i), _mm_unpackhi_epi64(low, low));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(b + i), high);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(a + i), _mm_unpackhi_epi64(high, high));
    }
    return i;
}
#endif

// 8-bit premultiplied to a planar working row: colour divided by alpha (a transparent pixel
// becomes 0), alpha scaled into 0...1. Four pixels are widened, transposed into components and
// share one vector division of their alphas. Returns whether every alpha was 255.
bool decodeRow(const uchar* in, int count, const PixelRow& out) {
    int i = 0;
    bool opaque = true;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) {
        i = decodeWide(in, count, out, opaque);
        in += size_t(i) * 4;
    }
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128 one = _mm_set1_ps(1.0f), fzero = _mm_setzero_ps(), unit = _mm_set1_ps(1.0f / 255.0f);
    const int narrowCount = narrowKernelsAvailable() ? count : 0;
    for (; i + 4 <= narrowCount; i += 4, in += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
        __m128 r = _mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero)),
               g = _mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero));
        __m128 b = _mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero)),
               a = _mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero));
        _MM_TRANSPOSE4_PS(r, g, b, a);
        opaque = opaque && _mm_movemask_ps(_mm_cmplt_ps(a, _mm_set1_ps(255.0f))) == 0;
        const __m128 inverse = _mm_and_ps(_mm_cmpgt_ps(a, fzero), _mm_div_ps(one, _mm_max_ps(a, one)));
        _mm_storeu_ps(out.r + i, _mm_min_ps(_mm_mul_ps(r, inverse), one));
        _mm_storeu_ps(out.g + i, _mm_min_ps(_mm_mul_ps(g, inverse), one));
        _mm_storeu_ps(out.b + i, _mm_min_ps(_mm_mul_ps(b, inverse), one));
        _mm_storeu_ps(out.a + i, _mm_mul_ps(a, unit));
    }
#endif
    for (; i < count; ++i, in += 4) {
        const float a = float(in[3]);
        const float s = a > 0.0f ? 1.0f / a : 0.0f;
        out.r[i] = std::min(1.0f, float(in[0]) * s);
        out.g[i] = std::min(1.0f, float(in[1]) * s);
        out.b[i] = std::min(1.0f, float(in[2]) * s);
        out.a[i] = a * (1.0f / 255.0f);
        opaque = opaque && in[3] == 255;
    }
    return opaque;
}

// The alpha of 8-bit pixels scaled into 0...1, as decodeRow gives it; read as whole pixels
// (the top byte of each little-endian word), so the loop runs lane-parallel.
TAVI_PIXEL_KERNEL void alphaRow(const uchar* in, int count, float* alpha) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (int i = 0; i < count; ++i) {
        std::uint32_t pixel;
        std::memcpy(&pixel, in + size_t(i) * 4, 4);
        alpha[i] = float(pixel >> 24) * (1.0f / 255.0f);
    }
#else
    for (int i = 0; i < count; ++i)
        alpha[i] = float(in[i * 4 + 3]) * (1.0f / 255.0f);
#endif
}

// Clamped into 0...1; a value that is not a number (from a recipe of infinities) becomes 0.
inline float unit(float v) {
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

// A planar working row to 8-bit premultiplied, rounded to nearest.
void encodeRow(const PixelRow& in, int count, uchar* out) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) {
        i = encodeWide(in, count, out);
        out += size_t(i) * 4;
    }
#endif
#if defined(__SSE2__)
    const __m128 one = _mm_set1_ps(1.0f), zero = _mm_setzero_ps(), half = _mm_set1_ps(0.5f);
    const __m128 scale = _mm_set1_ps(255.0f);
    // max(v, 0) first: a value that is not a number becomes 0.
    auto clamped = [&](const float* p) { return _mm_min_ps(_mm_max_ps(_mm_loadu_ps(p), zero), one); };
    const int narrowCount = narrowKernelsAvailable() ? count : 0;
    for (; i + 4 <= narrowCount; i += 4, out += 16) {
        __m128 a = _mm_mul_ps(clamped(in.a + i), scale);
        __m128 r = _mm_mul_ps(clamped(in.r + i), a), g = _mm_mul_ps(clamped(in.g + i), a);
        __m128 b = _mm_mul_ps(clamped(in.b + i), a);
        _MM_TRANSPOSE4_PS(r, g, b, a);
        auto round = [&](__m128 v) { return _mm_cvttps_epi32(_mm_add_ps(v, half)); };
        const __m128i first = _mm_packs_epi32(round(r), round(g));
        const __m128i second = _mm_packs_epi32(round(b), round(a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(first, second));
    }
#endif
    for (; i < count; ++i, out += 4) {
        const float a = unit(in.a[i]) * 255.0f;
        out[0] = uchar(int(unit(in.r[i]) * a + 0.5f));
        out[1] = uchar(int(unit(in.g[i]) * a + 0.5f));
        out[2] = uchar(int(unit(in.b[i]) * a + 0.5f));
        out[3] = uchar(int(a + 0.5f));
    }
}

// A planar working row to planar 8-bit premultiplied, rounded as encodeRow does.
void encodePlanarRow(const PixelRow& in, int count, uchar* r, uchar* g, uchar* b, uchar* a) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = encodePlanarWide(in, count, r, g, b, a);
#endif
    for (; i < count; ++i) {
        const float alpha = unit(in.a[i]) * 255.0f;
        r[i] = uchar(int(unit(in.r[i]) * alpha + 0.5f));
        g[i] = uchar(int(unit(in.g[i]) * alpha + 0.5f));
        b[i] = uchar(int(unit(in.b[i]) * alpha + 0.5f));
        a[i] = uchar(int(alpha + 0.5f));
    }
}

TAVI_PIXEL_KERNEL void lumaRow(const PixelRow& row, float* luma) {
    const float* __restrict r = row.r;
    const float* __restrict g = row.g;
    const float* __restrict b = row.b;
    for (int x = 0; x < row.count; ++x)
        luma[x] = lumaOf(r[x], g[x], b[x]);
}

// The luma after a step that added gain·(luma − blurred) to each component.
TAVI_PIXEL_KERNEL void lumaAfterDetail(const float* luma, const float* blurred, float gain, int count,
                                       float* out) {
    for (int x = 0; x < count; ++x)
        out[x] = luma[x] + gain * (luma[x] - blurred[x]);
}

// The float checkpoint of a preview is tens of megabytes; a fresh one each render would be
// paged in anew each time (the editor renders on every slider move). One buffer of preview size
// is kept for the next render; larger ones are returned to the system.
constexpr size_t kKeptScratchFloats = size_t(2'600'000) * 3;
std::mutex scratchMutex;
std::unique_ptr<float[]> keptScratch;
size_t keptScratchFloats = 0;

std::unique_ptr<float[]> takeScratch(size_t floats) {
    {
        std::lock_guard lock(scratchMutex);
        if (keptScratch && keptScratchFloats >= floats) {
            keptScratchFloats = 0;
            return std::move(keptScratch);
        }
    }
    return std::unique_ptr<float[]>(new float[floats]); // uninitialised: rows are written before read
}

void returnScratch(std::unique_ptr<float[]> buffer, size_t floats) {
    if (!buffer || floats > kKeptScratchFloats) return;
    std::lock_guard lock(scratchMutex);
    if (floats >= keptScratchFloats) {
        keptScratch = std::move(buffer);
        keptScratchFloats = floats;
    }
}

} // namespace

void RenderPlan::addColor(ColorLut3D::Transform step) {
    addColor(ColorStep([step = std::move(step)](float* r, float* g, float* b, int n) {
        for (int i = 0; i < n; ++i)
            step(r[i], g[i], b[i]);
    }));
}

void RenderPlan::addColor(ColorStep step, std::optional<colorTableMemo::Key> key) {
    Item item;
    item.color = std::move(step);
    item.key = std::move(key);
    items_.push_back(std::move(item));
}

void RenderPlan::addTable(const ColorLut3D* table, std::optional<colorTableMemo::Key> key) {
    if (!table || table->isEmpty()) return;
    Item item;
    item.kind = Item::Kind::Table;
    item.table = table;
    item.key = std::move(key);
    items_.push_back(std::move(item));
}

colorTableMemo::Key RenderPlan::colorKey(int kind, std::initializer_list<double> values) {
    colorTableMemo::Key key{std::uint64_t(kind)};
    for (const double v : values)
        key.push_back(std::bit_cast<std::uint64_t>(v));
    return key;
}

void RenderPlan::addDetail(double sigma, bool sparse, DetailStep step, std::optional<float> lumaGain) {
    Item item;
    item.kind = Item::Kind::Detail;
    item.sigma = sigma;
    item.sparse = sparse;
    item.detail = std::move(step);
    item.lumaGain = lumaGain;
    items_.push_back(std::move(item));
}

void RenderPlan::addPosition(PositionStep step) {
    Item item;
    item.kind = Item::Kind::Position;
    item.position = std::move(step);
    items_.push_back(std::move(item));
}

int RenderPlan::margin() const {
    // Each detail step reads the blurred luminance of the steps before it, so reaches add up. A
    // plane's Gaussian is cut at about 3.7 σ; a reduced one also averages blocks and
    // interpolates between them, a few blocks more.
    double reach = 0;
    for (const Item& item : items_) {
        if (item.kind != Item::Kind::Detail) continue;
        const double factor = std::max(1.0, std::floor(item.sigma / 3.0));
        reach += std::ceil(3.75 * item.sigma) + 3 * factor + 2;
    }
    return int(std::min(reach, 1e6));
}

int RenderPlan::alignment() const {
    int result = 1;
    for (const Item& item : items_) {
        if (item.kind != Item::Kind::Detail) continue;
        const int factor = int(std::clamp(std::floor(item.sigma / 3.0), 1.0, 4096.0));
        result = std::lcm(result, factor);
        if (result > 4096) return 4096; // never in practice: the radii are few and fixed
    }
    return result;
}

void RenderPlan::compile(int width, int height, bool keep) {
    ops_.clear();
    tables_.clear();
    planes_.clear();
    for (size_t i = 0; i < items_.size();) {
        const Item& item = items_[i];
        if (item.kind == Item::Kind::Color || item.kind == Item::Kind::Table) {
            size_t end = i;
            while (end < items_.size() &&
                   (items_[end].kind == Item::Kind::Color || items_[end].kind == Item::Kind::Table))
                ++end;
            Op op;
            if (end == i + 1 && item.kind == Item::Kind::Table) {
                op.table = item.table;
            } else {
                std::vector<const Item*> run;
                // The run's key: each step's words after their count, so that no two different
                // runs join to the same words. One step without a key leaves the run unnamed.
                std::optional<colorTableMemo::Key> key = colorTableMemo::Key{};
                for (size_t k = i; k < end; ++k) {
                    run.push_back(&items_[k]);
                    if (!items_[k].key) {
                        key.reset();
                    } else if (key) {
                        key->push_back(items_[k].key->size());
                        key->insert(key->end(), items_[k].key->begin(), items_[k].key->end());
                    }
                }
                auto bake = [&run] {
                    return ColorLut3D(ColorLut3D::RowTransform([&run](float* r, float* g, float* b, int n) {
                        for (const Item* step : run) {
                            if (step->kind == Item::Kind::Table) {
                                PixelRow row{r, g, b, nullptr, n, 0, 0, n, 1};
                                step->table->apply(row);
                            } else {
                                step->color(r, g, b, n);
                            }
                        }
                    }));
                };
                tables_.push_back(key ? colorTableMemo::obtain(*key, bake)
                                      : std::make_shared<const ColorLut3D>(bake()));
                op.table = tables_.back().get();
            }
            ops_.push_back(std::move(op));
            i = end;
            continue;
        }
        Op op;
        if (item.kind == Item::Kind::Detail) {
            op.detail = item.detail;
            op.lumaGain = item.lumaGain;
            op.plane = int(planes_.size());
            planes_.push_back(
                std::make_unique<BlurredLuminance>(width, height, item.sigma, item.sparse, !keep));
        } else {
            op.position = item.position;
        }
        ops_.push_back(std::move(op));
        ++i;
    }
}

void RenderPlan::runOps(PixelRow& row, int begin, int end, std::vector<float>& blurred, float* luma) const {
    for (int k = begin; k < end; ++k) {
        const Op& op = ops_[k];
        if (op.table) {
            // A lookup that ends the run hands over the luma with its results.
            op.table->apply(row, k + 1 == end ? luma : nullptr);
            if (k + 1 == end) luma = nullptr;
        } else if (op.detail) {
            const BlurredLuminance& plane = *planes_[op.plane];
            const float* values = plane.storedRow(row.y, row.x, row.count);
            if (!values) {
                blurred.resize(row.count);
                plane.sampleRow(row.y, row.x, row.count, blurred.data());
                values = blurred.data();
            }
            op.detail(row, values);
        } else if (op.position) {
            if (frameSize_.isEmpty()) {
                op.position(row);
            } else {
                PixelRow placed = row;
                placed.x += frameOrigin_.x();
                placed.y += frameOrigin_.y();
                placed.frameWidth = frameSize_.width();
                placed.frameHeight = frameSize_.height();
                op.position(placed);
            }
        }
    }
    if (luma) lumaRow(row, luma);
}

// Below the kept-pixel limit (a preview) the working image at a detail step's input may be kept
// as floats, so the steps before it run once per pixel; above it (the full-resolution export)
// the chain is recomputed from the 8-bit source instead, which keeps memory near the bitmaps'
// own. Starting a checkpoint costs a buffer (12 bytes a pixel written and read back), more than
// one table lookup, so it is started only when what it saves is more than a single step; once it
// exists, passes work on its rows in place and keeping their result costs nothing.
namespace {

// The image for a render of `size`, or the source's own pixels when it may be written over.
struct Output {
    QImage image;
    uchar* bits = nullptr;
    qsizetype stride = 0;
};

Output output(QSize size, QImage* reuse) {
    Output out;
    if (reuse) {
        out.bits = reuse->bits(); // sole owner: no copy
        out.stride = reuse->bytesPerLine();
    } else {
        out.image = QImage(size, QImage::Format_RGBA8888_Premultiplied);
        if (out.image.isNull()) return out;
        out.bits = out.image.bits();
        out.stride = out.image.bytesPerLine();
    }
    return out;
}

// Rows of a render delivered into planar bytes, noting whether any is translucent.
struct PlanarDelivery {
    PlanarBytes& out;
    std::atomic<bool> translucent{false};
    void operator()(int j, const PixelRow& row) {
        const int count = out.width;
        uchar* const alpha = out.plane(j, 3);
        encodePlanarRow(row, count, out.plane(j, 0), out.plane(j, 1), out.plane(j, 2), alpha);
        uchar all = 255;
        for (int i = 0; i < count; ++i)
            all &= alpha[i];
        if (all != 255) translucent.store(true, std::memory_order_relaxed);
    }
};

} // namespace

QImage RenderPlan::render(const QImage& source, const QRect& region, QImage* reuse, HalfPlanes* keep) {
    if (reuse &&
        !(reuse->constBits() == source.constBits() && region == source.rect() && reuse->isDetached()))
        reuse = nullptr;
    Output out = output(region.size(), reuse);
    if (!out.bits) return {};
    const int count = region.width();
    run(
        source, region, [&](int j, const PixelRow& row) { encodeRow(row, count, out.bits + j * out.stride); },
        keep);
    return reuse ? std::move(*reuse) : out.image;
}

PlanarBytes RenderPlan::renderPlanar(const QImage& source, const QRect& region, HalfPlanes* keep) {
    PlanarBytes out = PlanarBytes::allocate(region.size());
    if (out.isNull()) return out;
    PlanarDelivery delivery{out};
    run(source, region, std::ref(delivery), keep);
    out.opaque = !delivery.translucent.load();
    return out;
}

QImage RenderPlan::resume(const QImage& source, const HalfPlanes& kept) {
    Output out = output(kept.region.size(), nullptr);
    if (!out.bits) return {};
    const int count = kept.region.width();
    runFrom(source, kept, [&](int j, const PixelRow& row) { encodeRow(row, count, out.bits + j * out.stride); });
    return out.image;
}

PlanarBytes RenderPlan::resumePlanar(const QImage& source, const HalfPlanes& kept) {
    PlanarBytes out = PlanarBytes::allocate(kept.region.size());
    if (out.isNull()) return out;
    PlanarDelivery delivery{out};
    runFrom(source, kept, std::ref(delivery));
    out.opaque = !delivery.translucent.load();
    return out;
}

bool RenderPlan::canKeep(QSize size) const {
    if (qint64(size.width()) * size.height() > keptPixelLimit_) return false;
    const size_t trailing = trailingPositions();
    bool detail = false;
    for (size_t i = 0; i < trailing; ++i) {
        if (items_[i].kind == Item::Kind::Position) return false;
        detail = detail || items_[i].kind == Item::Kind::Detail;
    }
    return detail;
}

size_t RenderPlan::trailingPositions() const {
    size_t first = items_.size();
    while (first > 0 && items_[first - 1].kind == Item::Kind::Position)
        --first;
    return first;
}

void RenderPlan::runFrom(const QImage& source, const HalfPlanes& kept,
                         const std::function<void(int, const PixelRow&)>& deliver) {
    ops_.clear();
    for (size_t i = trailingPositions(); i < items_.size(); ++i) {
        Op op;
        op.position = items_[i].position;
        ops_.push_back(std::move(op));
    }
    const QRect& region = kept.region;
    const int count = region.width(), width = source.width(), height = source.height();
    parallelBands(region.height(), 8, [&](int begin, int end) {
        std::vector<float> scratch(size_t(count) * 4), blurred;
        if (kept.opaque) std::fill_n(scratch.data() + size_t(count) * 3, count, 1.0f);
        for (int j = begin; j < end; ++j) {
            const int y = region.y() + j;
            PixelRow row = PixelRow::planar(scratch.data(), size_t(count), count, region.x(), y, width, height);
            halfFloat::toFloats(kept.row(j, 0), count, row.r);
            halfFloat::toFloats(kept.row(j, 1), count, row.g);
            halfFloat::toFloats(kept.row(j, 2), count, row.b);
            if (!kept.opaque) alphaRow(source.constScanLine(y) + size_t(region.x()) * 4, count, row.a);
            runOps(row, 0, int(ops_.size()), blurred);
            deliver(j, row);
        }
    });
    ops_.clear();
}

void RenderPlan::run(const QImage& source, const QRect& region,
                     const std::function<void(int, const PixelRow&)>& deliver, HalfPlanes* rounded) {
    const int width = source.width(), height = source.height();
    const bool keep = qint64(width) * height <= keptPixelLimit_;
    compile(width, height, keep);

    std::unique_ptr<float[]> checkpoint;
    size_t checkpointFloats = 0;
    int checkpointOps = 0; // ops already applied to the checkpoint's pixels
    // The row to work on: the checkpoint's own row when the pass may change it in place,
    // otherwise a copy (or the decoded source) in `scratch` (4 × count floats). The checkpoint
    // keeps each row planar: its components one after another, `width` floats apart.
    // No step changes alpha, so the checkpoint keeps only red, green and blue; a row's alpha is
    // read from the source again, into the scratch row's alpha array. No step reads it either:
    // only the last pass, which encodes, asks for it (`withAlpha`).
    auto keptRow = [&](int y, int x, int count, float* alpha) {
        float* const r = checkpoint.get() + size_t(y) * width * 3 + x;
        return PixelRow{r, r + width, r + 2 * size_t(width), alpha, count, x, y, width, height};
    };
    // `translucentSeen`, when given, is set if the row was decoded and any pixel of it is
    // translucent.
    auto loadRow = [&](int y, int x, int count, float* scratch, bool inPlace, bool withAlpha,
                       std::atomic<bool>* translucentSeen = nullptr) -> PixelRow {
        const PixelRow copy = PixelRow::planar(scratch, size_t(count), count, x, y, width, height);
        if (checkpointOps > 0) {
            const PixelRow kept = keptRow(y, x, count, copy.a);
            if (withAlpha) alphaRow(source.constScanLine(y) + size_t(x) * 4, count, copy.a);
            if (inPlace) return kept;
            std::copy_n(kept.r, count, copy.r);
            std::copy_n(kept.g, count, copy.g);
            std::copy_n(kept.b, count, copy.b);
            return copy;
        }
        const PixelRow target = inPlace && checkpoint ? keptRow(y, x, count, copy.a) : copy;
        if (!decodeRow(source.constScanLine(y) + size_t(x) * 4, count, target) && translucentSeen)
            translucentSeen->store(true, std::memory_order_relaxed);
        return target;
    };

    // A checkpoint pays off once a full-resolution plane's pass finds more than one step before
    // it. When it will exist, it starts at the first detail step with any work before it, even
    // a sparse one: that pass then runs its steps on every row instead of one per block, but no
    // later pass runs them again.
    bool useCheckpoint = false;
    for (int k = 2; k < int(ops_.size()) && keep; ++k)
        useCheckpoint = useCheckpoint || (ops_[k].plane >= 0 && !planes_[ops_[k].plane]->sparse());

    std::atomic<bool> translucent{false};
    bool opacityKnown = false;

    // The luma of every row at the input of op `stashOp`, when that op declared its gain and
    // the next op reads a plane.
    std::unique_ptr<float[]> stash;
    int stashOp = -1;

    // One pass per detail step, each building the luminance plane that step reads.
    for (int k = 0; k < int(ops_.size()); ++k) {
        if (ops_[k].plane < 0) continue;
        BlurredLuminance& plane = *planes_[ops_[k].plane];
        const int factor = plane.factor();
        if (stash && stashOp == k - 1) {
            // The luma this step reads follows from the previous step's planes alone.
            const BlurredLuminance& before = *planes_[ops_[k - 1].plane];
            const float gain = *ops_[k - 1].lumaGain;
            parallelBands(plane.reducedHeight(), std::max(1, 16 / factor), [&](int begin, int end) {
                std::vector<float> blurred(width), luma(width);
                for (int y = begin * factor; y < std::min(height, end * factor); ++y) {
                    if (!plane.wantsRow(y)) continue;
                    const float* values = before.storedRow(y, 0, width);
                    if (!values) {
                        before.sampleRow(y, 0, width, blurred.data());
                        values = blurred.data();
                    }
                    float* const target = plane.rowStorage(y);
                    float* const out = target ? target : luma.data();
                    lumaAfterDetail(stash.get() + size_t(y) * width, values, gain, width, out);
                    plane.addRow(y, out);
                }
            });
            stash.reset();
            plane.finish();
            continue;
        }
        // Only for a kept working image: at full resolution the luma would cost 4 bytes a pixel
        // more at the memory peak, which matters more there than the pass it saves.
        const bool keepLuma = keep && ops_[k].lumaGain && k + 1 < int(ops_.size()) && ops_[k + 1].plane >= 0;
        if (keepLuma) {
            stash.reset(new float[size_t(width) * height]);
            stashOp = k;
        }
        const bool store = useCheckpoint && k > checkpointOps;
        if (store && !checkpoint) {
            checkpointFloats = size_t(width) * height * 3;
            checkpoint = takeScratch(checkpointFloats);
        }
        // A pass that decodes every row of the source finds out on the way whether any pixel is
        // translucent.
        const bool decodesAll = checkpointOps == 0 && (store || keepLuma || !plane.sparse());
        parallelBands(plane.reducedHeight(), std::max(1, 16 / factor), [&](int begin, int end) {
            std::vector<float> scratch(size_t(width) * 4), luma(width), blurred;
            for (int y = begin * factor; y < std::min(height, end * factor); ++y) {
                const bool wanted = plane.wantsRow(y);
                if (!wanted && !store && !keepLuma) continue;
                PixelRow row =
                    loadRow(y, 0, width, scratch.data(), store, false, decodesAll ? &translucent : nullptr);
                // Straight into the kept luma, when it is kept, or else into the plane's own row.
                float* rowLuma = nullptr;
                if (wanted || keepLuma) {
                    float* const storage = keepLuma || !wanted ? nullptr : plane.rowStorage(y);
                    rowLuma = keepLuma ? stash.get() + size_t(y) * width : storage ? storage : luma.data();
                }
                runOps(row, checkpointOps, k, blurred, rowLuma);
                if (wanted) plane.addRow(y, rowLuma);
            }
        });
        if (store) checkpointOps = k;
        opacityKnown = opacityKnown || decodesAll;
        plane.finish();
    }

    const int count = region.width();
    // The last pass is the checkpoint's last reader, so it may work in place. Rows of an opaque
    // source all have alpha 1, set once per band instead of read back for every row.
    const bool opaque = opacityKnown && !translucent.load();
    // Only a render that could be resumed rounds (and may keep) its working image before the
    // trailing position steps: a preview-sized one whose steps canKeep allows. Whether it may is
    // fixed by the recipe and the size, so a resumed render and one from scratch of the same
    // recipe always agree; the others (full resolution, a recipe of colour steps alone) would
    // pay for the conversions without use.
    const bool rounds = keep && canKeep(QSize(width, height));
    if (rounded && rounds) {
        *rounded = HalfPlanes::allocate(region);
        rounded->opaque = opaque;
    }
    HalfPlanes* const kept = rounded && !rounded->isNull() ? rounded : nullptr;
    const int positionsFrom = int(ops_.size() - (items_.size() - trailingPositions()));
    parallelBands(region.height(), 8, [&](int begin, int end) {
        std::vector<float> scratch(size_t(count) * 4), blurred;
        std::vector<std::uint16_t> halves(kept || !rounds ? 0 : size_t(count) * 3);
        if (opaque) std::fill_n(scratch.data() + size_t(count) * 3, count, 1.0f);
        for (int j = begin; j < end; ++j) {
            const int y = region.y() + j;
            PixelRow row = loadRow(y, region.x(), count, scratch.data(), true, !opaque);
            runOps(row, checkpointOps, positionsFrom, blurred);
            float* const components[3] = {row.r, row.g, row.b};
            for (int c = 0; c < 3 && rounds; ++c) {
                std::uint16_t* const target = kept ? kept->row(j, c) : halves.data() + size_t(c) * count;
                halfFloat::fromFloats(components[c], count, target);
                halfFloat::toFloats(target, count, components[c]);
            }
            runOps(row, positionsFrom, int(ops_.size()), blurred);
            deliver(j, row);
        }
    });
    returnScratch(std::move(checkpoint), checkpointFloats);
    // The planes and tables served this render only; free them before the geometry allocates.
    ops_.clear();
    planes_.clear();
    tables_.clear();
}
