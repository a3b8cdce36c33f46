#include "core/imaging/SampledColor.h"

#include "core/common/CFormat.h"

#include <algorithm>
#include <cmath>

QString SampledColor::hexString() const {
    return cFormat("#%02X%02X%02X", r, g, b);
}

QString SampledColor::rgbString() const { return QStringLiteral("rgb(%1, %2, %3)").arg(r).arg(g).arg(b); }

QString SampledColor::hslString() const {
    const double rf = r / 255.0;
    const double gf = g / 255.0;
    const double bf = b / 255.0;
    const double maxC = std::max({rf, gf, bf});
    const double minC = std::min({rf, gf, bf});
    const double d = maxC - minC;
    const double lightness = (maxC + minC) / 2.0;
    double hue = 0.0;
    double saturation = 0.0;
    if (d != 0.0) {
        saturation = d / (1.0 - std::fabs(2.0 * lightness - 1.0));
        if (maxC == rf)
            hue = 60.0 * std::fmod((gf - bf) / d, 6.0); // keeps the dividend's sign, hence the fix-up below
        else if (maxC == gf)
            hue = 60.0 * ((bf - rf) / d + 2.0);
        else
            hue = 60.0 * ((rf - gf) / d + 4.0);
        if (hue < 0.0) hue += 360.0;
    }
    // The C library rounds an exact tie to even, as the format text means.
    return cFormat("hsl(%.0f, %.0f%%, %.0f%%)", hue, saturation * 100.0, lightness * 100.0);
}
