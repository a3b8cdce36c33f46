#include "EditorTestSupport.h"

using namespace editortest;

using EditorLinks = EditorFixture;

// Links come out of photos (a barcode's payload): only web, mail and phone addresses may reach the
// desktop, and an address nothing could open says so instead of failing silently.
TEST_F(EditorLinks, OnlyWebMailAndPhoneAddressesAreOpenedAndAFailureIsReported) {
    editor.openExternalURL(QUrl(QStringLiteral("HTTPS://example.com/a?b=1")));
    editor.openExternalURL(QUrl(QStringLiteral("mailto:someone@example.com")));
    EXPECT_EQ(platform.calls, (QStringList{QStringLiteral("openURL https://example.com/a?b=1"),
                                           QStringLiteral("openURL mailto:someone@example.com")}));
    EXPECT_FALSE(editor.toastMessage().has_value());

    for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "smb://host/share", ""}) {
        platform.calls.clear();
        editor.openExternalURL(QUrl(QString::fromLatin1(refused)));
        EXPECT_TRUE(platform.calls.isEmpty()) << refused;
        EXPECT_TRUE(editor.toastIsError()) << refused;
    }

    editor.showToast(QStringLiteral("-"), false);
    platform.openURLSucceeds = false;
    editor.openExternalURL(QUrl(QStringLiteral("https://example.com")));
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.toastMessage(), std::optional<QString>(QStringLiteral("The link could not be opened.")));
}
