#include "core/model/NormalizedCropRect.h"

#include <algorithm>
#include <cmath>

namespace {

double limited(double v, double lo, double hi) {
    if (std::isnan(v)) return lo;
    return std::clamp(v, lo, hi);
}

// min(size, room) but at least `minimum`. A size that is not a number takes all the room left:
// an undefined crop keeps the picture rather than collapsing it.
double fitted(double size, double room, double minimum) {
    if (std::isnan(size)) size = room;
    return std::max(std::min(size, room), minimum);
}

} // namespace

NormalizedCropRect::NormalizedCropRect(double x_, double y_, double width_, double height_) {
    x = limited(x_, 0, 1);
    y = limited(y_, 0, 1);
    width = fitted(width_, 1 - x, 0.02);
    height = fitted(height_, 1 - y, 0.02);
}

bool NormalizedCropRect::isFull() const {
    return std::abs(x) < 0.001 && std::abs(y) < 0.001 && std::abs(width - 1) < 0.001 && std::abs(height - 1) < 0.001;
}

NormalizedCropRect NormalizedCropRect::clamped() const {
    const double cx = limited(x, 0, 0.95);
    const double cy = limited(y, 0, 0.95);
    return NormalizedCropRect(cx, cy, fitted(width, 1 - cx, 0.05), fitted(height, 1 - cy, 0.05));
}

QJsonObject NormalizedCropRect::toJson() const {
    return {{QStringLiteral("x"), x},
            {QStringLiteral("y"), y},
            {QStringLiteral("width"), width},
            {QStringLiteral("height"), height}};
}

std::optional<NormalizedCropRect> NormalizedCropRect::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                               const QString& path) {
    JsonObjectReader r(value, path, error);
    const double x = r.number(u"x");
    const double y = r.number(u"y");
    const double width = r.number(u"width");
    const double height = r.number(u"height");
    if (!r.ok()) return std::nullopt;
    return unclamped(x, y, width, height);
}
