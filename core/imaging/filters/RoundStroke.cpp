#include "core/imaging/filters/RoundStroke.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Far past any image the direction of a line no longer shows on it; clamping there keeps every
// product below finite.
constexpr double kCoordinateLimit = 1e7;

// Rows whose coverage is gathered before they are laid on the image.
constexpr int kBandRows = 32;

struct Segment {
    double ax, ay, dx, dy, len2, length;
    int firstRow, lastRow; // rows the stroke of this segment can touch, inside the image
};

struct Span {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    bool empty() const { return !(lo <= hi); }
    void unite(double a, double b) {
        lo = std::min(lo, a);
        hi = std::max(hi, b);
    }
};

// The x range where the linear form c·x + k lies in [lo, hi]; all of x when c is 0 and it does.
bool solveRange(double c, double k, double lo, double hi, double& from, double& to) {
    if (c == 0) {
        if (k < lo || k > hi) return false;
        from = -std::numeric_limits<double>::infinity();
        to = std::numeric_limits<double>::infinity();
        return true;
    }
    const double a = (lo - k) / c, b = (hi - k) / c;
    from = std::min(a, b);
    to = std::max(a, b);
    return true;
}

// Where the row at height y meets the capsule of radius r around the segment: the union of the
// two end discs and the band between them. The capsule is convex, so the union is one interval.
Span capsuleSpan(const Segment& s, double y, double r) {
    Span span;
    for (const auto& [cx, cy] : {std::pair{s.ax, s.ay}, std::pair{s.ax + s.dx, s.ay + s.dy}}) {
        const double dy = y - cy;
        if (std::abs(dy) <= r) {
            const double half = std::sqrt(r * r - dy * dy);
            span.unite(cx - half, cx + half);
        }
    }
    if (s.len2 > 0) {
        const double oy = y - s.ay;
        double a0, a1, b0, b1;
        // Projection on the segment within its ends, distance from its line within r.
        if (solveRange(s.dx, -s.ax * s.dx + oy * s.dy, 0, s.len2, a0, a1) &&
            solveRange(s.dy, -s.ax * s.dy - oy * s.dx, -r * s.length, r * s.length, b0, b1)) {
            const double from = std::max(a0, b0), to = std::min(a1, b1);
            if (from <= to) span.unite(from, to);
        }
    }
    return span;
}

double distanceTo(const Segment& s, double x, double y) {
    const double px = x - s.ax, py = y - s.ay;
    const double t = s.len2 > 0 ? std::clamp((px * s.dx + py * s.dy) / s.len2, 0.0, 1.0) : 0.0;
    const double ex = px - t * s.dx, ey = py - t * s.dy;
    return std::sqrt(ex * ex + ey * ey); // not hypot: its care for overflow costs several times more
}

inline uchar div255(unsigned v) {
    return static_cast<uchar>((v + 128 + ((v + 128) >> 8)) >> 8);
}

} // namespace

void strokeRoundPolyline(QImage& target, const QList<QPointF>& points, double width, const QColor& color) {
    if (points.isEmpty() || target.isNull() || target.format() != QImage::Format_RGBA8888_Premultiplied)
        return;
    if (!(width > 0) || !std::isfinite(width) || color.alpha() == 0) return;
    const int imageWidth = target.width();
    const int imageHeight = target.height();
    const double half = std::min(width, 8.0 * std::max(imageWidth, imageHeight)) / 2;
    // Coverage falls linearly over one pixel across the edge: full within half − 0.5 of the
    // line, none beyond half + 0.5.
    const double outer = half + 0.5;
    const double inner = half - 0.5;

    auto clamped = [](double v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
    std::vector<Segment> segments;
    segments.reserve(static_cast<std::size_t>(points.size()));
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF& a = points[i];
        const QPointF& b = points[std::min(i + 1, points.size() - 1)];
        if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
            continue;
        // A single point is a segment of length zero; after that only the segments between points.
        if (i + 1 == points.size() && points.size() > 1) break;
        Segment s;
        s.ax = clamped(a.x());
        s.ay = clamped(a.y());
        s.dx = clamped(b.x()) - s.ax;
        s.dy = clamped(b.y()) - s.ay;
        s.len2 = s.dx * s.dx + s.dy * s.dy;
        s.length = std::sqrt(s.len2);
        const double top = std::min(s.ay, s.ay + s.dy) - outer;
        const double bottom = std::max(s.ay, s.ay + s.dy) + outer;
        s.firstRow = static_cast<int>(std::max(0.0, std::floor(top)));
        s.lastRow = static_cast<int>(std::min(imageHeight - 1.0, std::ceil(bottom)));
        if (s.firstRow <= s.lastRow && bottom >= 0 && top <= imageHeight) segments.push_back(s);
    }
    if (segments.empty()) return;

    const int bands = (imageHeight + kBandRows - 1) / kBandRows;
    std::vector<std::vector<int>> bandSegments(static_cast<std::size_t>(bands));
    for (int i = 0; i < static_cast<int>(segments.size()); ++i)
        for (int band = segments[i].firstRow / kBandRows; band <= segments[i].lastRow / kBandRows; ++band)
            bandSegments[band].push_back(i);

    const QRgb premultiplied = qPremultiply(color.rgba());
    const unsigned source[4] = {
        static_cast<unsigned>(qRed(premultiplied)), static_cast<unsigned>(qGreen(premultiplied)),
        static_cast<unsigned>(qBlue(premultiplied)), static_cast<unsigned>(qAlpha(premultiplied))};
    std::vector<uchar> coverage(static_cast<std::size_t>(kBandRows) * imageWidth, 0);
    uchar* const pixels = target.bits();
    if (!pixels) return;
    const qsizetype stride = target.bytesPerLine();

    for (int band = 0; band < bands; ++band) {
        const auto& here = bandSegments[band];
        if (here.empty()) continue;
        const int firstRow = band * kBandRows;
        const int rows = std::min(kBandRows, imageHeight - firstRow);
        for (int r = 0; r < rows; ++r) {
            const int row = firstRow + r;
            const double y = row + 0.5;
            uchar* cover = coverage.data() + static_cast<std::size_t>(r) * imageWidth;
            int touchedFrom = imageWidth, touchedTo = -1;
            for (const int index : here) {
                const Segment& s = segments[index];
                if (row < s.firstRow || row > s.lastRow) continue;
                const Span reach = capsuleSpan(s, y, outer);
                if (reach.empty()) continue;
                // Pixels whose centres lie within the span.
                const int from = static_cast<int>(std::max(0.0, std::ceil(reach.lo - 0.5)));
                const int to = static_cast<int>(std::min(imageWidth - 1.0, std::floor(reach.hi - 0.5)));
                if (from > to) continue;
                touchedFrom = std::min(touchedFrom, from);
                touchedTo = std::max(touchedTo, to);
                int solidFrom = to + 1, solidTo = to;
                if (inner > 0) {
                    const Span solid = capsuleSpan(s, y, inner);
                    if (!solid.empty()) {
                        solidFrom = static_cast<int>(std::max<double>(from, std::ceil(solid.lo - 0.5)));
                        solidTo = static_cast<int>(std::min<double>(to, std::floor(solid.hi - 0.5)));
                    }
                }
                if (solidFrom <= solidTo) {
                    std::fill(cover + solidFrom, cover + solidTo + 1, uchar(255));
                } else {
                    solidFrom = to + 1;
                    solidTo = to;
                }
                auto edge = [&](int x) {
                    // Along a scribble most edge pixels lie inside a neighbouring segment's core.
                    if (cover[x] == 255) return;
                    const double c = std::clamp(outer - distanceTo(s, x + 0.5, y), 0.0, 1.0);
                    const auto level = static_cast<uchar>(c * 255 + 0.5);
                    cover[x] = std::max(cover[x], level);
                };
                for (int x = from; x < solidFrom; ++x)
                    edge(x);
                for (int x = std::max(solidTo + 1, from); x <= to; ++x)
                    edge(x);
            }
            if (touchedTo < touchedFrom) continue;
            uchar* line = pixels + stride * row;
            for (int x = touchedFrom; x <= touchedTo; ++x) {
                const unsigned c = cover[x];
                if (c == 0) continue;
                cover[x] = 0;
                uchar* d = line + x * 4;
                if (c == 255 && source[3] == 255) {
                    d[0] = static_cast<uchar>(source[0]), d[1] = static_cast<uchar>(source[1]);
                    d[2] = static_cast<uchar>(source[2]), d[3] = 255;
                    continue;
                }
                const unsigned sa = div255(source[3] * c);
                for (int k = 0; k < 4; ++k)
                    d[k] = static_cast<uchar>(div255(source[k] * c) + div255(d[k] * (255 - sa)));
            }
        }
    }
}
