#include "core/model/BackgroundStudioSettings.h"
#include "core/model/BeautifySettings.h"
#include "core/model/WatermarkSettings.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

template <class T>
std::optional<T> throughText(const T& value) {
    return T::fromJson(QJsonDocument::fromJson(QJsonDocument(value.toJson()).toJson()).object());
}

template <class E>
void expectCases(std::initializer_list<const char*> raw) {
    const auto& all = allCases<E>();
    ASSERT_EQ(all.size(), raw.size());
    size_t i = 0;
    for (const char* text : raw) {
        EXPECT_EQ(rawValue(all[i]), QLatin1StringView(text));
        EXPECT_EQ(fromRawValue<E>(QLatin1StringView(text)), all[i]);
        ++i;
    }
}

} // namespace

TEST(StudioEnumerationsTest, CasesInOrderWithTheirRawValues) {
    expectCases<BeautifyWallpaper>(
        {"oceanBlue", "sunsetCoral", "violetAurora", "emeraldMist", "midnightSlate", "warmSand"});
    expectCases<BeautifyAspectRatio>({"auto", "ratio16x9", "ratio1x1", "ratio4x5", "ratio9x16"});
    expectCases<WatermarkPosition>({"bottomRight", "bottomLeft", "topRight", "topLeft", "center", "tiledDiagonal"});
    expectCases<BackgroundCutoutEngine>({"autoAI", "portraitAI", "colorKeyMagic"});
    expectCases<BackgroundFillStyle>({"transparent", "portraitBlur", "studioWhite", "studioBlack", "sunsetGradient",
                                      "oceanGradient", "auroraGradient", "customColor"});
    EXPECT_FALSE(fromRawValue<BeautifyAspectRatio>("automatic")); // the C++ name is not the stored one
    EXPECT_FALSE(fromRawValue<WatermarkPosition>("Center"));
}

TEST(StudioEnumerationsTest, AspectRatiosAndWallpaperColours) {
    EXPECT_FALSE(numericRatio(BeautifyAspectRatio::automatic));
    for (auto r : allCases<BeautifyAspectRatio>()) {
        if (r != BeautifyAspectRatio::automatic) {
            EXPECT_TRUE(numericRatio(r)) << rawValue(r).toStdString();
        }
    }
    EXPECT_DOUBLE_EQ(*numericRatio(BeautifyAspectRatio::ratio9x16), 0.5625);
    EXPECT_DOUBLE_EQ(*numericRatio(BeautifyAspectRatio::ratio16x9), 16.0 / 9.0);
    EXPECT_EQ(label(BeautifyAspectRatio::automatic), "Auto");
    EXPECT_EQ(label(BeautifyAspectRatio::ratio4x5), "4:5");

    const auto ocean = gradientStops(BeautifyWallpaper::oceanBlue);
    EXPECT_EQ(swatchColors(BeautifyWallpaper::oceanBlue)[0], ocean[0]);
    EXPECT_EQ(swatchColors(BeautifyWallpaper::oceanBlue)[1], ocean[2]);
    // Two swatches are not the frame's first and last stops.
    EXPECT_EQ(swatchColors(BeautifyWallpaper::violetAurora)[1], (RGBAColor{0.48, 0.26, 0.95, 1}));
    EXPECT_EQ(swatchColors(BeautifyWallpaper::midnightSlate)[0], (RGBAColor{0.24, 0.28, 0.36, 1}));
}

TEST(StudioSettingsTest, DefaultWatermarkIsOffUntilTurnedOn) {
    const WatermarkSettings w;
    EXPECT_FALSE(w.enabled);
    EXPECT_TRUE(w.text.startsWith(QStringLiteral("\u00A9 ")));
    EXPECT_GT(w.text.size(), 2);
}

TEST(StudioSettingsTest, RoundTripsKeepEveryValueUnclamped) {
    BeautifySettings b;
    b.enabled = true;
    b.wallpaper = BeautifyWallpaper::warmSand;
    b.aspectRatio = BeautifyAspectRatio::ratio9x16;
    b.padding = 5.5; // far beyond the slider; kept
    b.cornerRadius = -3;
    b.shadowIntensity = 0.1 + 0.2;
    b.showWindowBar = true;
    EXPECT_EQ(throughText(b), b);
    EXPECT_EQ(throughText(BeautifySettings{}), BeautifySettings{});

    WatermarkSettings w;
    w.enabled = true;
    w.text = QString::fromUtf8("  Ünlü \n\t ");
    w.opacity = 1.5;
    w.fontSize = 1e6;
    w.color = {0.2, 0.4, 0.6, 0};
    w.position = WatermarkPosition::tiledDiagonal;
    EXPECT_EQ(throughText(w), w);

    BackgroundStudioSettings s;
    s.enabled = true;
    s.engine = BackgroundCutoutEngine::colorKeyMagic;
    s.fillStyle = BackgroundFillStyle::customColor;
    s.colorKeyTarget = {0.01, 0.02, 0.03, 0.5};
    s.colorKeyContiguous = false;
    s.edgeFeather = 0;
    EXPECT_EQ(throughText(s), s);
    EXPECT_EQ(s.toJson().keys().size(), 9);
}

TEST(StudioSettingsTest, StrictDecodingNamesTheFirstProblem) {
    const QJsonObject good = BackgroundStudioSettings{}.toJson();
    for (const QString& key : good.keys()) {
        QJsonObject o = good;
        o.remove(key);
        JsonDecodeError error;
        EXPECT_FALSE(BackgroundStudioSettings::fromJson(o, &error));
        EXPECT_EQ(error.path, key);
    }
    JsonDecodeError error;
    QJsonObject o = good;
    o["fillStyle"] = "bokeh";
    EXPECT_FALSE(BackgroundStudioSettings::fromJson(o, &error));
    EXPECT_EQ(error.toString(), "fillStyle: unknown value \"bokeh\"");
    o = good;
    o["customFillColor"] = QJsonObject{{"r", 1}, {"g", 1}, {"b", 1}};
    EXPECT_FALSE(BackgroundStudioSettings::fromJson(o, &error));
    EXPECT_EQ(error.toString(), "customFillColor.a: missing key");
    o = good;
    o["colorKeyContiguous"] = 1; // a number is not a boolean
    EXPECT_FALSE(BackgroundStudioSettings::fromJson(o, &error));

    QJsonObject w = WatermarkSettings{}.toJson();
    w["text"] = 42;
    EXPECT_FALSE(WatermarkSettings::fromJson(w, &error));
    EXPECT_EQ(error.toString(), "text: expected a string");
    QJsonObject b = BeautifySettings{}.toJson();
    b["aspectRatio"] = "automatic";
    EXPECT_FALSE(BeautifySettings::fromJson(b));
}
