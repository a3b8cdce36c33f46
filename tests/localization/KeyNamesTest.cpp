#include "core/localization/KeyNames.h"

#include <gtest/gtest.h>

TEST(KeyNames, MacGlyphsBecomeTheKeyboardsNames) {
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("Capture (⇧⌘A)")),
              QStringLiteral("Capture (Ctrl+Shift+A)"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("paste with ⌥⌘V")),
              QStringLiteral("paste with Ctrl+Alt+V"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("⌥⌘V ile yapıştırın")),
              QStringLiteral("Ctrl+Alt+V ile yapıştırın"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("Delete (⌫)")), QStringLiteral("Delete (Backspace)"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("Remove (⌘⌫)")), QStringLiteral("Remove (Ctrl+Backspace)"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("Zoom out (⌘-)")), QStringLiteral("Zoom out (Ctrl+-)"));
    // A modifier on its own, before a word or at the end.
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("⌘-click to add")), QStringLiteral("Ctrl-click to add"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("hold ⌥")), QStringLiteral("hold Alt"));
    EXPECT_EQ(withPlatformKeyNames(QStringLiteral("Görsel dışa aktarıldı: a.png")),
              QStringLiteral("Görsel dışa aktarıldı: a.png"));
}
