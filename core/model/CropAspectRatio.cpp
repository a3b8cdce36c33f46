#include "core/model/CropAspectRatio.h"

QString shortLabel(CropAspectRatio ratio) {
    switch (ratio) {
    case CropAspectRatio::free: return QStringLiteral("Free");
    case CropAspectRatio::original: return QStringLiteral("Orig");
    case CropAspectRatio::square1x1: return QStringLiteral("1:1");
    case CropAspectRatio::landscape16x9: return QStringLiteral("16:9");
    case CropAspectRatio::classic4x3: return QStringLiteral("4:3");
    case CropAspectRatio::photo3x2: return QStringLiteral("3:2");
    case CropAspectRatio::vertical9x16: return QStringLiteral("9:16");
    case CropAspectRatio::portrait4x5: return QStringLiteral("4:5");
    }
    return {};
}

std::optional<double> ratio(CropAspectRatio r) {
    switch (r) {
    case CropAspectRatio::free:
    case CropAspectRatio::original: return std::nullopt;
    case CropAspectRatio::square1x1: return 1.0;
    case CropAspectRatio::landscape16x9: return 16.0 / 9.0;
    case CropAspectRatio::classic4x3: return 4.0 / 3.0;
    case CropAspectRatio::photo3x2: return 1.5;
    case CropAspectRatio::vertical9x16: return 0.5625;
    case CropAspectRatio::portrait4x5: return 0.8;
    }
    return std::nullopt;
}
