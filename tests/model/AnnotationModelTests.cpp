#include "core/model/AnnotationItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <gtest/gtest.h>

namespace {

AnnotationItem shape(AnnotationTool tool, NormalizedPoint start, NormalizedPoint end) {
    return AnnotationItem{.tool = tool, .start = start, .end = end};
}

AnnotationItem textItem(const QString& text, NormalizedPoint at = {0.1, 0.2}) {
    return AnnotationItem{.tool = AnnotationTool::text, .start = at, .end = at, .text = text};
}

void expectBox(const QRectF& box, double x, double y, double w, double h) {
    EXPECT_NEAR(box.x(), x, 1e-12);
    EXPECT_NEAR(box.y(), y, 1e-12);
    EXPECT_NEAR(box.width(), w, 1e-12);
    EXPECT_NEAR(box.height(), h, 1e-12);
}

QJsonObject reparsed(const QJsonObject& o) {
    return QJsonDocument::fromJson(QJsonDocument(o).toJson(QJsonDocument::Compact)).object();
}

} // namespace

TEST(RGBAColorTest, PaletteIsTheEightNamedColoursInSwatchOrder) {
    const auto& p = RGBAColor::palette;
    ASSERT_EQ(p.size(), 8u);
    EXPECT_EQ(p.front(), RGBAColor::red);
    EXPECT_EQ(p.back(), RGBAColor::black);
    for (const auto& c : p) EXPECT_EQ(c.a, 1.0);
    // "black" is a dark blue-grey, not pure black.
    EXPECT_EQ(RGBAColor::black, (RGBAColor{0.08, 0.09, 0.11, 1}));
}

TEST(RGBAColorTest, DrawingColourKeepsComponentsAndToleratesOutOfRange) {
    const QColor c = RGBAColor{0.25, 0.5, 0.75, 0.5}.cgColor();
    EXPECT_TRUE(c.isValid());
    EXPECT_NEAR(c.redF(), 0.25, 1e-3);
    EXPECT_NEAR(c.blueF(), 0.75, 1e-3);
    EXPECT_NEAR(c.alphaF(), 0.5, 1e-3);
    const QColor wild = RGBAColor{2, -1, std::nan(""), 1}.cgColor();
    EXPECT_TRUE(wild.isValid());
    EXPECT_EQ(wild.redF(), 1.f);
    EXPECT_EQ(wild.greenF(), 0.f);
    EXPECT_EQ(wild.blueF(), 0.f);
}

TEST(AnnotationToolTest, CasesRawValuesAndSymbols) {
    const auto& all = allCases<AnnotationTool>();
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front(), AnnotationTool::select);
    EXPECT_EQ(all[8], AnnotationTool::magnifier);
    EXPECT_EQ(all.back(), AnnotationTool::pixelateRedact);
    for (auto tool : all) {
        EXPECT_EQ(fromRawValue<AnnotationTool>(rawValue(tool)), tool);
        EXPECT_EQ(id(tool), rawValue(tool));
        EXPECT_FALSE(symbolName(tool).isEmpty());
    }
    EXPECT_EQ(rawValue(AnnotationTool::filledRectangle), u"filledRectangle");
    EXPECT_EQ(symbolName(AnnotationTool::stepNumber), u"1.circle.fill");
    EXPECT_EQ(symbolName(AnnotationTool::magnifier), u"magnifyingglass.circle.fill");
    EXPECT_EQ(fromRawValue<AnnotationTool>("blurRedact"), AnnotationTool::blurRedact);
    EXPECT_FALSE(fromRawValue<AnnotationTool>("BlurRedact"));
    EXPECT_FALSE(fromRawValue<AnnotationTool>(""));
    EXPECT_FALSE(fromRawValue<AnnotationTool>("pen"));

    const QSet<AnnotationTool> tools(all.begin(), all.end());
    EXPECT_EQ(tools.size(), 15);
    EXPECT_TRUE(tools.contains(AnnotationTool::spotHeal));
}

TEST(AnnotationItemTest, DefaultsAndIdentity) {
    const auto a = shape(AnnotationTool::arrow, {0.1, 0.1}, {0.5, 0.5});
    const auto b = shape(AnnotationTool::arrow, {0.1, 0.1}, {0.5, 0.5});
    EXPECT_FALSE(a.id.isNull());
    EXPECT_NE(a.id, b.id); // each new item is its own
    EXPECT_NE(a, b);
    EXPECT_EQ(a.color, RGBAColor::red);
    EXPECT_EQ(a.lineWidth, 5);
    EXPECT_EQ(a.stepIndex, 1);
    EXPECT_EQ(a.redactStrength, 0.65);
    EXPECT_TRUE(a.points.isEmpty());
    auto copy = a;
    EXPECT_EQ(copy, a);
    copy.lineWidth = 6;
    EXPECT_NE(copy, a);
}

TEST(AnnotationItemTest, TextBoxWidthFollowsPerceivedCharacters) {
    expectBox(textItem(QString()).normalizedBoundingBox(), 0.1, 0.2, 0.08, 0.06);
    expectBox(textItem("Hi").normalizedBoundingBox(), 0.1, 0.2, 0.08, 0.06);
    expectBox(textItem("0123456789").normalizedBoundingBox(), 0.1, 0.2, 0.15, 0.06);
    expectBox(textItem(QString(40, u'x')).normalizedBoundingBox(), 0.1, 0.2, 0.45, 0.06);
    // Six flags are six characters though they are 24 UTF-16 units; an accent built from two
    // code points is one.
    const QString flags = QString::fromUtf8("🇹🇷🇹🇷🇹🇷🇹🇷🇹🇷🇹🇷");
    EXPECT_EQ(flags.size(), 24);
    EXPECT_EQ(perceivedCharacterCount(flags), 6);
    expectBox(textItem(flags).normalizedBoundingBox(), 0.1, 0.2, 0.09, 0.06);
    EXPECT_EQ(perceivedCharacterCount(QStringLiteral("e\u0301")), 1);
    // Text origin is start, not shifted, whatever end says.
    auto t = textItem("Hello", {0.9, 0.95});
    t.end = {0.1, 0.1};
    expectBox(t.normalizedBoundingBox(), 0.9, 0.95, 0.08, 0.06);
}

TEST(AnnotationItemTest, StepBadgeBoxIsCentredButNeverNegative) {
    auto badge = shape(AnnotationTool::stepNumber, {0.01, 0.5}, {0.01, 0.5});
    expectBox(badge.normalizedBoundingBox(), 0, 0.47, 0.06, 0.06);
    badge.start = {0.5, 0.0};
    expectBox(badge.normalizedBoundingBox(), 0.47, 0, 0.06, 0.06);
    badge.start = {0.99, 0.99}; // the far edges are not pulled in
    expectBox(badge.normalizedBoundingBox(), 0.96, 0.96, 0.06, 0.06);
}

TEST(AnnotationItemTest, ShapeAndFreehandBoxes) {
    expectBox(shape(AnnotationTool::rectangle, {0.6, 0.7}, {0.2, 0.1}).normalizedBoundingBox(), 0.2, 0.1, 0.4, 0.6);
    expectBox(shape(AnnotationTool::ellipse, {0.3, 0.3}, {0.3, 0.3}).normalizedBoundingBox(), 0.3, 0.3, 0.02, 0.02);
    expectBox(shape(AnnotationTool::line, {0.1, 0.5}, {0.9, 0.5}).normalizedBoundingBox(), 0.1, 0.5, 0.8, 0.02);

    auto pen = shape(AnnotationTool::freehand, {0.9, 0.9}, {0.95, 0.95});
    pen.points = {{0.3, 0.3}, {0.5, 0.3}, {0.2, 0.3}, {0.4, 0.3}};
    expectBox(pen.normalizedBoundingBox(), 0.2, 0.3, 0.3, 0.02); // start and end not consulted
    pen.points = {{0.4, 0.6}};
    expectBox(pen.normalizedBoundingBox(), 0.4, 0.6, 0.02, 0.02);
}

TEST(AnnotationItemTest, HitTestGrowsTheBoxWithInclusiveLowerAndExclusiveUpperEdges) {
    const auto dot = shape(AnnotationTool::arrow, {0.5, 0.5}, {0.5, 0.5});
    const QRectF box = dot.normalizedBoundingBox();
    const double minX = box.x() - 0.02, minY = box.y() - 0.02;
    const double maxX = minX + (box.width() + 0.04), maxY = minY + (box.height() + 0.04);
    EXPECT_NEAR(maxX - minX, 0.06, 1e-12); // hit area 0.06 × 0.06 around a 0.02 box
    EXPECT_TRUE(dot.hitTest({minX, minY}));
    EXPECT_TRUE(dot.hitTest({0.5, 0.5}));
    EXPECT_TRUE(dot.hitTest({std::nextafter(maxX, 0.0), std::nextafter(maxY, 0.0)}));
    EXPECT_FALSE(dot.hitTest({maxX, 0.5}));
    EXPECT_FALSE(dot.hitTest({0.5, maxY}));
    EXPECT_FALSE(dot.hitTest({std::nextafter(minX, 0.0), 0.5}));
    EXPECT_FALSE(dot.hitTest({box.right() + 0.02 + 1e-9, 0.5}));
    EXPECT_FALSE(dot.hitTest({0.5, std::nan("")}));

    // A diagonal line is hit anywhere inside the rectangle it spans, even far from the stroke.
    const auto line = shape(AnnotationTool::line, {0.1, 0.1}, {0.9, 0.9});
    EXPECT_TRUE(line.hitTest({0.85, 0.15}));
    EXPECT_TRUE(line.hitTest({0.08, 0.08}));
    EXPECT_FALSE(line.hitTest({0.95, 0.5}));
}

TEST(AnnotationItemTest, TranslationClampsEachPointAndKeepsTheRest) {
    auto item = shape(AnnotationTool::rectangle, {0.7, 0.2}, {0.9, 0.4});
    item.points = {{0.75, 0.3}};
    item.text = "kept";
    item.stepIndex = 7;
    const auto moved = item.translated(0.5, 0);
    EXPECT_EQ(moved.id, item.id);
    EXPECT_EQ(moved.start, (NormalizedPoint{1, 0.2}));
    EXPECT_EQ(moved.end, (NormalizedPoint{1, 0.4}));
    EXPECT_EQ(moved.points.front(), (NormalizedPoint{1, 0.3}));
    EXPECT_EQ(moved.text, "kept");
    EXPECT_EQ(moved.stepIndex, 7);
    EXPECT_EQ(moved.color, item.color);

    // Squashed, not stopped: the point with room keeps moving.
    const auto up = item.translated(0, -0.3);
    EXPECT_EQ(up.start.y, 0);
    EXPECT_NEAR(up.end.y, 0.1, 1e-12);

    // An offset that is not a number moves nothing along its axis.
    const auto bad = item.translated(std::nan(""), 0.1);
    EXPECT_EQ(bad.start.x, 0.7);
    EXPECT_NEAR(bad.start.y, 0.3, 1e-12);
    EXPECT_EQ(item.translated(0, 0), item);
}

TEST(AnnotationItemTest, JsonHasEveryKeyAndRoundTripsWithTheSameId) {
    auto item = shape(AnnotationTool::freehand, {0.1, 0.2}, {0.3, 0.4});
    item.points = {{0.1, 0.2}, {0.123456789012345, 0.987654321}, {1, 0}};
    item.color = {0.1, 0.2, 0.3, 0.4};
    item.lineWidth = 7.25;
    item.text = QString::fromUtf8("çğ \"quoted\" \n 🇹🇷");
    item.stepIndex = -3;
    item.redactStrength = 0.9;

    const QJsonObject o = item.toJson();
    EXPECT_EQ(o.keys(), (QStringList{"color", "end", "id", "lineWidth", "points", "redactStrength", "start",
                                     "stepIndex", "text", "tool"}));
    EXPECT_EQ(o["id"].toString(), item.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(o["id"].toString().size(), 36);
    EXPECT_EQ(o["tool"].toString(), "freehand");

    JsonDecodeError error;
    const auto back = AnnotationItem::fromJson(reparsed(o), &error);
    ASSERT_TRUE(back) << error.toString().toStdString();
    EXPECT_EQ(*back, item);

    for (auto tool : allCases<AnnotationTool>()) {
        auto each = shape(tool, {0.25, 0.5}, {0.75, 1});
        EXPECT_EQ(AnnotationItem::fromJson(reparsed(each.toJson())), each) << rawValue(tool).toStdString();
    }
}

TEST(AnnotationItemTest, DecodingIsStrictAboutEveryKey) {
    const auto item = shape(AnnotationTool::blurRedact, {0.1, 0.1}, {0.2, 0.2});
    const QJsonObject good = item.toJson();
    for (const QString& key : good.keys()) {
        QJsonObject o = good;
        o.remove(key);
        JsonDecodeError error;
        EXPECT_FALSE(AnnotationItem::fromJson(o, &error)) << key.toStdString();
        EXPECT_EQ(error.path, key);
        EXPECT_EQ(error.message, "missing key");
    }
    auto decodeWith = [&](const QString& key, const QJsonValue& v, JsonDecodeError* error = nullptr) {
        QJsonObject o = good;
        o[key] = v;
        return AnnotationItem::fromJson(o, error);
    };
    JsonDecodeError error;
    EXPECT_FALSE(decodeWith("tool", "scribble", &error));
    EXPECT_EQ(error.toString(), "tool: unknown value \"scribble\"");
    EXPECT_FALSE(decodeWith("tool", 3));
    EXPECT_FALSE(decodeWith("stepIndex", 1.5, &error));
    EXPECT_EQ(error.toString(), "stepIndex: expected an integer");
    EXPECT_FALSE(decodeWith("stepIndex", 1e300));
    EXPECT_TRUE(decodeWith("stepIndex", 2.0)); // an integral number is an integer
    EXPECT_FALSE(decodeWith("lineWidth", "5"));
    EXPECT_FALSE(decodeWith("text", QJsonValue::Null));
    EXPECT_FALSE(decodeWith("points", QJsonObject{}));
    EXPECT_FALSE(decodeWith("id", "not-a-uuid"));
    EXPECT_FALSE(decodeWith("id", item.id.toString(QUuid::WithBraces)));
    EXPECT_FALSE(decodeWith("id", item.id.toString(QUuid::Id128)));
    // The lower-case form names the same item.
    const auto lower = decodeWith("id", item.id.toString(QUuid::WithoutBraces).toLower());
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->id, item.id);

    // Nested failures carry the whole path.
    EXPECT_FALSE(decodeWith("points", QJsonArray{QJsonObject{{"x", 0.1}, {"y", 0.2}}, QJsonObject{{"x", 0.1}}},
                            &error));
    EXPECT_EQ(error.toString(), "points[1].y: missing key");
    EXPECT_FALSE(decodeWith("color", QJsonObject{{"r", 1}, {"g", 1}, {"b", true}, {"a", 1}}, &error));
    EXPECT_EQ(error.toString(), "color.b: expected a number");

    // Unknown keys are ignored.
    QJsonObject extra = good;
    extra["comment"] = QJsonArray{1, 2, 3};
    EXPECT_EQ(AnnotationItem::fromJson(extra), item);
    EXPECT_FALSE(AnnotationItem::fromJson(QJsonValue(QJsonArray{good})));
}
