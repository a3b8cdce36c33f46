#include "../editor/EditorTestSupport.h"
#include "core/common/TaviError.h"
#include "ui/platform/QtPlatformServices.h"

#include <QFileInfo>
#include <QStandardPaths>

using namespace editortest;

TEST(ShellPlatformServices, TrashMovesTheFileAndAMissingFileIsAnErrorWithAReason) {
    QTemporaryDir dir;
    const QString path = writeImages(dir, {QStringLiteral("gone.png")}).first();
    QtPlatformServices platform;
    ASSERT_NO_THROW(platform.moveToTrash(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    // In the user's Trash, even when the data folder did not exist yet (the test's home has none).
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/Trash/files/gone.png");
    EXPECT_TRUE(QFileInfo::exists(trash)) << trash.toStdString();
    try {
        platform.moveToTrash(path);
        ADD_FAILURE() << "a file that is not there went to the Trash";
    } catch (const TaviError& error) {
        EXPECT_FALSE(error.description().isEmpty());
    }
}

TEST(ShellPlatformServices, ClipboardKeepsTextImagesAndFileLists) {
    QTemporaryDir dir;
    const QStringList files = writeImages(dir, {QStringLiteral("a.png"), QStringLiteral("b b.png")});
    QtPlatformServices platform;
    ASSERT_TRUE(platform.setClipboardFileURLs(files));
    EXPECT_EQ(platform.clipboardFileURLs(), files);
    ASSERT_TRUE(platform.setClipboardImage(sampleImage(40, 30)));
    EXPECT_EQ(platform.clipboardImage().value_or(QImage()).size(), QSize(40, 30));
    EXPECT_TRUE(platform.clipboardFileURLs().isEmpty());
    ASSERT_TRUE(platform.setClipboardText(QStringLiteral("words")));
    EXPECT_EQ(platform.clipboardText(), std::optional<QString>(QStringLiteral("words")));
    EXPECT_FALSE(platform.clipboardImage().has_value());
}

TEST(ShellPlatformServices, OpenPanelOffersEveryReadableImageKind) {
    const QStringList filters = QtPlatformServices::nameFiltersFor({QStringLiteral("image/*")});
    ASSERT_EQ(filters.size(), 2);
    for (const char* pattern : {"*.jpg", "*.heic", "*.png", "*.webp"})
        EXPECT_TRUE(filters.first().contains(QString::fromLatin1(pattern))) << pattern;
}
