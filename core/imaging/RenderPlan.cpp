#include "core/imaging/RenderPlan.h"

#include "core/imaging/filters/ParallelRows.h"

#include <algorithm>
#include <cmath>

namespace {

// 8-bit premultiplied to working floats; opaque pixels (nearly all) skip the division.
void decodeRow(const uchar* in, int count, float* out) {
    for (int i = 0; i < count; ++i, in += 4, out += 4) {
        const int a = in[3];
        if (a == 255) {
            constexpr float unit = 1.0f / 255.0f;
            out[0] = float(in[0]) * unit;
            out[1] = float(in[1]) * unit;
            out[2] = float(in[2]) * unit;
            out[3] = 1.0f;
        } else if (a == 0) {
            out[0] = out[1] = out[2] = out[3] = 0.0f;
        } else {
            const float s = 1.0f / float(a);
            out[0] = std::min(1.0f, float(in[0]) * s);
            out[1] = std::min(1.0f, float(in[1]) * s);
            out[2] = std::min(1.0f, float(in[2]) * s);
            out[3] = float(a) / 255.0f;
        }
    }
}

// Clamped into 0...1; a value that is not a number (from a recipe of infinities) becomes 0.
inline float unit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

void encodeRow(const float* in, int count, uchar* out) {
    for (int i = 0; i < count; ++i, in += 4, out += 4) {
        const float a = unit(in[3]) * 255.0f;
        out[0] = uchar(unit(in[0]) * a + 0.5f);
        out[1] = uchar(unit(in[1]) * a + 0.5f);
        out[2] = uchar(unit(in[2]) * a + 0.5f);
        out[3] = uchar(a + 0.5f);
    }
}

} // namespace

void RenderPlan::addColor(ColorStep step) {
    Item item;
    item.color = std::move(step);
    items_.push_back(std::move(item));
}

void RenderPlan::addTable(const ColorLut3D* table) {
    if (!table || table->isEmpty()) return;
    Item item;
    item.kind = Item::Kind::Table;
    item.table = table;
    items_.push_back(std::move(item));
}

void RenderPlan::addDetail(double sigma, bool sparse, DetailStep step) {
    Item item;
    item.kind = Item::Kind::Detail;
    item.sigma = sigma;
    item.sparse = sparse;
    item.detail = std::move(step);
    items_.push_back(std::move(item));
}

void RenderPlan::addPosition(PositionStep step) {
    Item item;
    item.kind = Item::Kind::Position;
    item.position = std::move(step);
    items_.push_back(std::move(item));
}

void RenderPlan::compile(int width, int height) {
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
                for (size_t k = i; k < end; ++k) run.push_back(&items_[k]);
                tables_.push_back(std::make_unique<ColorLut3D>([run](float& r, float& g, float& b) {
                    for (const Item* step : run) {
                        if (step->kind == Item::Kind::Table) step->table->apply(r, g, b);
                        else step->color(r, g, b);
                    }
                }));
                op.table = tables_.back().get();
            }
            ops_.push_back(std::move(op));
            i = end;
            continue;
        }
        Op op;
        if (item.kind == Item::Kind::Detail) {
            op.detail = item.detail;
            op.plane = int(planes_.size());
            planes_.push_back(std::make_unique<BlurredLuminance>(width, height, item.sigma, item.sparse));
        } else {
            op.position = item.position;
        }
        ops_.push_back(std::move(op));
        ++i;
    }
}

void RenderPlan::runOps(PixelRow& row, int begin, int end, std::vector<float>& blurred) const {
    for (int k = begin; k < end; ++k) {
        const Op& op = ops_[k];
        if (op.table) {
            op.table->apply(row);
        } else if (op.detail) {
            blurred.resize(row.count);
            planes_[op.plane]->sampleRow(row.y, row.x, row.count, blurred.data());
            op.detail(row, blurred.data());
        } else if (op.position) {
            op.position(row);
        }
    }
}

// Below this many pixels (a preview) the working image at a detail step's input may be kept as
// floats, so the steps before it run once per pixel; above it (the full-resolution export) the
// chain is recomputed from the 8-bit source instead, which keeps memory near the bitmaps' own.
// Keeping costs a fresh buffer (page faults, 16 bytes a pixel written and read back), more than
// one table lookup, so it is done only when what it saves is more than a single step.
constexpr qint64 kCheckpointPixels = 6'000'000;

QImage RenderPlan::render(const QImage& source, const QRect& region) {
    const int width = source.width(), height = source.height();
    compile(width, height);

    std::unique_ptr<float[]> checkpoint; // uninitialised: every row is written before it is read
    int checkpointOps = 0; // ops already applied to the checkpoint's pixels
    const bool keep = qint64(width) * height <= kCheckpointPixels;
    auto loadRow = [&](int y, int x, int count, float* pixels) {
        if (checkpointOps > 0) std::copy_n(checkpoint.get() + (size_t(y) * width + x) * 4, size_t(count) * 4, pixels);
        else decodeRow(source.constScanLine(y) + size_t(x) * 4, count, pixels);
    };

    // One pass per detail step, each building the luminance plane that step reads.
    for (int k = 0; k < int(ops_.size()); ++k) {
        if (ops_[k].plane < 0) continue;
        BlurredLuminance& plane = *planes_[ops_[k].plane];
        const int factor = plane.factor();
        const bool store = keep && !plane.sparse() && k - checkpointOps > 1;
        if (store && !checkpoint) checkpoint.reset(new float[size_t(width) * height * 4]);
        parallelBands(plane.reducedHeight(), std::max(1, 16 / factor), [&](int begin, int end) {
            std::vector<float> pixels(size_t(width) * 4), luma(width), blurred;
            for (int y = begin * factor; y < std::min(height, end * factor); ++y) {
                if (!plane.wantsRow(y)) continue;
                PixelRow row{pixels.data(), width, 0, y, width, height};
                loadRow(y, 0, width, pixels.data());
                runOps(row, checkpointOps, k, blurred);
                if (store) std::copy_n(pixels.data(), size_t(width) * 4, checkpoint.get() + size_t(y) * width * 4);
                for (int x = 0; x < width; ++x)
                    luma[x] = lumaOf(pixels[4 * x], pixels[4 * x + 1], pixels[4 * x + 2]);
                plane.addRow(y, luma.data());
            }
        });
        if (store) checkpointOps = k;
        plane.finish();
    }

    QImage out(region.size(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull()) return {};
    const int count = region.width();
    parallelBands(region.height(), 8, [&](int begin, int end) {
        std::vector<float> pixels(size_t(count) * 4), blurred;
        for (int j = begin; j < end; ++j) {
            const int y = region.y() + j;
            PixelRow row{pixels.data(), count, region.x(), y, width, height};
            loadRow(y, region.x(), count, pixels.data());
            runOps(row, checkpointOps, int(ops_.size()), blurred);
            encodeRow(pixels.data(), count, out.scanLine(j));
        }
    });
    // The planes and tables served this render only; free them before the geometry allocates.
    ops_.clear();
    planes_.clear();
    tables_.clear();
    return out;
}
