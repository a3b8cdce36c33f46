// Display names of the edit model's enumerations, each a pair looked up like any inline text.
#include "core/localization/S.h"
#include "core/localization/TextTable.h"

#include "core/model/AnnotationTool.h"
#include "core/model/BackgroundCutoutEngine.h"
#include "core/model/BackgroundFillStyle.h"
#include "core/model/PhotoFilterPreset.h"
#include "core/model/WatermarkPosition.h"

#include <array>

namespace {

template <class E> struct Named {
    E value;
    S::EnumerationName name;
};

// One table per enumeration, in case order; the names double as the listing of enumerationNames().
constexpr std::array engines{
    Named<BackgroundCutoutEngine>{BackgroundCutoutEngine::autoAI,
                                  {"BackgroundCutoutEngine.autoAI", "Auto AI", "Oto AI"}},
    Named<BackgroundCutoutEngine>{BackgroundCutoutEngine::portraitAI,
                                  {"BackgroundCutoutEngine.portraitAI", "Portrait", "Portre"}},
    Named<BackgroundCutoutEngine>{BackgroundCutoutEngine::colorKeyMagic,
                                  {"BackgroundCutoutEngine.colorKeyMagic", "Color Key", "Renk Sil"}},
};

constexpr std::array fillStyles{
    Named<BackgroundFillStyle>{BackgroundFillStyle::transparent,
                               {"BackgroundFillStyle.transparent", "Transparent", "Şeffaf PNG"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::portraitBlur,
                               {"BackgroundFillStyle.portraitBlur", "Bokeh Blur", "Portre Bokeh"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::studioWhite,
                               {"BackgroundFillStyle.studioWhite", "Studio White", "Beyaz Stüdyo"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::studioBlack,
                               {"BackgroundFillStyle.studioBlack", "Studio Black", "Siyah Stüdyo"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::sunsetGradient,
                               {"BackgroundFillStyle.sunsetGradient", "Sunset", "Gün Batımı"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::oceanGradient,
                               {"BackgroundFillStyle.oceanGradient", "Ocean", "Okyanus"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::auroraGradient,
                               {"BackgroundFillStyle.auroraGradient", "Aurora", "Aurora"}},
    Named<BackgroundFillStyle>{BackgroundFillStyle::customColor,
                               {"BackgroundFillStyle.customColor", "Custom", "Özel Renk"}},
};

constexpr std::array presets{
    Named<PhotoFilterPreset>{PhotoFilterPreset::original,
                             {"PhotoFilterPreset.original", "Original", "Orijinal"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::vivid, {"PhotoFilterPreset.vivid", "Vivid", "Canlı"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::cinematic,
                             {"PhotoFilterPreset.cinematic", "Cinematic", "Sinematik"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::warmFilm,
                             {"PhotoFilterPreset.warmFilm", "Warm Film", "Sıcak Film"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::coolMatte,
                             {"PhotoFilterPreset.coolMatte", "Cool Matte", "Serin Mat"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::moodyDark,
                             {"PhotoFilterPreset.moodyDark", "Moody Dark", "Koyu Dramatik"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::dramatic,
                             {"PhotoFilterPreset.dramatic", "Dramatic", "Dramatik"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::noirBW, {"PhotoFilterPreset.noirBW", "B&W Noir", "S&B Noir"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::silverBW,
                             {"PhotoFilterPreset.silverBW", "B&W Silver", "S&B Gümüş"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::fade, {"PhotoFilterPreset.fade", "Fade", "Soluk"}},
    Named<PhotoFilterPreset>{PhotoFilterPreset::crisp, {"PhotoFilterPreset.crisp", "Crisp", "Keskin"}},
};

constexpr std::array tools{
    Named<AnnotationTool>{AnnotationTool::select, {"AnnotationTool.select", "Select", "Seç / Taşı"}},
    Named<AnnotationTool>{AnnotationTool::arrow, {"AnnotationTool.arrow", "Arrow", "Ok"}},
    Named<AnnotationTool>{AnnotationTool::line, {"AnnotationTool.line", "Line", "Çizgi"}},
    Named<AnnotationTool>{AnnotationTool::rectangle, {"AnnotationTool.rectangle", "Box", "Kutu"}},
    Named<AnnotationTool>{AnnotationTool::filledRectangle,
                          {"AnnotationTool.filledRectangle", "Fill Box", "Dolu Kutu"}},
    Named<AnnotationTool>{AnnotationTool::ellipse, {"AnnotationTool.ellipse", "Oval", "Daire"}},
    Named<AnnotationTool>{AnnotationTool::highlighter,
                          {"AnnotationTool.highlighter", "Highlight", "Fosforlu"}},
    Named<AnnotationTool>{AnnotationTool::spotlight, {"AnnotationTool.spotlight", "Spotlight", "Spot Işık"}},
    Named<AnnotationTool>{AnnotationTool::magnifier, {"AnnotationTool.magnifier", "Loupe 2×", "Büyüteç 2×"}},
    Named<AnnotationTool>{AnnotationTool::spotHeal, {"AnnotationTool.spotHeal", "Spot Heal", "Leke Sil"}},
    Named<AnnotationTool>{AnnotationTool::freehand, {"AnnotationTool.freehand", "Pen", "Kalem"}},
    Named<AnnotationTool>{AnnotationTool::text, {"AnnotationTool.text", "Text", "Metin"}},
    Named<AnnotationTool>{AnnotationTool::stepNumber, {"AnnotationTool.stepNumber", "Step ①", "Adım ①"}},
    Named<AnnotationTool>{AnnotationTool::blurRedact, {"AnnotationTool.blurRedact", "Blur", "Bulanık"}},
    Named<AnnotationTool>{AnnotationTool::pixelateRedact,
                          {"AnnotationTool.pixelateRedact", "Pixelate", "Pikselle"}},
};

constexpr std::array positions{
    Named<WatermarkPosition>{WatermarkPosition::bottomRight,
                             {"WatermarkPosition.bottomRight", "Bottom Right", "Sağ Alt"}},
    Named<WatermarkPosition>{WatermarkPosition::bottomLeft,
                             {"WatermarkPosition.bottomLeft", "Bottom Left", "Sol Alt"}},
    Named<WatermarkPosition>{WatermarkPosition::topRight,
                             {"WatermarkPosition.topRight", "Top Right", "Sağ Üst"}},
    Named<WatermarkPosition>{WatermarkPosition::topLeft,
                             {"WatermarkPosition.topLeft", "Top Left", "Sol Üst"}},
    Named<WatermarkPosition>{WatermarkPosition::center, {"WatermarkPosition.center", "Center", "Merkez"}},
    Named<WatermarkPosition>{WatermarkPosition::tiledDiagonal,
                             {"WatermarkPosition.tiledDiagonal", "Tiled Diagonal", "Çapraz Döşe"}},
};

template <class E, std::size_t N> QString nameIn(const std::array<Named<E>, N>& table, E value) {
    for (const auto& entry : table)
        if (entry.value == value)
            return S::t(QString::fromUtf8(entry.name.english), QString::fromUtf8(entry.name.turkish));
    return {};
}

} // namespace

namespace S {

QString engineName(BackgroundCutoutEngine engine) {
    return nameIn(engines, engine);
}
QString fillStyleName(BackgroundFillStyle style) {
    return nameIn(fillStyles, style);
}

QString presetName(PhotoFilterPreset preset) {
    if (preset == PhotoFilterPreset::portra)
        return QStringLiteral("Portra"); // a film's name, never translated
    return nameIn(presets, preset);
}

QString toolName(AnnotationTool tool) {
    return nameIn(tools, tool);
}
QString watermarkPositionName(WatermarkPosition position) {
    return nameIn(positions, position);
}

std::span<const EnumerationName> enumerationNames() {
    static const std::vector<EnumerationName> names = [] {
        std::vector<EnumerationName> out;
        auto append = [&out](const auto& table) {
            for (const auto& entry : table)
                out.push_back(entry.name);
        };
        append(engines);
        append(fillStyles);
        append(presets);
        append(tools);
        append(positions);
        return out;
    }();
    return names;
}

} // namespace S
