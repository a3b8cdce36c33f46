#include "core/model/CropAspectRatio.h"
#include "core/model/EditAdjustments.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

void expectRect(const NormalizedCropRect& r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.x, x, 1e-12);
    EXPECT_NEAR(r.y, y, 1e-12);
    EXPECT_NEAR(r.width, w, 1e-12);
    EXPECT_NEAR(r.height, h, 1e-12);
}

std::optional<EditAdjustments> throughText(const EditAdjustments& a, JsonDecodeError* error = nullptr) {
    const QByteArray text = QJsonDocument(a.toJson()).toJson(QJsonDocument::Compact);
    const auto object = parseJsonObject(text, error);
    return object ? EditAdjustments::fromJson(*object, error) : std::nullopt;
}

// Every double of the recipe, for changing each in turn.
std::vector<double EditAdjustments::*> numberFields() {
    return {&EditAdjustments::exposure, &EditAdjustments::brightness, &EditAdjustments::contrast,
            &EditAdjustments::saturation, &EditAdjustments::vibrance, &EditAdjustments::warmth,
            &EditAdjustments::tint, &EditAdjustments::highlights, &EditAdjustments::shadows,
            &EditAdjustments::clarity, &EditAdjustments::sharpness, &EditAdjustments::vignette,
            &EditAdjustments::grain};
}

} // namespace

TEST(EditAdjustmentsTest, IdentityTestsAndTheirTolerances) {
    EditAdjustments a;
    EXPECT_TRUE(a.isIdentity());
    EXPECT_TRUE(a.isColorAndTransformIdentity());

    a.beautify.enabled = true;
    EXPECT_FALSE(a.isIdentity());
    EXPECT_TRUE(a.isColorAndTransformIdentity());
    a = {};
    a.watermark.enabled = true;
    EXPECT_FALSE(a.isIdentity());
    EXPECT_TRUE(a.isColorAndTransformIdentity());

    a = {};
    a.contrast = 1.0005;
    EXPECT_TRUE(a.isIdentity());
    a.contrast = 1.002;
    EXPECT_FALSE(a.isColorAndTransformIdentity());
    a = {};
    a.straightenDegrees = 0.005; // degrees have their own, wider tolerance
    EXPECT_TRUE(a.isIdentity());
    a.straightenDegrees = -0.02;
    EXPECT_FALSE(a.isIdentity());
    a = {};
    a.quarterTurns = 4;
    EXPECT_TRUE(a.isIdentity());
    a.quarterTurns = -8;
    EXPECT_TRUE(a.isIdentity());
    a.quarterTurns = 2;
    EXPECT_FALSE(a.isIdentity());

    for (auto field : numberFields()) {
        EditAdjustments b;
        b.*field += 0.0009;
        EXPECT_TRUE(b.isColorAndTransformIdentity());
        b.*field += 0.0011;
        EXPECT_FALSE(b.isColorAndTransformIdentity());
        b.*field = std::numeric_limits<double>::quiet_NaN();
        EXPECT_FALSE(b.isColorAndTransformIdentity());
    }

    a = {};
    a.flipVertical = true;
    EXPECT_FALSE(a.isIdentity());
    a = {};
    a.filterPreset = PhotoFilterPreset::fade;
    EXPECT_FALSE(a.isIdentity());
    a = {};
    a.autoEnhanced = true;
    EXPECT_FALSE(a.isIdentity());
    a = {};
    a.cropRect = NormalizedCropRect::unclamped(0.0005, 0, 0.9995, 1);
    EXPECT_TRUE(a.isIdentity());
    a.cropRect = NormalizedCropRect(0, 0, 0.5, 1);
    EXPECT_FALSE(a.isIdentity());

    // Equality is exact, unlike the identity tests.
    a = {};
    a.contrast = 1.0005;
    EXPECT_NE(a, EditAdjustments{});
    a = {};
    a.watermark.text = "x";
    EXPECT_NE(a, EditAdjustments{});
}

TEST(EditAdjustmentsTest, RotationStaysInZeroToThree) {
    EditAdjustments a;
    for (int i = 1; i <= 4; ++i) {
        a.rotateClockwise();
        EXPECT_EQ(a.quarterTurns, i % 4);
    }
    a.rotateCounterClockwise();
    EXPECT_EQ(a.quarterTurns, 3);
    a.rotateCounterClockwise();
    EXPECT_EQ(a.quarterTurns, 2);

    // Out-of-range values arrive only through stored recipes; the remainder keeps their sign and
    // the largest ones do not overflow.
    a.quarterTurns = 6;
    a.rotateClockwise();
    EXPECT_EQ(a.quarterTurns, 3);
    a.quarterTurns = -6;
    a.rotateClockwise();
    EXPECT_EQ(a.quarterTurns, -1);
    a.quarterTurns = std::numeric_limits<std::int64_t>::max(); // ≡ 3 (mod 4)
    a.rotateClockwise();
    EXPECT_EQ(a.quarterTurns, 0);
    a.quarterTurns = std::numeric_limits<std::int64_t>::max() - 1;
    a.rotateCounterClockwise();
    EXPECT_EQ(a.quarterTurns, 1);
    a.quarterTurns = std::numeric_limits<std::int64_t>::min();
    a.rotateCounterClockwise();
    EXPECT_EQ(a.quarterTurns, -1);
}

TEST(NormalizedCropRectTest, ClampingConstructor) {
    expectRect(NormalizedCropRect(0.9, 0, 0.5, 1), 0.9, 0, 0.1, 1);
    expectRect(NormalizedCropRect(1, 0, 0.5, 1), 1, 0, 0.02, 1); // the minimum wins at the edge
    expectRect(NormalizedCropRect(-0.3, 2, 0.001, 0.5), 0, 1, 0.02, 0.02);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    expectRect(NormalizedCropRect(nan, nan, 0.5, 0.5), 0, 0, 0.5, 0.5);
    expectRect(NormalizedCropRect(0.2, 0.4, nan, inf), 0.2, 0.4, 0.8, 0.6);
    expectRect(NormalizedCropRect(inf, -inf, -inf, 1), 1, 0, 0.02, 1);
    EXPECT_EQ(NormalizedCropRect(), NormalizedCropRect::full);
    EXPECT_EQ(NormalizedCropRect::full, NormalizedCropRect::unclamped(0, 0, 1, 1));
}

TEST(NormalizedCropRectTest, FullAndClamped) {
    EXPECT_TRUE(NormalizedCropRect::full.isFull());
    EXPECT_TRUE(NormalizedCropRect::unclamped(-0.0009, 0.0009, 1.0009, 0.9991).isFull());
    EXPECT_FALSE(NormalizedCropRect::unclamped(0, 0, 1, 0.998).isFull());

    expectRect(NormalizedCropRect::unclamped(0.99, 0.99, 0.5, 0.5).clamped(), 0.95, 0.95, 0.05, 0.05);
    expectRect(NormalizedCropRect::unclamped(-0.2, 0, 2, 1).clamped(), 0, 0, 1, 1);
    expectRect(NormalizedCropRect::unclamped(0.1, 0.2, 0.01, -1).clamped(), 0.1, 0.2, 0.05, 0.05);
    expectRect(NormalizedCropRect::unclamped(0.25, 0.5, 0.5, 0.25).clamped(), 0.25, 0.5, 0.5, 0.25);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto safe = NormalizedCropRect::unclamped(nan, nan, nan, nan).clamped();
    expectRect(safe, 0, 0, 1, 1);
    // Whatever goes in, the result lies inside the image with room to crop.
    for (double v : {-1e300, -1.0, 0.0, 0.5, 0.97, 1.0, 7.0, 1e300}) {
        const auto c = NormalizedCropRect::unclamped(v, v, v, v).clamped();
        EXPECT_GE(c.x, 0);
        EXPECT_LE(c.x + c.width, 1 + 1e-12);
        EXPECT_GE(c.width, 0.05 - 1e-12);
        EXPECT_LE(c.y + c.height, 1 + 1e-12);
    }
}

TEST(RecipeEnumerationsTest, FilterLooksAndCropShapes) {
    const auto& looks = allCases<PhotoFilterPreset>();
    ASSERT_EQ(looks.size(), 12u);
    EXPECT_EQ(looks.front(), PhotoFilterPreset::original);
    EXPECT_EQ(rawValue(looks[3]), "warmFilm");
    EXPECT_EQ(rawValue(looks[8]), "noirBW");
    EXPECT_EQ(looks.back(), PhotoFilterPreset::crisp);
    for (auto look : looks) EXPECT_EQ(fromRawValue<PhotoFilterPreset>(rawValue(look)), look);
    EXPECT_FALSE(fromRawValue<PhotoFilterPreset>("noir"));

    const auto& shapes = allCases<CropAspectRatio>();
    ASSERT_EQ(shapes.size(), 8u);
    EXPECT_FALSE(ratio(CropAspectRatio::free));
    EXPECT_FALSE(ratio(CropAspectRatio::original));
    EXPECT_DOUBLE_EQ(*ratio(CropAspectRatio::classic4x3), 4.0 / 3.0);
    EXPECT_DOUBLE_EQ(*ratio(CropAspectRatio::vertical9x16), 0.5625);
    EXPECT_EQ(shortLabel(CropAspectRatio::original), "Orig");
    EXPECT_EQ(shortLabel(CropAspectRatio::photo3x2), "3:2");
    EXPECT_EQ(rawValue(shapes.back()), "portrait4x5");
}

TEST(EditAdjustmentsJsonTest, WritesEveryKeyAndRoundTrips) {
    const QJsonObject o = EditAdjustments{}.toJson();
    EXPECT_EQ(o.size(), 22);
    EXPECT_EQ(o["filterPreset"].toString(), "original");
    EXPECT_EQ(o["cropRect"].toObject().keys(), (QStringList{"height", "width", "x", "y"}));
    EXPECT_EQ(o["beautify"].toObject().size(), 7);
    EXPECT_EQ(o["watermark"].toObject().size(), 6);
    EXPECT_EQ(throughText(EditAdjustments{}), EditAdjustments{});

    // Random recipes, including values no slider produces, survive the text form exactly.
    QRandomGenerator rng(20240611);
    auto anyNumber = [&] {
        switch (rng.bounded(4)) {
        case 0: return rng.generateDouble();
        case 1: return (rng.generateDouble() - 0.5) * 1e6;
        case 2: return std::ldexp(rng.generateDouble(), int(rng.bounded(-1000, 1000)));
        default: return double(rng.bounded(-5, 5));
        }
    };
    for (int round = 0; round < 200; ++round) {
        EditAdjustments a;
        for (auto field : numberFields()) a.*field = anyNumber();
        a.quarterTurns = std::int64_t(rng.generate64());
        a.straightenDegrees = anyNumber();
        a.flipHorizontal = rng.bounded(2);
        a.flipVertical = rng.bounded(2);
        a.cropRect = NormalizedCropRect::unclamped(anyNumber(), anyNumber(), anyNumber(), anyNumber());
        a.filterPreset = allCases<PhotoFilterPreset>()[rng.bounded(12)];
        a.autoEnhanced = rng.bounded(2);
        a.beautify.enabled = rng.bounded(2);
        a.beautify.wallpaper = allCases<BeautifyWallpaper>()[rng.bounded(6)];
        a.beautify.aspectRatio = allCases<BeautifyAspectRatio>()[rng.bounded(5)];
        a.beautify.padding = anyNumber();
        a.watermark.position = allCases<WatermarkPosition>()[rng.bounded(6)];
        a.watermark.color = {anyNumber(), anyNumber(), anyNumber(), anyNumber()};
        a.watermark.text = QString::number(rng.generate(), 36);
        JsonDecodeError error;
        const auto back = throughText(a, &error);
        ASSERT_TRUE(back) << error.toString().toStdString();
        EXPECT_EQ(*back, a) << QJsonDocument(a.toJson()).toJson().constData();
    }
}

TEST(EditAdjustmentsJsonTest, DecodingIsStrictAtEveryLevel) {
    const QJsonObject good = EditAdjustments{}.toJson();
    for (const QString& key : good.keys()) {
        QJsonObject o = good;
        o.remove(key);
        JsonDecodeError error;
        EXPECT_FALSE(EditAdjustments::fromJson(o, &error)) << key.toStdString();
        EXPECT_EQ(error.toString(), key + ": missing key");
    }
    JsonDecodeError error;
    auto with = [&](const QString& key, const QJsonValue& v) {
        QJsonObject o = good;
        o[key] = v;
        return EditAdjustments::fromJson(o, &error);
    };
    EXPECT_FALSE(with("filterPreset", "sepia"));
    EXPECT_EQ(error.toString(), "filterPreset: unknown value \"sepia\"");
    EXPECT_FALSE(with("exposure", "0.5"));
    EXPECT_EQ(error.toString(), "exposure: expected a number");
    EXPECT_FALSE(with("flipHorizontal", 0));
    EXPECT_FALSE(with("quarterTurns", 1.5));
    EXPECT_FALSE(with("quarterTurns", 9.3e18)); // beyond 64 bits
    EXPECT_FALSE(with("exposure", std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(error.toString(), "exposure: expected a finite number");
    EXPECT_FALSE(with("grain", std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(with("cropRect", QJsonArray{0, 0, 1, 1}));
    EXPECT_EQ(error.toString(), "cropRect: expected an object");

    QJsonObject beautify = good["beautify"].toObject();
    beautify.remove("showWindowBar");
    EXPECT_FALSE(with("beautify", beautify));
    EXPECT_EQ(error.toString(), "beautify.showWindowBar: missing key");
    QJsonObject watermark = good["watermark"].toObject();
    watermark["color"] = QJsonObject{{"r", 1}, {"g", "1"}, {"b", 1}, {"a", 1}};
    EXPECT_FALSE(with("watermark", watermark));
    EXPECT_EQ(error.toString(), "watermark.color.g: expected a number");

    // A nested path is relative to where decoding started.
    QJsonObject crop{{"x", 0}, {"y", 0}, {"width", 1}, {"height", QJsonValue::Null}};
    EXPECT_FALSE(EditAdjustments::fromJson(QJsonObject{}, &error, "adjustments"));
    EXPECT_EQ(error.toString(), "adjustments.exposure: missing key");
    EXPECT_FALSE(with("cropRect", crop));
    EXPECT_EQ(error.toString(), "cropRect.height: expected a number");

    // The first problem is the one reported, whatever follows it.
    QJsonObject two = good;
    two["exposure"] = true;
    two.remove("watermark");
    EXPECT_FALSE(EditAdjustments::fromJson(two, &error));
    EXPECT_EQ(error.path, "exposure");
}

TEST(EditAdjustmentsJsonTest, ReadsValuesAsStoredInAnyKeyOrder) {
    // Hand-written, keys in an unusual order, an unknown key, values outside every slider.
    const QByteArray text = R"({
        "watermark": {"position": "center", "color": {"a": 0, "b": 0, "g": 0, "r": 0}, "fontSize": 14,
                      "opacity": 0.01, "text": "", "enabled": true},
        "zzz": {"nested": [1, {"deep": null}]},
        "cropRect": {"height": 1, "width": 2, "y": 0, "x": -0.2},
        "autoEnhanced": false, "filterPreset": "noirBW", "flipVertical": true, "flipHorizontal": false,
        "straightenDegrees": -90, "quarterTurns": 7, "grain": 3, "vignette": -1, "sharpness": 0,
        "clarity": 0, "shadows": 0, "highlights": 1, "tint": 0, "warmth": 0, "vibrance": 0,
        "saturation": 1, "contrast": 1, "brightness": 0, "exposure": 2.5,
        "beautify": {"showWindowBar": true, "shadowIntensity": 0.55, "cornerRadius": 0, "padding": 0.3,
                     "aspectRatio": "auto", "wallpaper": "emeraldMist", "enabled": false}
    })";
    JsonDecodeError error;
    const auto object = parseJsonObject(text, &error);
    ASSERT_TRUE(object) << error.toString().toStdString();
    const auto a = EditAdjustments::fromJson(*object, &error);
    ASSERT_TRUE(a) << error.toString().toStdString();
    EXPECT_EQ(a->cropRect, NormalizedCropRect::unclamped(-0.2, 0, 2, 1)); // not clamped on reading
    EXPECT_EQ(a->cropRect.clamped(), NormalizedCropRect::full);
    EXPECT_EQ(a->quarterTurns, 7);
    EXPECT_EQ(a->grain, 3);
    EXPECT_EQ(a->straightenDegrees, -90);
    EXPECT_EQ(a->filterPreset, PhotoFilterPreset::noirBW);
    EXPECT_EQ(a->beautify.aspectRatio, BeautifyAspectRatio::automatic);
    EXPECT_EQ(a->beautify.wallpaper, BeautifyWallpaper::emeraldMist);
    EXPECT_EQ(a->watermark.opacity, 0.01);
    EXPECT_EQ(a->watermark.position, WatermarkPosition::center);
    EXPECT_EQ(throughText(*a), *a);
}

TEST(EditAdjustmentsJsonTest, HostileTextFailsCleanly) {
    const QByteArray cases[] = {
        "",
        "null",
        "[]",
        "42",
        "\"recipe\"",
        "{",
        R"({"exposure": NaN})",
        R"({"exposure": 1e400})",
        QByteArray(200000, '['),
        "{\"a\":" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}",
        QByteArray("\xff\xfe\x00{", 4),
    };
    for (const QByteArray& text : cases) {
        JsonDecodeError error;
        const auto object = parseJsonObject(text, &error);
        const auto a = object ? EditAdjustments::fromJson(*object, &error) : std::nullopt;
        EXPECT_FALSE(a) << text.left(40).constData();
        EXPECT_FALSE(error.message.isEmpty());
    }
    // Wrong top-level types handed straight to the decoders.
    for (const QJsonValue& v : {QJsonValue(), QJsonValue(1.0), QJsonValue("x"), QJsonValue(QJsonArray{})}) {
        EXPECT_FALSE(EditAdjustments::fromJson(v));
        EXPECT_FALSE(NormalizedCropRect::fromJson(v));
        EXPECT_FALSE(BeautifySettings::fromJson(v));
    }
    // Every single-key replacement with a value of another type fails without crashing.
    const QJsonObject good = EditAdjustments{}.toJson();
    const QJsonValue odd[] = {QJsonValue::Null, true, 1e308, -1e308, "", QJsonArray{}, QJsonObject{}};
    int decoded = 0;
    for (const QString& key : good.keys())
        for (const QJsonValue& v : odd) {
            QJsonObject o = good;
            o[key] = v;
            decoded += EditAdjustments::fromJson(o).has_value();
        }
    // Only the doubles accept ±1e308 (13 colour fields and straightenDegrees), and the booleans "true".
    EXPECT_EQ(decoded, 14 * 2 + 3);

    // Damaged copies of a real recipe: whatever the damage, decoding answers, and what it accepts
    // encodes and decodes again to the same value.
    const QByteArray original = QJsonDocument(good).toJson(QJsonDocument::Compact);
    QRandomGenerator rng(7);
    const char alphabet[] = "{}[]\":,.-+eE0123456789tfnul \\x";
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = original;
        for (int edits = 1 + int(rng.bounded(4)); edits > 0; --edits) {
            const int at = int(rng.bounded(text.size()));
            switch (rng.bounded(3)) {
            case 0: text[at] = alphabet[rng.bounded(int(sizeof alphabet) - 1)]; break;
            case 1: text.remove(at, 1 + int(rng.bounded(8))); break;
            default: text.insert(at, text.mid(int(rng.bounded(text.size())), int(rng.bounded(16)))); break;
            }
        }
        JsonDecodeError error;
        const auto object = parseJsonObject(text, &error);
        const auto a = object ? EditAdjustments::fromJson(*object, &error) : std::nullopt;
        if (a) {
            EXPECT_EQ(throughText(*a), *a) << text.constData();
        } else {
            EXPECT_FALSE(error.message.isEmpty()) << text.constData();
        }
    }
}

TEST(RecipeCommandTest, ValidatesFilesAndPrintsTheDefault) {
    const auto def = testsupport::runCli({"recipe", "--default"});
    ASSERT_EQ(def.exitCode, 0) << def.err.toStdString();
    JsonDecodeError error;
    const auto object = parseJsonObject(def.out.toUtf8(), &error);
    ASSERT_TRUE(object) << error.toString().toStdString();
    EXPECT_EQ(EditAdjustments::fromJson(*object), EditAdjustments{});

    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EditAdjustments edited;
    edited.exposure = 0.7;
    const auto ok = testsupport::runCli({"recipe", "--validate", write("ok.json", QJsonDocument(edited.toJson()).toJson())});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();

    QJsonObject broken = edited.toJson();
    QJsonObject crop = broken["cropRect"].toObject();
    crop["x"] = "left";
    broken["cropRect"] = crop;
    const auto bad = testsupport::runCli({"recipe", "--validate", write("bad.json", QJsonDocument(broken).toJson())});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.err.contains("cropRect.x: expected a number")) << bad.err.toStdString();

    const auto garbage = testsupport::runCli({"recipe", "--validate", write("garbage.json", "{\"exposure\": ")});
    EXPECT_NE(garbage.exitCode, 0);
    EXPECT_TRUE(garbage.err.contains("not valid JSON")) << garbage.err.toStdString();

    EXPECT_NE(testsupport::runCli({"recipe", "--validate", dir.filePath("missing.json")}).exitCode, 0);
    EXPECT_NE(testsupport::runCli({"recipe", "--validate", dir.path()}).exitCode, 0);
    EXPECT_EQ(testsupport::runCli({"recipe"}).exitCode, 2);
}
