#pragma once

#include <QColor>

class QApplication;

// The one look of the window: a calm dark theme shared by every view, so views built apart
// still read as one application. Canvas backdrops and the toast keep their own colours.
namespace theme {

inline const QColor window{0x1c, 0x1d, 0x21};
inline const QColor panel{0x24, 0x26, 0x2b};
inline const QColor raised{0x2e, 0x30, 0x36};
inline const QColor hairline{0x3a, 0x3c, 0x42};
inline const QColor text{0xe8, 0xe8, 0xea};
inline const QColor secondaryText{0x9b, 0x9c, 0xa3};
inline const QColor accent{0x3d, 0x8b, 0xfd};
inline const QColor destructive{0xff, 0x5c, 0x5c};
inline const QColor success{0x34, 0xc7, 0x59};

// Spacing on a 4-point grid; radii of controls and of panels and sheets.
inline constexpr int spacing = 8;
inline constexpr int sectionPadding = 12;
inline constexpr int controlRadius = 6;
inline constexpr int panelRadius = 10;
inline constexpr int bodyPixelSize = 13;
inline constexpr int captionPixelSize = 11;

// Fusion, the dark palette, the body font and the few style-sheet rules the palette can't say.
void apply(QApplication& app);

} // namespace theme
