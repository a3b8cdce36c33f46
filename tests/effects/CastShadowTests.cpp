#include "core/imaging/filters/CastShadow.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// A shadow lays its tint over the pixels it reaches with the alpha of the blurred coverage,
// rounded to nearest; it leaves alone the pixels beyond its reach and those in the area the
// caller will cover, on both sides of which the same row is still shadowed.
TEST(CastShadow, BlendsTheTintAndLeavesUnreachedAndHiddenPixelsAlone) {
    QImage target(120, 90, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < target.height(); ++y) {
        uchar* row = target.scanLine(y);
        for (int x = 0; x < target.width(); ++x, row += 4) {
            row[0] = uchar((x * 7 + y) % 256);
            row[1] = uchar((y * 5 + 3 * x) % 256);
            row[2] = uchar(255 - x);
            row[3] = 255;
        }
    }
    const QImage before = target.copy();
    const QRectF shape(30, 20, 60, 50);
    const QRect hidden(40, 30, 40, 30);
    castDropShadow(
        target, shape, ShadowStyle{QPointF(0, 0), 1.5, 0.5, QColor(0, 0, 255)},
        [&](QPainter& painter) { painter.fillRect(shape, Qt::black); }, hidden);

    const auto pixel = [](const QImage& image, int x, int y) { return image.constScanLine(y) + 4 * x; };
    for (const QPoint p : {QPoint(0, 0), QPoint(119, 89), QPoint(10, 45), QPoint(60, 85)})
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(pixel(target, p.x(), p.y())[c], pixel(before, p.x(), p.y())[c])
                << "beyond reach " << p.x();
    for (int y = hidden.top(); y <= hidden.bottom(); ++y)
        for (int x = hidden.left(); x <= hidden.right(); ++x)
            ASSERT_EQ(std::memcmp(pixel(target, x, y), pixel(before, x, y), 4), 0)
                << "hidden " << x << "," << y;

    // Well inside the shape, right beside the hidden area on either side of one row, the coverage is 1:
    // alpha 0.5 of the blue tint, 127 or 128 of 255 as the blur's last bits fall.
    for (const QPoint p : {QPoint(39, 45), QPoint(80, 45), QPoint(60, 24)}) {
        const uchar* got = pixel(target, p.x(), p.y());
        const uchar* was = pixel(before, p.x(), p.y());
        const int tint[4] = {0, 0, 255, 255};
        for (int c = 0; c < 4; ++c) {
            const auto blended = [&](int a) { return (was[c] * (255 - a) + tint[c] * a + 127) / 255; };
            EXPECT_TRUE(got[c] == blended(127) || got[c] == blended(128))
                << p.x() << "," << p.y() << " component " << c << ": " << int(got[c]);
        }
    }
}

} // namespace
