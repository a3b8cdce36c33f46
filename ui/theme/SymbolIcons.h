#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

// The system symbols the views name ("chevron.left", "heart.fill", ...) drawn from the Material
// Icons font that Debian's fonts-material-design-icons-iconfont installs. One table maps every
// name once; icons are vector glyphs painted at the size and device pixel ratio asked for, so
// they stay sharp on any screen.
namespace symbols {

// The glyph for a symbol name, or an empty string when the table has no such name (a view that
// asks for an unknown name is a programming error: tests check every name in use).
QString glyph(const QString& symbolName);
bool isKnown(const QString& symbolName);
// The icon font at a pixel size; its family is empty when the font file is missing.
QFont font(int pixelSize);
bool fontAvailable();

// An icon of the symbol in one colour; disabled and active modes are derived from it.
QIcon icon(const QString& symbolName, const QColor& color = QColor(0xe8, 0xe8, 0xea));

} // namespace symbols
