#include "core/imaging/AnnotationRenderer.h"
#include "tests/support/TestSupport.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QImage blank(int width, int height, QColor color = Qt::transparent) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

AnnotationItem item(AnnotationTool tool, NormalizedPoint start, NormalizedPoint end) {
    return AnnotationItem{.tool = tool, .start = start, .end = end};
}

// Total coverage of a column (sum of alpha / 255 over rows): the width of what crosses it.
double columnCoverage(const QImage& image, int x, int fromRow = 0, int toRow = -1) {
    if (toRow < 0) toRow = image.height() - 1;
    double sum = 0;
    for (int y = fromRow; y <= toRow; ++y) sum += image.pixelColor(x, y).alphaF();
    return sum;
}

} // namespace

TEST(AnnotationRenderer, EmptyListReturnsTheVeryImageAndInputsStayUntouched) {
    const AnnotationRenderer renderer;
    const QImage photo = blank(64, 48, Qt::darkCyan);
    EXPECT_EQ(renderer.render({}, photo).cacheKey(), photo.cacheKey());
    EXPECT_EQ(renderer.render({}, photo, QUuid::createUuid()).cacheKey(), photo.cacheKey());

    const QImage before = photo.copy();
    auto heal = item(AnnotationTool::spotHeal, {0.4, 0.4}, {0.5, 0.5});
    auto blur = item(AnnotationTool::blurRedact, {0.1, 0.1}, {0.6, 0.6});
    auto arrow = item(AnnotationTool::arrow, {0.1, 0.1}, {0.9, 0.9});
    const QImage out = renderer.render({heal, blur, arrow}, photo);
    EXPECT_EQ(out.size(), photo.size());
    EXPECT_EQ(out.format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_NE(out.cacheKey(), photo.cacheKey());
    EXPECT_EQ(testsupport::meanAbsoluteDifference(photo, before), 0);
}

TEST(AnnotationRenderer, StrokesScaleWithTheMarkupUnit) {
    EXPECT_DOUBLE_EQ(AnnotationRenderer::scaleUnit(4000, 3000), 4.0);
    EXPECT_DOUBLE_EQ(AnnotationRenderer::scaleUnit(300, 200), 0.5);
    EXPECT_DOUBLE_EQ(AnnotationRenderer::scaleUnit(1200, 1800), 1.8);

    const AnnotationRenderer renderer;
    const auto line = item(AnnotationTool::line, {0.1, 0.5}, {0.9, 0.5}); // lineWidth 5
    const QImage large = renderer.render({line}, blank(4000, 3000));
    EXPECT_NEAR(columnCoverage(large, 2000), 20.0, 0.3);
    const QImage small = renderer.render({line}, blank(300, 200));
    EXPECT_NEAR(columnCoverage(small, 150), 2.5, 0.15);
    // Very thin requests are raised to 2 pixels.
    auto hairline = line;
    hairline.lineWidth = 0.1;
    EXPECT_NEAR(columnCoverage(renderer.render({hairline}, blank(1000, 500)), 500), 2.0, 0.15);
}

TEST(AnnotationRenderer, ArrowHeadGeometry) {
    const auto arrow = AnnotationRenderer::arrowGeometry({0, 0}, {1000, 0}, 20);
    ASSERT_TRUE(arrow);
    EXPECT_NEAR(arrow->headLength, 104, 1e-9);
    EXPECT_NEAR(1000 - arrow->shaftEnd.x(), 67.6, 1e-9);
    const double halfWidth = 104 * std::sin(M_PI / 6.2);
    EXPECT_NEAR(arrow->head[1].y(), halfWidth, 1e-9);
    EXPECT_NEAR(arrow->head[2].y(), -halfWidth, 1e-9);
    EXPECT_NEAR(arrow->head[1].x(), 1000 - 104 * std::cos(M_PI / 6.2), 1e-9);
    // Short arrows: the head is at least 3.8 line widths; nothing at all within 2 pixels.
    EXPECT_NEAR(AnnotationRenderer::arrowGeometry({0, 0}, {0, 50}, 10)->headLength, 38, 1e-9);
    EXPECT_FALSE(AnnotationRenderer::arrowGeometry({5, 5}, {6, 6}, 10));

    // Drawn: on a 1000-pixel image (u = 1) lineWidth 20 gives the 104-pixel head.
    auto drawn = item(AnnotationTool::arrow, {0.05, 0.5}, {0.95, 0.5});
    drawn.lineWidth = 20;
    const QImage out = AnnotationRenderer().render({drawn}, blank(1000, 600));
    EXPECT_NEAR(columnCoverage(out, 500), 20, 0.5);                       // the shaft
    EXPECT_NEAR(columnCoverage(out, 950 - 90), 2 * 90 * std::tan(M_PI / 6.2), 1.5); // inside the head
    EXPECT_LT(columnCoverage(out, 952), 0.5);                             // past the tip
    EXPECT_EQ(out.pixelColor(500, 300).rgb(), RGBAColor::red.cgColor().rgb());
}

TEST(AnnotationRenderer, ShapesFollowTheirRules) {
    const AnnotationRenderer renderer;
    const QImage white = blank(1000, 500, Qt::white);

    // Highlighter: the item's own alpha is ignored, 0.36 is used.
    auto marker = item(AnnotationTool::highlighter, {0.1, 0.1}, {0.5, 0.5});
    marker.color = RGBAColor{0, 0, 1, 0.1};
    const QColor highlighted = renderer.render({marker}, white).pixelColor(300, 150);
    EXPECT_NEAR(highlighted.red(), 255 * 0.64, 2);
    EXPECT_NEAR(highlighted.blue(), 255, 1);

    // Filled box: a solid fill with rounded corners (radius 1.2 × lw = 6 px at u = 1).
    const auto fill = item(AnnotationTool::filledRectangle, {0.1, 0.2}, {0.3, 0.8});
    const QImage filled = renderer.render({fill}, white);
    EXPECT_EQ(filled.pixelColor(200, 250).rgb(), RGBAColor::red.cgColor().rgb());
    EXPECT_EQ(filled.pixelColor(100, 100).rgb(), QColor(Qt::white).rgb()); // the rounded-off corner
    EXPECT_EQ(filled.pixelColor(103, 250).rgb(), RGBAColor::red.cgColor().rgb());

    // Freehand needs two points; a stroke through them otherwise.
    auto pen = item(AnnotationTool::freehand, {0, 0}, {0, 0});
    pen.points = {{0.2, 0.5}};
    EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({pen}, white), white), 0);
    pen.points = {{0.2, 0.2}, {0.5, 0.5}, {0.8, 0.2}};
    const QImage stroked = renderer.render({pen}, white);
    EXPECT_EQ(stroked.pixelColor(500, 250).rgb(), RGBAColor::red.cgColor().rgb());

    // Blank text draws nothing.
    auto label = item(AnnotationTool::text, {0.2, 0.2}, {0.2, 0.2});
    label.text = QStringLiteral(" \n\t ");
    EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({label}, white), white), 0);
}

TEST(AnnotationRenderer, TextLabelContrastAndSoftShadow) {
    EXPECT_EQ(AnnotationRenderer::labelTextColor(RGBAColor::yellow), QColor(Qt::black));
    EXPECT_EQ(AnnotationRenderer::labelTextColor(RGBAColor::blue), QColor(Qt::white));
    EXPECT_EQ(AnnotationRenderer::labelTextColor(RGBAColor::white), QColor(Qt::black));

    const AnnotationRenderer renderer;
    const QImage grey = blank(1000, 600, QColor(128, 128, 128));
    auto label = item(AnnotationTool::text, {0.1, 0.1}, {0.1, 0.1});
    label.text = QStringLiteral("  Mark here \n");
    label.color = RGBAColor::yellow;
    const QImage yellow = renderer.render({label}, grey);
    // f = 23 px at u = 1; the box starts at p1 and holds dark glyph pixels.
    EXPECT_EQ(yellow.pixelColor(110, 62).rgb(), RGBAColor::yellow.cgColor().rgb());
    int dark = 0, light = 0;
    for (int y = 60; y < 100; ++y)
        for (int x = 100; x < 260; ++x) {
            const int v = qGray(yellow.pixel(x, y));
            dark += v < 40;
            light += v > 240;
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(light, 0);
    label.color = RGBAColor::blue;
    const QImage blue = renderer.render({label}, grey);
    light = 0;
    for (int y = 60; y < 100; ++y)
        for (int x = 100; x < 260; ++x) light += qGray(blue.pixel(x, y)) > 240;
    EXPECT_GT(light, 100);

    // The shadow is blurred: below the label the grey darkens gradually, not in one step.
    int bottom = 61;
    while (qBlue(blue.pixel(130, bottom + 1)) > 150) ++bottom;
    const int first = qGray(blue.pixel(130, bottom + 2));
    const int later = qGray(blue.pixel(130, bottom + 6));
    EXPECT_LT(first, later);
    EXPECT_LT(later, 128);
    EXPECT_EQ(qGray(blue.pixel(130, bottom + 30)), 128);
}

TEST(AnnotationRenderer, StepBadge) {
    auto badge = item(AnnotationTool::stepNumber, {0.5, 0.5}, {0.5, 0.5});
    badge.stepIndex = 7;
    badge.lineWidth = 40; // does not change the badge
    const QImage out = AnnotationRenderer().render({badge}, blank(1000, 1000, Qt::black));
    // r = 20 at u = 1: the disc's red reaches 18 px out, the white ring sits at 20, nothing at 26.
    EXPECT_EQ(out.pixelColor(500 - 17, 500).rgb(), RGBAColor::red.cgColor().rgb());
    EXPECT_GT(qGray(out.pixel(500, 480)), 200);
    EXPECT_LT(qGray(out.pixel(526, 500)), 20);
    int white = 0;
    for (int y = 490; y < 510; ++y)
        for (int x = 494; x < 506; ++x) white += qGray(out.pixel(x, y)) > 230;
    EXPECT_GT(white, 10); // the digit
}

TEST(AnnotationRenderer, SpotlightsDimOutsideWithEvenOddHoles) {
    const QImage grey = blank(1000, 800, QColor(128, 128, 128));
    const auto a = item(AnnotationTool::spotlight, {0.1, 0.1}, {0.5, 0.5});
    const auto b = item(AnnotationTool::spotlight, {0.3, 0.3}, {0.7, 0.7});
    const QImage out = AnnotationRenderer().render({a, b}, grey);
    const int dimmed = qRound(128 * 0.44);
    EXPECT_NEAR(qGray(out.pixel(900, 700)), dimmed, 2); // outside both
    EXPECT_EQ(qGray(out.pixel(200, 200)), 128);         // only in a
    EXPECT_EQ(qGray(out.pixel(600, 500)), 128);         // only in b
    EXPECT_NEAR(qGray(out.pixel(400, 320)), dimmed, 2); // the overlap
    // Both outlines: a's right edge crosses b's interior, b's top edge crosses a's.
    EXPECT_GT(qGray(out.pixel(500, 360)), 200);
    EXPECT_GT(qGray(out.pixel(340, 240)), 200);
    EXPECT_EQ(qGray(out.pixel(520, 360)), 128);
    const QImage white = blank(1000, 800, Qt::white);

    // Boxes under 4 × 4 pixels are ignored; with none left nothing is dimmed.
    const auto tiny = item(AnnotationTool::spotlight, {0.5, 0.5}, {0.5, 0.5}); // 0.02 box = 20 px: kept
    EXPECT_NEAR(qGray(AnnotationRenderer().render({tiny}, white).pixel(10, 10)), qRound(255 * 0.44), 2);
    const QImage small = blank(100, 100, Qt::white); // 0.02 box = 2 px: dropped
    EXPECT_EQ(testsupport::meanAbsoluteDifference(AnnotationRenderer().render({tiny}, small), small), 0);
}

TEST(AnnotationRenderer, LoupeAtTheCornerMagnifiesTheCornerRegion) {
    // R = x·4, G = y·4 near the corner: every position has its own colour.
    QImage ramp = blank(1000, 800, Qt::black);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) ramp.setPixelColor(x, y, QColor(x * 4, y * 4, 0));
    auto loupe = item(AnnotationTool::magnifier, {0, 0}, {0.05, 0}); // r0 = 50 px
    loupe.color = RGBAColor::green;
    const QImage out = AnnotationRenderer().render({loupe}, ramp);
    // The disc spans −50…50 around the corner and shows the 46-pixel square at the origin, so
    // canvas (x, y) shows source ((x + 50) · 0.46, …): 2.2 times enlarged.
    for (QPoint p : {QPoint(10, 10), QPoint(20, 5), QPoint(5, 30)}) {
        const double sx = (p.x() + 50) * 46.0 / 100.0, sy = (p.y() + 50) * 46.0 / 100.0;
        EXPECT_NEAR(out.pixelColor(p).red(), sx * 4, 6) << p.x() << "," << p.y();
        EXPECT_NEAR(out.pixelColor(p).green(), sy * 4, 6) << p.x() << "," << p.y();
    }
    // The item-coloured ring at R = 50 (width 4.2), the white one at 47.8 inside it.
    EXPECT_EQ(out.pixelColor(50, 0).rgb(), RGBAColor::green.cgColor().rgb());
    EXPECT_GT(qGray(out.pixel(0, 47)), 230);
    // The loupe samples the base without markup: a spotlight does not darken its content.
    auto spot = item(AnnotationTool::spotlight, {0.5, 0.5}, {0.6, 0.6});
    const QImage dimmed = AnnotationRenderer().render({spot, loupe}, ramp);
    EXPECT_NEAR(dimmed.pixelColor(10, 10).red(), out.pixelColor(10, 10).red(), 1);
}

TEST(AnnotationRenderer, SelectionOutline) {
    const AnnotationRenderer renderer;
    const QImage white = blank(1000, 1000, Qt::white);
    const auto box = item(AnnotationTool::highlighter, {0.3, 0.3}, {0.5, 0.5});
    const QImage plain = renderer.render({box}, white);
    // An id no item has draws no outline.
    EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({box}, white, QUuid::createUuid()), plain), 0);
    // The box grown by 6u, dashed 6u on, 4u off along the top edge.
    const QImage selected = renderer.render({box}, white, box.id);
    const QColor outline = QColor::fromRgbF(0.22f, 0.62f, 1.0f);
    const int y = 300 - 6;
    int on = 0;
    for (int x = 294; x < 494; ++x) {
        const QColor c = selected.pixelColor(x, y);
        on += std::abs(c.red() - outline.red()) < 20 && std::abs(c.blue() - outline.blue()) < 20;
    }
    EXPECT_NEAR(on, 200 * 0.6, 12);
    EXPECT_EQ(selected.pixelColor(400, 400), plain.pixelColor(400, 400));
}

TEST(AnnotationRenderer, RedactionsLieUnderEveryVectorItem) {
    QImage stripes = blank(400, 300, Qt::white);
    for (int x = 0; x < 400; x += 2) QPainter(&stripes).fillRect(x, 0, 1, 300, Qt::black);
    auto arrow = item(AnnotationTool::arrow, {0.1, 0.5}, {0.9, 0.5});
    auto blur = item(AnnotationTool::blurRedact, {0.2, 0.2}, {0.8, 0.8});
    const QImage out = AnnotationRenderer().render({arrow, blur}, stripes);
    EXPECT_EQ(out.pixelColor(200, 150).rgb(), RGBAColor::red.cgColor().rgb()); // arrow on top
    EXPECT_NEAR(qGray(out.pixel(200, 100)), 128, 6);                          // stripes gone
    EXPECT_EQ(out.pixelColor(20, 20), stripes.pixelColor(20, 20));             // outside untouched
    EXPECT_EQ(out.pixelColor(21, 20), stripes.pixelColor(21, 20));
}

TEST(AnnotationRenderer, HostileValuesNeitherCrashNorHang) {
    // Stored items are never clamped; the command line reads any finite JSON number.
    const AnnotationRenderer renderer;
    const QImage photo = blank(300, 200, Qt::gray);
    QList<AnnotationItem> items;
    for (double far : {1e12, -1e12, 3e5}) {
        for (auto tool : allCases<AnnotationTool>()) {
            AnnotationItem it = item(tool, {-far, far}, {far, -far});
            it.lineWidth = far;
            it.redactStrength = far;
            it.stepIndex = std::numeric_limits<std::int64_t>::min();
            it.text = QStringLiteral("x");
            it.points = {{far, far}, {-far, 0.5}};
            items << it;
        }
    }
    const QImage out = renderer.render(items, photo, items.front().id);
    EXPECT_EQ(out.size(), photo.size());
    // Zero-sized image and single pixels.
    EXPECT_TRUE(renderer.render(items, QImage()).isNull());
    EXPECT_EQ(renderer.render(items, blank(1, 1, Qt::gray)).size(), QSize(1, 1));
}

TEST(AnnotationRenderer, ScribbleIsOneRoundStrokeLaidOnce) {
    // A pen scribble crossing itself in a half-transparent colour: the crossings are no darker
    // than the rest of the line (the stroke is laid once), the width is lw and the ends are round.
    const AnnotationRenderer renderer;
    const QImage white = blank(1000, 1000, Qt::white);
    auto pen = item(AnnotationTool::freehand, {0, 0}, {0, 0});
    pen.color = RGBAColor{0, 0, 1, 0.5};
    pen.lineWidth = 20; // 20 px at u = 1
    pen.points = {{0.2, 0.2}, {0.8, 0.8}, {0.8, 0.2}, {0.2, 0.8}};
    const QImage out = renderer.render({pen}, white);
    const QColor once = out.pixelColor(350, 350);
    EXPECT_NEAR(once.red(), 128, 2);
    EXPECT_EQ(out.pixelColor(500, 500), once); // where the two diagonals cross
    EXPECT_EQ(out.pixelColor(800, 500), once); // along the vertical leg
    // The vertical leg at x = 800 is 20 px wide; its end caps reach 10 px past the corners.
    double across = 0;
    for (int x = 770; x < 830; ++x)
        across += (1 - out.pixelColor(x, 500).greenF()) / (1 - once.greenF());
    EXPECT_NEAR(across, 20, 0.5);
    EXPECT_EQ(out.pixelColor(200, 195), once);                          // inside the round start cap
    EXPECT_EQ(out.pixelColor(189, 189).rgb(), QColor(Qt::white).rgb()); // beyond the cap's corner

    // A long zig-zag of 500 points on a large photo covers the band it sweeps.
    pen.color = RGBAColor::red;
    pen.points.clear();
    for (int i = 0; i < 500; ++i)
        pen.points.append({0.05 + 0.9 * i / 499.0, i % 2 ? 0.8 : 0.2});
    const QImage large = renderer.render({pen}, blank(4000, 3000, Qt::white));
    for (const QPoint p : {QPoint(2000, 1500), QPoint(300, 900), QPoint(3700, 2300)})
        EXPECT_EQ(large.pixelColor(p).rgb(), RGBAColor::red.cgColor().rgb()) << p.x() << "," << p.y();
    EXPECT_EQ(large.pixelColor(2000, 200).rgb(), QColor(Qt::white).rgb());
}

TEST(AnnotationRenderer, AStrokeThatNeverMovesLeavesADot) {
    // A pen held still (points that coincide) and a line of length zero paint the round dot
    // their caps make: a disc of diameter lw, as a move of a fraction of a pixel does.
    const AnnotationRenderer renderer;
    const QImage white = blank(1000, 1000, Qt::white);
    auto pen = item(AnnotationTool::freehand, {0.3, 0.3}, {0.3, 0.3});
    pen.lineWidth = 20;
    pen.points = {{0.3, 0.3}, {0.3, 0.3}, {0.3, 0.3}};
    auto line = item(AnnotationTool::line, {0.7, 0.7}, {0.7, 0.7});
    line.lineWidth = 20;
    auto moved = item(AnnotationTool::line, {0.5, 0.5}, {0.5001, 0.5});
    moved.lineWidth = 20;
    const QImage out = renderer.render({pen, line, moved}, white);
    const double full = 1 - RGBAColor::red.cgColor().greenF();
    auto inkAround = [&](QPoint c) {
        double ink = 0;
        for (int y = c.y() - 20; y < c.y() + 20; ++y)
            for (int x = c.x() - 20; x < c.x() + 20; ++x)
                ink += (1 - out.pixelColor(x, y).greenF()) / full;
        return ink;
    };
    for (const QPoint c : {QPoint(300, 300), QPoint(700, 700)}) {
        EXPECT_EQ(out.pixelColor(c).rgb(), RGBAColor::red.cgColor().rgb());
        EXPECT_EQ(out.pixelColor(c + QPoint(8, 0)).rgb(), RGBAColor::red.cgColor().rgb());
        EXPECT_EQ(out.pixelColor(c + QPoint(12, 0)).rgb(), QColor(Qt::white).rgb());
        EXPECT_NEAR(inkAround(c), M_PI * 100, 4);
        EXPECT_NEAR(inkAround(c), inkAround(QPoint(500, 500)), 4);
    }
}
