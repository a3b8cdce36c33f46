// Renders the application icon to the square PNG sizes of the hicolor theme at build time, so the
// SVG stays the icon's one source and every size is drawn by the renderer the window itself uses.
//   tavi-render-icon ICON.svg OUTPUT_DIR NAME SIZE...   writes OUTPUT_DIR/SIZExSIZE/apps/NAME.png
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s ICON.svg OUTPUT_DIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a readable SVG\n", argv[1]);
        return 1;
    }
    const QString outputDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int side = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || side < 8 || side > 1024) {
            std::fprintf(stderr, "%s: not an icon size\n", argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outputDir).arg(side);
        QSaveFile file(QStringLiteral("%1/%2.png").arg(folder, name));
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") ||
            !file.commit()) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
