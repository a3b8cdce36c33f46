#include "core/imaging/filters/TemperatureAndTint.h"

#include "core/imaging/filters/SrgbTransfer.h"

#include <algorithm>
#include <cmath>

namespace {

using Mat3 = std::array<double, 9>;
using Vec3 = std::array<double, 3>;

constexpr Mat3 kBradford{0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
constexpr Mat3 kSrgbToXyz{0.4124564, 0.3575761, 0.1804375, 0.2126729, 0.7151522,
                          0.0721750, 0.0193339, 0.1191920, 0.9503041};
constexpr Mat3 kXyzToSrgb{3.2404542, -1.5371385, -0.4985314, -0.9692660, 1.8760108,
                          0.0415560, 0.0556434,  -0.2040259, 1.0572252};

Mat3 multiply(const Mat3& a, const Mat3& b) {
    Mat3 out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) out[i * 3 + j] += a[i * 3 + k] * b[k * 3 + j];
    return out;
}

Vec3 transformed(const Mat3& m, const Vec3& v) {
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Mat3 inverse(const Mat3& m) {
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                       m[2] * (m[3] * m[7] - m[4] * m[6]);
    const double s = 1.0 / det;
    return {(m[4] * m[8] - m[5] * m[7]) * s, (m[2] * m[7] - m[1] * m[8]) * s, (m[1] * m[5] - m[2] * m[4]) * s,
            (m[5] * m[6] - m[3] * m[8]) * s, (m[0] * m[8] - m[2] * m[6]) * s, (m[2] * m[3] - m[0] * m[5]) * s,
            (m[3] * m[7] - m[4] * m[6]) * s, (m[1] * m[6] - m[0] * m[7]) * s, (m[0] * m[4] - m[1] * m[3]) * s};
}

// Kim et al. (2002): CIE xy of a Planckian radiator.
std::array<double, 2> planckian(double kelvin) {
    const double t = std::clamp(std::isfinite(kelvin) ? kelvin : 6500.0, 1667.0, 25000.0);
    const double t2 = t * t, t3 = t2 * t;
    const double x = t <= 4000 ? -0.2661239e9 / t3 - 0.2343589e6 / t2 + 0.8776956e3 / t + 0.179910
                               : -3.0258469e9 / t3 + 2.1070379e6 / t2 + 0.2226347e3 / t + 0.240390;
    const double x2 = x * x, x3 = x2 * x;
    double y;
    if (t <= 2222) y = -1.1063814 * x3 - 1.34811020 * x2 + 2.18555832 * x - 0.20219683;
    else if (t <= 4000) y = -0.9549476 * x3 - 1.37418593 * x2 + 2.09137015 * x - 0.16748867;
    else y = 3.0817580 * x3 - 5.87338670 * x2 + 3.75112997 * x - 0.37001483;
    return {x, y};
}

std::array<double, 2> toUv(const std::array<double, 2>& xy) {
    const double d = -2 * xy[0] + 12 * xy[1] + 3;
    return {4 * xy[0] / d, 6 * xy[1] / d};
}

std::array<double, 2> toXy(const std::array<double, 2>& uv) {
    const double d = 2 * uv[0] - 8 * uv[1] + 4;
    return {3 * uv[0] / d, 2 * uv[1] / d};
}

Vec3 whiteXyz(const std::array<double, 2>& xy) {
    const double y = std::max(xy[1], 1e-6);
    return {xy[0] / y, 1.0, (1 - xy[0] - xy[1]) / y};
}

} // namespace

std::array<double, 2> TemperatureAndTint::chromaticity(double kelvin, double tint) {
    const auto uv = toUv(planckian(kelvin));
    if (!std::isfinite(tint) || tint == 0) return toXy(uv);
    // The locus normal, turned towards −v: magenta lies below the locus in uv, green above.
    const auto a = toUv(planckian(kelvin - 10)), b = toUv(planckian(kelvin + 10));
    double nu = -(b[1] - a[1]), nv = b[0] - a[0];
    const double length = std::hypot(nu, nv);
    if (length <= 0) return toXy(uv);
    nu /= length;
    nv /= length;
    if (nv > 0) {
        nu = -nu;
        nv = -nv;
    }
    const double step = std::clamp(tint, -1000.0, 1000.0) / 3000.0;
    return toXy({uv[0] + nu * step, uv[1] + nv * step});
}

std::array<float, 9> TemperatureAndTint::matrix() const {
    const Vec3 source = transformed(kBradford, whiteXyz(chromaticity(neutral[0], neutral[1])));
    const Vec3 target = transformed(kBradford, whiteXyz(chromaticity(targetNeutral[0], targetNeutral[1])));
    const Mat3 scale{target[0] / source[0], 0, 0, 0, target[1] / source[1], 0, 0, 0, target[2] / source[2]};
    const Mat3 adaptation = multiply(inverse(kBradford), multiply(scale, kBradford));
    const Mat3 rgb = multiply(kXyzToSrgb, multiply(adaptation, kSrgbToXyz));
    std::array<float, 9> out{};
    for (int i = 0; i < 9; ++i) out[i] = float(rgb[i]);
    return out;
}

void TemperatureAndTint::apply(const std::array<float, 9>& m, float* r, float* g, float* b, int n) {
    srgb::toLinear(r, n);
    srgb::toLinear(g, n);
    srgb::toLinear(b, n);
    for (int i = 0; i < n; ++i) {
        const float lr = r[i], lg = g[i], lb = b[i];
        r[i] = m[0] * lr + m[1] * lg + m[2] * lb;
        g[i] = m[3] * lr + m[4] * lg + m[5] * lb;
        b[i] = m[6] * lr + m[7] * lg + m[8] * lb;
    }
    srgb::toEncoded(r, n);
    srgb::toEncoded(g, n);
    srgb::toEncoded(b, n);
}
