#include "ui/theme/SymbolIcons.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace symbols {
namespace {

// System symbol -> Material Icons code point. Every symbol a view shows is listed here.
const QHash<QString, char16_t>& table() {
    static const QHash<QString, char16_t> map = {
        {QStringLiteral("arrow.counterclockwise"), 0xf053},     // restart_alt
        {QStringLiteral("arrow.left.and.right"), 0xe8d4},       // swap_horiz
        {QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"), 0xe8d4},
        {QStringLiteral("arrow.up.and.down.righttriangle.up.righttriangle.down"), 0xea16}, // height
        {QStringLiteral("arrow.uturn.backward"), 0xe166},       // undo
        {QStringLiteral("arrow.uturn.forward"), 0xe15a},        // redo
        {QStringLiteral("backward.frame.fill"), 0xe045},        // skip_previous
        {QStringLiteral("forward.frame.fill"), 0xe044},         // skip_next
        {QStringLiteral("bubble.left.and.exclamationmark.bubble.right"), 0xe87f}, // feedback
        {QStringLiteral("camera.viewfinder"), 0xec08},          // screenshot_monitor
        {QStringLiteral("checkmark.circle.fill"), 0xe86c},      // check_circle
        {QStringLiteral("checkmark"), 0xe5ca},                  // check
        {QStringLiteral("chevron.left"), 0xe5cb},
        {QStringLiteral("chevron.right"), 0xe5cc},
        {QStringLiteral("crop"), 0xe3be},
        {QStringLiteral("doc.on.clipboard"), 0xe14f},           // content_paste
        {QStringLiteral("doc.on.doc"), 0xe14d},                 // content_copy
        {QStringLiteral("exclamationmark.triangle.fill"), 0xe002}, // warning
        {QStringLiteral("eyedropper.halffull"), 0xe3b8},        // colorize
        {QStringLiteral("eyedropper"), 0xe3b8},
        {QStringLiteral("folder"), 0xe2c7},
        {QStringLiteral("folder.badge.plus"), 0xe2c8},          // folder_open
        {QStringLiteral("globe"), 0xe894},                      // language
        {QStringLiteral("heart"), 0xe87e},                      // favorite_border
        {QStringLiteral("heart.fill"), 0xe87d},                 // favorite
        {QStringLiteral("info.circle"), 0xe88e},                // info
        {QStringLiteral("lock.fill"), 0xe897},
        {QStringLiteral("lock.open"), 0xe898},
        {QStringLiteral("magnifyingglass"), 0xe8b6},            // search
        {QStringLiteral("pause.fill"), 0xe034},
        {QStringLiteral("play.fill"), 0xe037},
        {QStringLiteral("pencil.tip"), 0xe3c9},                 // edit
        {QStringLiteral("photo"), 0xe3f4},                      // image
        {QStringLiteral("photo.badge.arrow.down"), 0xf090},     // download
        {QStringLiteral("photo.stack.fill"), 0xe413},           // photo_library
        {QStringLiteral("rectangle.bottomthird.inset.filled"), 0xe06c}, // call_to_action
        {QStringLiteral("rectangle.split.2x1"), 0xe949},        // vertical_split
        {QStringLiteral("rotate.right"), 0xe41a},
        {QStringLiteral("rotate.left"), 0xe419},
        {QStringLiteral("sidebar.right"), 0xf114},              // view_sidebar
        {QStringLiteral("slider.horizontal.3"), 0xe429},        // tune
        {QStringLiteral("sparkles"), 0xe65f},                   // auto_awesome
        {QStringLiteral("square.and.arrow.down"), 0xe161},      // save
        {QStringLiteral("square.and.arrow.up"), 0xe6b8},        // ios_share
        {QStringLiteral("square.grid.2x2"), 0xe9b0},            // grid_view
        {QStringLiteral("square.lefthalf.filled"), 0xe3b9},     // compare
        {QStringLiteral("square.stack.3d.up"), 0xe53b},         // layers
        {QStringLiteral("square.stack.3d.up.fill"), 0xe53b},
        {QStringLiteral("xmark"), 0xe5cd},                      // close
        {QStringLiteral("xmark.circle.fill"), 0xe5c9},          // cancel
        {QStringLiteral("trash"), 0xe872},                      // delete
        {QStringLiteral("plus"), 0xe145},                       // add
        {QStringLiteral("minus"), 0xe15b},                      // remove
        {QStringLiteral("map"), 0xe55b},
        {QStringLiteral("qrcode"), 0xf206},                     // qr_code_scanner
        {QStringLiteral("text.viewfinder"), 0xe262},            // text_fields
        {QStringLiteral("wand.and.stars"), 0xe663},             // auto_fix_high
        {QStringLiteral("scissors"), 0xe14e},                   // content_cut
        {QStringLiteral("textformat"), 0xe262},
        // The inspector's sections, buttons and markup tools.
        {QStringLiteral("macwindow"), 0xe069},                  // web_asset
        {QStringLiteral("chart.bar.xaxis"), 0xe26b},            // bar_chart
        {QStringLiteral("crop.rotate"), 0xe437},
        {QStringLiteral("camera.filters"), 0xe43b},             // photo_filter
        {QStringLiteral("sun.max"), 0xe430},                    // wb_sunny
        {QStringLiteral("checkerboard.rectangle"), 0xe3ec},     // grid_on
        {QStringLiteral("signature"), 0xe06b},                  // branding_watermark
        {QStringLiteral("doc.text"), 0xe873},                   // description
        {QStringLiteral("camera"), 0xe412},                     // photo_camera
        {QStringLiteral("location.fill"), 0xe0c8},              // location_on
        {QStringLiteral("arrow.up.right.square"), 0xe89e},      // open_in_new
        {QStringLiteral("eye.slash"), 0xe8f5},                  // visibility_off
        {QStringLiteral("cursorarrow"), 0xe569},                // near_me
        {QStringLiteral("arrow.up.right"), 0xe0b2},             // call_made
        {QStringLiteral("line.diagonal"), 0xe6e1},              // show_chart
        {QStringLiteral("rectangle"), 0xe3c6},                  // crop_square
        {QStringLiteral("rectangle.fill"), 0xe047},             // stop
        {QStringLiteral("circle"), 0xe836},                     // radio_button_unchecked
        {QStringLiteral("highlighter"), 0xe22b},                // border_color
        {QStringLiteral("sun.max.fill"), 0xe430},               // wb_sunny
        {QStringLiteral("magnifyingglass.circle.fill"), 0xe8ff}, // zoom_in
        {QStringLiteral("bandage.fill"), 0xe3f3},               // healing
        {QStringLiteral("scribble.variable"), 0xe155},          // gesture
        {QStringLiteral("1.circle.fill"), 0xe400},              // looks_one
        {QStringLiteral("drop.halffull"), 0xe3a5},              // blur_on
        {QStringLiteral("squareshape.split.3x3"), 0xe3ec},      // grid_on
    };
    return map;
}

QString loadFamily() {
    static const QString family = [] {
        const QString path =
            QStringLiteral("/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
        int id = QFontDatabase::addApplicationFont(path);
        if (id < 0) return QString();
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.first();
    }();
    return family;
}

// Paints the glyph at whatever size and pixel ratio the widget asks, so no bitmap is ever scaled.
class GlyphIconEngine : public QIconEngine {
  public:
    GlyphIconEngine(QString glyph, QColor color) : glyph_(std::move(glyph)), color_(std::move(color)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QColor c = color_;
        if (mode == QIcon::Disabled) c.setAlphaF(c.alphaF() * 0.35);
        else if (mode == QIcon::Active) c = c.lighter(115);
        const int px = qMax(1, qMin(rect.width(), rect.height()));
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        painter->setFont(font(px));
        painter->setPen(c);
        painter->drawText(rect, Qt::AlignCenter, glyph_);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // Qt hands the size in device pixels here; the glyph is drawn straight at that resolution.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            paint(&p, QRect(QPoint(0, 0), size), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QIconEngine* clone() const override { return new GlyphIconEngine(glyph_, color_); }

  private:
    QString glyph_;
    QColor color_;
};

} // namespace

QString glyph(const QString& symbolName) {
    auto it = table().constFind(symbolName);
    if (it == table().constEnd()) return QString();
    return QString(QChar(*it));
}

bool isKnown(const QString& symbolName) { return table().contains(symbolName); }

bool fontAvailable() { return !loadFamily().isEmpty(); }

QFont font(int pixelSize) {
    QFont f(loadFamily());
    f.setPixelSize(qMax(1, pixelSize));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QIcon icon(const QString& symbolName, const QColor& color) {
    return QIcon(new GlyphIconEngine(glyph(symbolName), color));
}

} // namespace symbols
