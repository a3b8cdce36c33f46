// Display names of the edit model's enumerations, each a pair looked up like any inline text.
#include "core/localization/S.h"

#include "core/model/AnnotationTool.h"
#include "core/model/BackgroundCutoutEngine.h"
#include "core/model/BackgroundFillStyle.h"
#include "core/model/PhotoFilterPreset.h"
#include "core/model/WatermarkPosition.h"

namespace S {

QString engineName(BackgroundCutoutEngine engine) {
    switch (engine) {
    case BackgroundCutoutEngine::autoAI: return t(QStringLiteral("Auto AI"), QStringLiteral("Oto AI"));
    case BackgroundCutoutEngine::portraitAI: return t(QStringLiteral("Portrait"), QStringLiteral("Portre"));
    case BackgroundCutoutEngine::colorKeyMagic: return t(QStringLiteral("Color Key"), QStringLiteral("Renk Sil"));
    }
    return {};
}

QString fillStyleName(BackgroundFillStyle style) {
    switch (style) {
    case BackgroundFillStyle::transparent: return t(QStringLiteral("Transparent"), QStringLiteral("Şeffaf PNG"));
    case BackgroundFillStyle::portraitBlur: return t(QStringLiteral("Bokeh Blur"), QStringLiteral("Portre Bokeh"));
    case BackgroundFillStyle::studioWhite: return t(QStringLiteral("Studio White"), QStringLiteral("Beyaz Stüdyo"));
    case BackgroundFillStyle::studioBlack: return t(QStringLiteral("Studio Black"), QStringLiteral("Siyah Stüdyo"));
    case BackgroundFillStyle::sunsetGradient: return t(QStringLiteral("Sunset"), QStringLiteral("Gün Batımı"));
    case BackgroundFillStyle::oceanGradient: return t(QStringLiteral("Ocean"), QStringLiteral("Okyanus"));
    case BackgroundFillStyle::auroraGradient: return t(QStringLiteral("Aurora"), QStringLiteral("Aurora"));
    case BackgroundFillStyle::customColor: return t(QStringLiteral("Custom"), QStringLiteral("Özel Renk"));
    }
    return {};
}

QString presetName(PhotoFilterPreset preset) {
    switch (preset) {
    case PhotoFilterPreset::original: return t(QStringLiteral("Original"), QStringLiteral("Orijinal"));
    case PhotoFilterPreset::vivid: return t(QStringLiteral("Vivid"), QStringLiteral("Canlı"));
    case PhotoFilterPreset::cinematic: return t(QStringLiteral("Cinematic"), QStringLiteral("Sinematik"));
    case PhotoFilterPreset::warmFilm: return t(QStringLiteral("Warm Film"), QStringLiteral("Sıcak Film"));
    case PhotoFilterPreset::portra: return QStringLiteral("Portra"); // a film's name, never translated
    case PhotoFilterPreset::coolMatte: return t(QStringLiteral("Cool Matte"), QStringLiteral("Serin Mat"));
    case PhotoFilterPreset::moodyDark: return t(QStringLiteral("Moody Dark"), QStringLiteral("Koyu Dramatik"));
    case PhotoFilterPreset::dramatic: return t(QStringLiteral("Dramatic"), QStringLiteral("Dramatik"));
    case PhotoFilterPreset::noirBW: return t(QStringLiteral("B&W Noir"), QStringLiteral("S&B Noir"));
    case PhotoFilterPreset::silverBW: return t(QStringLiteral("B&W Silver"), QStringLiteral("S&B Gümüş"));
    case PhotoFilterPreset::fade: return t(QStringLiteral("Fade"), QStringLiteral("Soluk"));
    case PhotoFilterPreset::crisp: return t(QStringLiteral("Crisp"), QStringLiteral("Keskin"));
    }
    return {};
}

QString toolName(AnnotationTool tool) {
    switch (tool) {
    case AnnotationTool::select: return t(QStringLiteral("Select"), QStringLiteral("Seç / Taşı"));
    case AnnotationTool::arrow: return t(QStringLiteral("Arrow"), QStringLiteral("Ok"));
    case AnnotationTool::line: return t(QStringLiteral("Line"), QStringLiteral("Çizgi"));
    case AnnotationTool::rectangle: return t(QStringLiteral("Box"), QStringLiteral("Kutu"));
    case AnnotationTool::filledRectangle: return t(QStringLiteral("Fill Box"), QStringLiteral("Dolu Kutu"));
    case AnnotationTool::ellipse: return t(QStringLiteral("Oval"), QStringLiteral("Daire"));
    case AnnotationTool::highlighter: return t(QStringLiteral("Highlight"), QStringLiteral("Fosforlu"));
    case AnnotationTool::spotlight: return t(QStringLiteral("Spotlight"), QStringLiteral("Spot Işık"));
    case AnnotationTool::magnifier: return t(QStringLiteral("Loupe 2×"), QStringLiteral("Büyüteç 2×"));
    case AnnotationTool::spotHeal: return t(QStringLiteral("Spot Heal"), QStringLiteral("Leke Sil"));
    case AnnotationTool::freehand: return t(QStringLiteral("Pen"), QStringLiteral("Kalem"));
    case AnnotationTool::text: return t(QStringLiteral("Text"), QStringLiteral("Metin"));
    case AnnotationTool::stepNumber: return t(QStringLiteral("Step ①"), QStringLiteral("Adım ①"));
    case AnnotationTool::blurRedact: return t(QStringLiteral("Blur"), QStringLiteral("Bulanık"));
    case AnnotationTool::pixelateRedact: return t(QStringLiteral("Pixelate"), QStringLiteral("Pikselle"));
    }
    return {};
}

QString watermarkPositionName(WatermarkPosition position) {
    switch (position) {
    case WatermarkPosition::bottomRight: return t(QStringLiteral("Bottom Right"), QStringLiteral("Sağ Alt"));
    case WatermarkPosition::bottomLeft: return t(QStringLiteral("Bottom Left"), QStringLiteral("Sol Alt"));
    case WatermarkPosition::topRight: return t(QStringLiteral("Top Right"), QStringLiteral("Sağ Üst"));
    case WatermarkPosition::topLeft: return t(QStringLiteral("Top Left"), QStringLiteral("Sol Üst"));
    case WatermarkPosition::center: return t(QStringLiteral("Center"), QStringLiteral("Merkez"));
    case WatermarkPosition::tiledDiagonal: return t(QStringLiteral("Tiled Diagonal"), QStringLiteral("Çapraz Döşe"));
    }
    return {};
}

} // namespace S
