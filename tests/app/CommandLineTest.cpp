#include "../editor/EditorTestSupport.h"
#include "app/CommandLinePaths.h"
#include "app/TaviViewAppDelegate.h"
#include "editor/EditorViewModel.h"
#include "ui/shell/MainWindow.h"

#include <QDir>

using namespace editortest;

TEST(CommandLine, SwitchesAndMissingPathsAreDroppedRelativePathsResolvedInOrder) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {QStringLiteral("b.png"), QStringLiteral("a.png")});
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    const QStringList arguments{QStringLiteral("--verbose"),    QStringLiteral("b.png"),
                                QStringLiteral("nothing-here"), QStringLiteral("-"),
                                QStringLiteral("sub/../a.png"), dir.filePath(QStringLiteral("sub"))};
    EXPECT_EQ(commandLinePaths(arguments, dir.path()),
              (QStringList{paths[0], paths[1], QDir::cleanPath(dir.filePath(QStringLiteral("sub")))}));
    EXPECT_TRUE(
        commandLinePaths({QStringLiteral("-platform"), QStringLiteral("missing.jpg")}, dir.path()).isEmpty());
}

TEST(CommandLine, TheDelegateOpensOnlyThePhotoAndShowsTheWindow) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {QStringLiteral("one.png")});
    TaviViewAppDelegate delegate;
    EditorViewModel& editor = delegate.viewModel(); // made before any window
    EXPECT_EQ(delegate.window(), nullptr);
    delegate.launch({QStringLiteral("--flag"), QStringLiteral("no-such-word"), QStringLiteral("one.png")},
                    dir.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    ASSERT_NE(delegate.window(), nullptr);
    EXPECT_TRUE(delegate.window()->isVisible());
    EXPECT_EQ(delegate.window()->windowTitle(), QStringLiteral("TaviView — by Quellora"));
    EXPECT_TRUE(delegate.monitorsInstalled());
    EXPECT_EQ(editor.folderImages(), QStringList{paths[0]});
    EXPECT_TRUE(editor.hasImage());
}
