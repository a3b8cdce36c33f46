#include "core/imaging/FrameEdgeCoverage.h"

#include "core/imaging/filters/ParallelRows.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A path of its own: a painter caches a path's flattened form inside its shared data, so
// threads drawing at once each get theirs.
QPainterPath ownCopy(const QPainterPath& path) {
    QPainterPath copy;
    copy.setFillRule(path.fillRule());
    copy.addPath(path);
    return copy;
}

} // namespace

FrameEdgeCoverage::FrameEdgeCoverage(const QPainterPath& photoArea, const QPainterPath& outline,
                                     const QPen& hairline, const QRect& bounds, const QRect& interior) {
    const double hairlineWidth = hairline.widthF();
    if (bounds.isEmpty()) return;

    // Only the ring around the interior has partial coverage: the paths are rasterised in four
    // strips around a core that neither reaches, so a 24-megapixel frame never needs masks of
    // its own size. The hairline is centred on the outline; the core keeps clear of it.
    const int reach = int(std::ceil(std::max(hairlineWidth, 0.0) / 2)) + 2;
    const QRect core = interior.adjusted(reach, reach, -reach, -reach) & bounds;
    std::vector<QRect> strips;
    if (core.isEmpty()) {
        strips.push_back(bounds);
    } else {
        strips = {QRect(bounds.left(), bounds.top(), bounds.width(), core.top() - bounds.top()),
                  QRect(bounds.left(), core.top(), core.left() - bounds.left(), core.height()),
                  QRect(core.right() + 1, core.top(), bounds.right() - core.right(), core.height()),
                  QRect(bounds.left(), core.bottom() + 1, bounds.width(), bounds.bottom() - core.bottom())};
    }
    // A strip of a very large frame (its window bar alone can be thousands of rows) is drawn in
    // bands, so the masks stay a few megapixels whatever the photo's size.
    constexpr qint64 kBandPixels = 4'000'000;
    std::vector<QRect> pieces;
    for (const QRect& strip : strips) {
        if (strip.isEmpty()) continue;
        const int bandRows = int(std::clamp<qint64>(kBandPixels / strip.width(), 1, strip.height()));
        for (int top = strip.top(); top <= strip.bottom(); top += bandRows)
            pieces.emplace_back(strip.left(), top, strip.width(), std::min(bandRows, strip.bottom() + 1 - top));
    }
    // The pieces are independent: each is rasterised and read on its own thread, then joined.
    std::vector<Piece> done(pieces.size());
    parallelBands(int(pieces.size()), 1, [&](int begin, int end) {
        const QPainterPath area = ownCopy(photoArea), line = ownCopy(outline);
        for (int i = begin; i < end; ++i) done[i] = addStrip(area, line, hairline, pieces[i], interior);
    });
    size_t runCount = 0, coverageBytes = 0;
    for (const Piece& piece : done) {
        runCount += piece.runs.size();
        coverageBytes += piece.coverage.size();
    }
    runs_.reserve(runCount);
    coverage_.reserve(coverageBytes);
    for (Piece& piece : done) {
        for (Run run : piece.runs) {
            run.offset += coverage_.size();
            runs_.push_back(run);
        }
        coverage_.insert(coverage_.end(), piece.coverage.begin(), piece.coverage.end());
        piece = Piece();
    }
    std::sort(runs_.begin(), runs_.end(),
              [](const Run& a, const Run& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    top_ = bounds.top();
    rowStart_.assign(size_t(bounds.height()) + 1, 0);
    size_t next = 0;
    for (int j = 0; j < bounds.height(); ++j) {
        rowStart_[j] = int(next);
        while (next < runs_.size() && runs_[next].y == top_ + j) ++next;
    }
    rowStart_[bounds.height()] = int(next);
}

FrameEdgeCoverage::Piece FrameEdgeCoverage::addStrip(const QPainterPath& photoArea, const QPainterPath& outline,
                                                     const QPen& hairline, const QRect& strip, const QRect& interior) {
    Piece piece; // offsets from the piece's own start
    const auto rasterise = [&](QImage::Format format, auto&& paint) {
        QImage mask(strip.size(), format);
        if (mask.isNull()) throw std::bad_alloc();
        mask.fill(0);
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-strip.left(), -strip.top());
        paint(painter);
        painter.end();
        return mask;
    };
    const QImage photo =
        rasterise(QImage::Format_Alpha8, [&](QPainter& painter) { painter.fillPath(photoArea, Qt::white); });
    // The hairline as its own layer, in its own translucent colour: the painter's stroke blends
    // overlapping pieces of a curve more than once, and laying the layer over the photo keeps
    // exactly what stroking over it gives. Drawn in the painter's native format, its fastest.
    const QImage line = rasterise(QImage::Format_ARGB32_Premultiplied, [&](QPainter& painter) {
        painter.setPen(hairline);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    });
    std::vector<uchar> kinds(size_t(strip.width()));
    for (int j = 0; j < strip.height(); ++j) {
        const int y = strip.top() + j;
        const uchar* p = photo.constScanLine(j);
        const QRgb* h = reinterpret_cast<const QRgb*>(line.constScanLine(j));
        // Pixels the photo covers fully and the hairline not at all are copied like the interior
        // (kind 1); the others that either covers keep their coverages (kind 2). Inside the
        // interior the photo is there already: only the hairline counts.
        int from = strip.width(), to = strip.width();
        if (y >= interior.top() && y <= interior.bottom()) {
            from = std::clamp(interior.left() - strip.left(), 0, strip.width());
            to = std::clamp(interior.right() + 1 - strip.left(), 0, strip.width());
        }
        for (int i = 0; i < strip.width(); ++i) {
            const bool stroked = qAlpha(h[i]) != 0;
            if (i >= from && i < to)
                kinds[i] = stroked ? 2 : 0;
            else
                kinds[i] = p[i] == 255 && !stroked ? 1 : (p[i] != 0 || stroked ? 2 : 0);
        }
        for (int i = 0; i < strip.width();) {
            const uchar k = kinds[i];
            if (k == 0) {
                ++i;
                continue;
            }
            const int start = i;
            while (i < strip.width() && kinds[i] == k) ++i;
            piece.runs.push_back(Run{y, strip.left() + start, i - start, piece.coverage.size(), k == 1});
            if (k == 1) continue;
            for (int n = start; n < i; ++n) {
                const QRgb c = h[n];
                const uchar entry[kBytes] = {uchar(n >= from && n < to ? 0 : p[n]), uchar(qRed(c)), uchar(qGreen(c)),
                                             uchar(qBlue(c)), uchar(qAlpha(c))};
                piece.coverage.insert(piece.coverage.end(), entry, entry + kBytes);
            }
        }
    }
    return piece;
}

// Whole pixels ANDed together (a loop the compiler runs lane-parallel); the alpha byte of the
// result is 255 only if every pixel's is.
bool FrameEdgeCoverage::opaque(const uchar* pixels, int count) {
    std::uint32_t all = 0xffffffffu;
    for (int x = 0; x < count; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, pixels + 4 * size_t(x), 4);
        all &= pixel;
    }
    uchar bytes[4];
    std::memcpy(bytes, &all, 4);
    return bytes[3] == 255;
}

bool FrameEdgeCoverage::copyOpaque(uchar* to, const uchar* from, int count) {
    int x = 0;
#if defined(__SSE2__)
    __m128i all = _mm_set1_epi32(-1);
    for (; x + 4 <= count; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * size_t(x)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * size_t(x)), pixels);
        all = _mm_and_si128(all, pixels);
    }
    // Alpha is every fourth byte (RGBA order): all four of them still 255 means opaque.
    bool opaqueSoFar = (_mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_set1_epi32(-1))) & 0x8888) == 0x8888;
#else
    bool opaqueSoFar = true;
#endif
    for (; x < count; ++x) {
        std::memcpy(to + 4 * size_t(x), from + 4 * size_t(x), 4);
        opaqueSoFar = opaqueSoFar && from[4 * size_t(x) + 3] == 255;
    }
    return opaqueSoFar;
}

std::pair<const FrameEdgeCoverage::Run*, const FrameEdgeCoverage::Run*> FrameEdgeCoverage::row(int y) const {
    const int j = y - top_;
    if (j < 0 || j + 1 >= int(rowStart_.size())) return {nullptr, nullptr};
    return {runs_.data() + rowStart_[j], runs_.data() + rowStart_[j + 1]};
}

void FrameEdgeCoverage::blendRow(int y, uchar* row, int rowWidth, int shiftX, const uchar* photoRow,
                                 int photoWidth) const {
    const auto [begin, end] = this->row(y);
    for (const Run* run = begin; run != end; ++run) {
        // Only the part that lies on the canvas: a hairline wider than the padding runs off it.
        const int first = std::max(run->x, -shiftX), last = std::min(run->x + run->length, rowWidth - shiftX);
        if (run->full) {
            // The photo alone: copied where opaque, laid over what is there otherwise.
            const int from = std::max(first, 0), to = std::min(last, photoWidth);
            if (!photoRow || from >= to) continue;
            const uchar* source = photoRow + 4 * size_t(from);
            uchar* target = row + 4 * size_t(from + shiftX);
            if (opaque(source, to - from)) {
                std::memcpy(target, source, size_t(4) * (to - from));
            } else {
                for (int x = from; x < to; ++x, source += 4, target += 4) {
                    const float keep = 1.0f - source[3] / 255.0f;
                    for (int k = 0; k < 4; ++k)
                        target[k] = uchar(std::min(255, int(source[k] + target[k] * keep + 0.5f)));
                }
            }
            continue;
        }
        if (first >= last) continue;
        const uchar* coverage = coverage_.data() + run->offset + size_t(kBytes) * (first - run->x);
        for (int x = first; x < last; ++x, coverage += kBytes) {
            uchar* d = row + 4 * size_t(x + shiftX);
            // Source over with the coverage as the painter blends a brush: the photo first,
            // then the hairline's layer on top.
            if (coverage[0] && photoRow && x >= 0 && x < photoWidth) {
                const uchar* s = photoRow + 4 * size_t(x);
                const float c = coverage[0] / 255.0f;
                const float keep = 1.0f - s[3] / 255.0f * c;
                for (int k = 0; k < 4; ++k) d[k] = uchar(std::min(255, int(s[k] * c + d[k] * keep + 0.5f)));
            }
            if (const uchar* h = coverage + 1; h[3]) {
                const float keep = 1.0f - h[3] / 255.0f;
                for (int k = 0; k < 4; ++k) d[k] = uchar(std::min(255, int(h[k] + d[k] * keep + 0.5f)));
            }
        }
    }
}

qint64 FrameEdgeCoverage::bytes() const {
    return qint64(runs_.size() * sizeof(Run) + coverage_.size() + rowStart_.size() * sizeof(int));
}
