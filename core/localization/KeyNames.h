#pragma once

#include <QString>

// The texts name key combinations the way a Mac menu shows them (⇧⌘A, ⌥⌘V, ⌫); elsewhere the
// keyboard says Ctrl, Alt, Shift and Backspace, so a text is converted once, where it is shown.
// The text's table key keeps the glyphs. Combinations come out in the desktop's order and
// spelling: "⇧⌘A" is "Ctrl+Shift+A", "⌥⌘V" is "Ctrl+Alt+V"; a modifier with no key after it
// (as in "⌘-click") is its name alone.
QString withPlatformKeyNames(const QString& text);
