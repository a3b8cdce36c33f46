#include "core/imaging/filters/Pixellate.h"

#include "core/common/ImageLimits.h"

#include <QColorSpace>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

std::optional<QImage> pixellatedRegion(const QImage& image, double cellSize, QPointF centre, const QRect& region) {
    if (region.isEmpty() || image.isNull() || !(cellSize >= 1) || !std::isfinite(cellSize) ||
        !std::isfinite(centre.x()) || !std::isfinite(centre.y()))
        return std::nullopt;
    if (!isDecodableSize(region.width(), region.height())) return std::nullopt;
    const QImage source = image.format() == QImage::Format_RGBA8888_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QImage out(region.size(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull()) return std::nullopt;
    out.setColorSpace(source.colorSpace());
    const int maxX = source.width() - 1;
    const int maxY = source.height() - 1;

    // Cell boundaries along one axis, as pixel edges: a cell is centred on `c`, so edges sit at
    // c ± size/2 + k·size. Pixels are assigned to the cell holding their centre.
    auto cellIndex = [&](int pixel, double c) {
        return static_cast<long long>(std::floor((pixel + 0.5 - c) / cellSize + 0.5));
    };
    auto cellSpan = [&](long long index, double c, int& first, int& last) {
        const double lo = c + (index - 0.5) * cellSize;
        const double hi = c + (index + 0.5) * cellSize;
        first = static_cast<int>(std::ceil(lo - 0.5));
        last = static_cast<int>(std::ceil(hi - 0.5)) - 1;
        if (last < first) last = first;
    };

    // Walk the cells that touch the region; each cell's mean is taken over its full extent
    // (also the part outside the region), so the grid looks the same wherever the box is.
    const long long firstRowCell = cellIndex(region.top(), centre.y());
    const long long lastRowCell = cellIndex(region.bottom(), centre.y());
    const long long firstColCell = cellIndex(region.left(), centre.x());
    const long long lastColCell = cellIndex(region.right(), centre.x());
    for (long long rowCell = firstRowCell; rowCell <= lastRowCell; ++rowCell) {
        int y0, y1;
        cellSpan(rowCell, centre.y(), y0, y1);
        for (long long colCell = firstColCell; colCell <= lastColCell; ++colCell) {
            int x0, x1;
            cellSpan(colCell, centre.x(), x0, x1);
            // Cells are sampled on at most a 64 × 64 lattice: a mean over a huge cell needs no more.
            const int stepY = std::max(1, (y1 - y0 + 1) / 64);
            const int stepX = std::max(1, (x1 - x0 + 1) / 64);
            std::array<quint64, 4> sum{};
            quint64 n = 0;
            for (int y = y0; y <= y1; y += stepY) {
                const uchar* line = source.constScanLine(std::clamp(y, 0, maxY));
                for (int x = x0; x <= x1; x += stepX) {
                    const uchar* p = line + std::clamp(x, 0, maxX) * 4;
                    sum[0] += p[0], sum[1] += p[1], sum[2] += p[2], sum[3] += p[3];
                    ++n;
                }
            }
            uchar mean[4];
            for (int c = 0; c < 4; ++c) mean[c] = static_cast<uchar>((sum[c] + n / 2) / n);
            for (int c = 0; c < 3; ++c) mean[c] = std::min(mean[c], mean[3]);
            const int fillTop = std::max(y0, region.top()), fillBottom = std::min(y1, region.bottom());
            const int fillLeft = std::max(x0, region.left()), fillRight = std::min(x1, region.right());
            for (int y = fillTop; y <= fillBottom; ++y) {
                uchar* d = out.scanLine(y - region.top());
                for (int x = fillLeft; x <= fillRight; ++x) std::copy(mean, mean + 4, d + (x - region.left()) * 4);
            }
        }
    }
    return out;
}
