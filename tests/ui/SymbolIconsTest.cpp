#include "ui/theme/SymbolIcons.h"

#include <QImage>
#include <QPixmap>
#include <QRawFont>
#include <gtest/gtest.h>

// Each symbol a view may name must come out of the installed font as a real glyph: a missing
// font or a code point the font lacks would show an empty square.
TEST(SymbolIcons, EverySymbolIsAGlyphOfTheInstalledFont) {
    ASSERT_TRUE(symbols::fontAvailable()) << "fonts-material-design-icons-iconfont is not installed";
    QRawFont raw = QRawFont::fromFont(symbols::font(24));
    for (const char* name : {"chevron.left", "heart.fill", "square.grid.2x2", "camera.viewfinder",
                             "bubble.left.and.exclamationmark.bubble.right", "photo.badge.arrow.down"}) {
        const QString g = symbols::glyph(QString::fromLatin1(name));
        ASSERT_FALSE(g.isEmpty()) << name;
        EXPECT_TRUE(raw.supportsCharacter(g.at(0))) << name;
    }
    EXPECT_TRUE(symbols::glyph(QStringLiteral("no.such.symbol")).isEmpty());
}

TEST(SymbolIcons, IconsPaintAtTheDevicePixelRatio) {
    const QIcon icon = symbols::icon(QStringLiteral("heart.fill"), Qt::white);
    QPixmap pm = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(pm.size(), QSize(32, 32));
    EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), 2.0);
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) inked += qAlpha(img.pixel(x, y)) > 128;
    // A filled heart covers a good part of its box; an empty square or nothing would not.
    EXPECT_GT(inked, 32 * 32 / 5);
}
