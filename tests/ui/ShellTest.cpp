#include "../editor/EditorTestSupport.h"
#include "ui/shell/AppMenus.h"
#include "ui/shell/KeyMonitor.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ScrollZoomMonitor.h"
#include "ui/workspace/MainWorkspaceView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace editortest;

namespace {

struct ShellFixture : EditorFixture {
    QTemporaryDir dir;
    void open(int images) {
        QStringList names;
        for (int i = 0; i < images; ++i)
            names << QStringLiteral("photo%1.png").arg(i);
        editor.openURLs({writeImages(dir, names).first()});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_TRUE(editor.hasImage());
        ASSERT_EQ(editor.folderImages().size(), images);
    }
};

// The menus read their rules when shown; this is what a user sees on opening each of them.
struct MenuFixture : ShellFixture {
    MainWindow window{editor, platform};
    bool enabled(const char* name) {
        for (QMenu* menu : window.menus()->menus())
            Q_EMIT menu->aboutToShow();
        QAction* action = window.menus()->action(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action && action->isEnabled();
    }
};

// A window with a text field and a button, and the monitors on the application as the shell
// installs them.
struct MonitorFixture : ShellFixture {
    QWidget window;
    QLineEdit* field = new QLineEdit(QStringLiteral("hello"), &window);
    QWidget* surface = new QWidget(&window);
    KeyMonitor keys{editor};
    ScrollZoomMonitor wheel{editor};
    void SetUp() override {
        auto* column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(surface);
        surface->setFocusPolicy(Qt::StrongFocus);
        qApp->installEventFilter(&keys);
        qApp->installEventFilter(&wheel);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        surface->setFocus();
    }
    void TearDown() override {
        qApp->removeEventFilter(&keys);
        qApp->removeEventFilter(&wheel);
        EditorFixture::TearDown();
    }
    void scroll(QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(10, 10), surface->mapToGlobal(QPointF(10, 10)), QPoint(), angle,
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(surface, &event);
    }
};

} // namespace

TEST_F(MenuFixture, OneImageDisablesWhatNeedsTwoAndWhatNeedsAnEdit) {
    open(1);
    for (const char* name :
         {"batch", "sideBySide", "previous", "next", "slideshow", "save", "undo", "redo", "pasteEdits"})
        EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : {"open", "capture", "export", "moveToTrash", "copy", "paste", "copyEdits", "grid",
                             "fit", "rotateRight", "feedback"})
        EXPECT_TRUE(enabled(name)) << name;
    // A disabled command's shortcut does nothing either.
    window.menus()->action(QStringLiteral("batch"))->trigger();
    EXPECT_FALSE(editor.showBatchSheet());
}

TEST_F(MenuFixture, TwoImagesAndAnEditEnableTheirCommands) {
    open(2);
    for (const char* name : {"batch", "sideBySide", "previous", "next", "slideshow"})
        EXPECT_TRUE(enabled(name)) << name;
    editor.rotateRight();
    editor.copyCurrentEdits();
    for (const char* name : {"save", "undo", "pasteEdits"})
        EXPECT_TRUE(enabled(name)) << name;
    // The shortcut follows the state without the menu being opened.
    editor.undo();
    EXPECT_FALSE(window.menus()->action(QStringLiteral("undo"))->isEnabled());
    window.menus()->action(QStringLiteral("batch"))->trigger();
    EXPECT_TRUE(editor.showBatchSheet());
    editor.setShowBatchSheet(false);
}

TEST_F(MenuFixture, MenuCopyGoesToTheFocusedTextField) {
    open(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* field = new QLineEdit(QStringLiteral("typed words"), &window);
    field->show();
    field->setFocus();
    field->selectAll();
    platform.calls.clear();
    window.menus()->action(QStringLiteral("copy"))->trigger();
    EXPECT_FALSE(platform.calls.contains(QStringLiteral("setClipboardImage")));
    field->clearFocus();
    window.workspace()->setFocus();
    window.menus()->action(QStringLiteral("copy"))->trigger();
    EXPECT_TRUE(platform.calls.contains(QStringLiteral("setClipboardImage")));
}

TEST_F(MonitorFixture, KeyTableRunsItsCommandsAndPassesWhatDoesNotApply) {
    open(3);
    QTest::keyClick(surface, Qt::Key_Right);
    EXPECT_EQ(editor.currentIndex(), 1);
    QTest::keyClick(surface, Qt::Key_Left);
    EXPECT_EQ(editor.currentIndex(), 0);
    // Shift alone is no modifier; Ctrl, Alt and Meta leave the key to the menus.
    QTest::keyClick(surface, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(editor.currentIndex(), 1);
    for (Qt::KeyboardModifier m : {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier})
        QTest::keyClick(surface, Qt::Key_Right, m);
    EXPECT_EQ(editor.currentIndex(), 1);
    ASSERT_TRUE(editor.waitForBackgroundWork());

    QTest::keyClick(surface, Qt::Key_F);
    EXPECT_TRUE(editor.isCurrentFavorite());
    QTest::keyClick(surface, Qt::Key_1);
    EXPECT_TRUE(editor.isActualSizeMode());
    QTest::keyClick(surface, Qt::Key_0);
    EXPECT_FALSE(editor.isActualSizeMode());
    QTest::keyClick(surface, Qt::Key_2);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::sideBySide);
    QTest::keyClick(surface, Qt::Key_2);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);

    // In the grid the arrows belong to the grid.
    QTest::keyClick(surface, Qt::Key_G);
    ASSERT_EQ(editor.viewMode(), WorkspaceViewMode::grid);
    QTest::keyClick(surface, Qt::Key_Right);
    QTest::keyClick(surface, Qt::Key_Left);
    EXPECT_EQ(editor.currentIndex(), 1);
    QTest::keyClick(surface, Qt::Key_G);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);

    // Typing in a field: the keys are the field's.
    field->setFocus();
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Right);
    QTest::keyClick(field, Qt::Key_G);
    EXPECT_EQ(editor.currentIndex(), 1);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
    EXPECT_EQ(field->text(), QStringLiteral("hgello"));
    ASSERT_TRUE(editor.waitForBackgroundWork());
}

TEST_F(MonitorFixture, EscapeLeavesCropFirstThenStopsTheSlideshow) {
    open(2);
    editor.toggleSlideshow();
    editor.toggleCropMode();
    ASSERT_TRUE(editor.isSlideshowRunning());
    QTest::keyClick(surface, Qt::Key_Escape);
    EXPECT_FALSE(editor.isCropMode());
    EXPECT_TRUE(editor.isSlideshowRunning());
    QTest::keyClick(surface, Qt::Key_Escape);
    EXPECT_FALSE(editor.isSlideshowRunning());
}

TEST_F(MonitorFixture, DeleteRemovesOnlyASelectedMarkup) {
    open(1);
    editor.selectAnnotationTool(AnnotationTool::arrow);
    editor.handleMarkupDragChanged(NormalizedPoint{0.2, 0.2});
    editor.handleMarkupDragChanged(NormalizedPoint{0.6, 0.6});
    editor.handleMarkupDragEnded();
    ASSERT_EQ(editor.annotations().size(), 1);
    QTest::keyClick(surface, Qt::Key_Delete);
    EXPECT_EQ(editor.annotations().size(), 1);
    editor.selectAnnotationTool(AnnotationTool::select);
    editor.handleMarkupDragChanged(NormalizedPoint{0.4, 0.4});
    editor.handleMarkupDragEnded();
    ASSERT_TRUE(editor.selectedAnnotationID());
    QTest::keyClick(surface, Qt::Key_Backspace);
    EXPECT_TRUE(editor.annotations().isEmpty());
}

TEST_F(MonitorFixture, WheelZoomsOnlyWithCtrlOrAltAndNotInTheGrid) {
    open(2);
    scroll(QPoint(0, 120), Qt::NoModifier);
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 1.0);
    scroll(QPoint(0, 120), Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(editor.zoomScale(), 1.08);
    // Alt turns the wheel sideways in Qt; it still zooms.
    scroll(QPoint(120, 0), Qt::AltModifier);
    EXPECT_NEAR(editor.zoomScale(), 1.08 * 1.08, 1e-9);
    scroll(QPoint(0, -120), Qt::ControlModifier);
    EXPECT_NEAR(editor.zoomScale(), 1.08, 1e-9);
    editor.toggleGridView();
    scroll(QPoint(0, 120), Qt::ControlModifier);
    EXPECT_NEAR(editor.zoomScale(), 1.08, 1e-9);
}

// The grid replaces the canvas under the keyboard focus; its search field must not take the
// focus then, or the second "G" (and every arrow) would be typed into it instead of acting.
TEST_F(ShellFixture, GridOpenedAndClosedWithTheKeyboardInTheRealWindow) {
    open(3);
    MainWindow window{editor, platform};
    KeyMonitor keys{editor};
    qApp->installEventFilter(&keys);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_G);
    ASSERT_EQ(editor.viewMode(), WorkspaceViewMode::grid);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Space);
    EXPECT_FALSE(editor.showFavoritesOnly());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_G);
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::single);
    EXPECT_TRUE(editor.gridSearchText().isEmpty());
    qApp->removeEventFilter(&keys);
}
