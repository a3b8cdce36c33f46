#include "core/model/BeautifyAspectRatio.h"

QString label(BeautifyAspectRatio ratio) {
    switch (ratio) {
    case BeautifyAspectRatio::automatic: return QStringLiteral("Auto");
    case BeautifyAspectRatio::ratio16x9: return QStringLiteral("16:9");
    case BeautifyAspectRatio::ratio1x1: return QStringLiteral("1:1");
    case BeautifyAspectRatio::ratio4x5: return QStringLiteral("4:5");
    case BeautifyAspectRatio::ratio9x16: return QStringLiteral("9:16");
    }
    return {};
}

std::optional<double> numericRatio(BeautifyAspectRatio ratio) {
    switch (ratio) {
    case BeautifyAspectRatio::automatic: return std::nullopt;
    case BeautifyAspectRatio::ratio16x9: return 16.0 / 9.0;
    case BeautifyAspectRatio::ratio1x1: return 1.0;
    case BeautifyAspectRatio::ratio4x5: return 0.8;
    case BeautifyAspectRatio::ratio9x16: return 9.0 / 16.0;
    }
    return std::nullopt;
}
