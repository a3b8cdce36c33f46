#include "../editor/EditorTestSupport.h"
#include "ui/browsing/GridGalleryView.h"
#include "ui/canvas/CanvasStageView.h"
#include "ui/workspace/MainWorkspaceView.h"
#include "ui/workspace/WorkspaceCommands.h"
#include "ui/workspace/WorkspaceToolbar.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrlQuery>

using namespace editortest;
using Item = WorkspaceToolbar::Item;

namespace {

struct WorkspaceFixture : EditorFixture {
    QTemporaryDir dir;
    MainWorkspaceView view{editor, platform};
    WorkspaceToolbar& bar = *view.toolbar();

    void SetUp() override { view.resize(1280, 800); }
    QStringList open(int images) {
        QStringList names;
        for (int i = 0; i < images; ++i)
            names << QStringLiteral("photo%1.jpg").arg(i);
        const QStringList paths = writeImages(dir, names);
        editor.openURLs({paths.first()});
        EXPECT_TRUE(editor.waitForBackgroundWork());
        return paths;
    }
    QList<Item> shownItems() const {
        QList<Item> shown;
        for (int i = int(Item::emblem); i <= int(Item::language); ++i)
            if (bar.button(Item(i))->isVisibleTo(&bar)) shown << Item(i);
        return shown;
    }
};

} // namespace

TEST_F(WorkspaceFixture, WelcomeShowsOnlyTheItemsThatNeedNoPhoto) {
    EXPECT_TRUE(view.isShowingWelcome());
    EXPECT_EQ(view.modeView(), nullptr);
    EXPECT_EQ(shownItems(), (QList<Item>{Item::emblem, Item::open, Item::capture, Item::filmstrip,
                                         Item::inspector, Item::feedback, Item::language}));
}

TEST_F(WorkspaceFixture, OneImageFolderDisablesBrowsingAndHidesBatch) {
    open(1);
    EXPECT_FALSE(view.isShowingWelcome());
    for (Item item : {Item::previous, Item::next, Item::sideBySide, Item::slideshow, Item::save,
                      Item::compare, Item::undo})
        EXPECT_FALSE(bar.button(item)->isEnabled()) << int(item);
    for (Item item : {Item::grid, Item::rotate, Item::crop, Item::favorite, Item::copy, Item::exportImage})
        EXPECT_TRUE(bar.button(item)->isEnabled() && bar.button(item)->isVisibleTo(&bar)) << int(item);
    EXPECT_FALSE(bar.button(Item::batch)->isVisibleTo(&bar));

    open(2);
    EXPECT_TRUE(bar.button(Item::batch)->isVisibleTo(&bar));
    EXPECT_TRUE(bar.button(Item::sideBySide)->isEnabled());
    // An edit makes Save and Compare usable; Compare turned on leaves crop mode.
    bar.button(Item::crop)->click();
    EXPECT_TRUE(editor.isCropMode() && bar.isActive(Item::crop));
    editor.rotateRight();
    ASSERT_TRUE(bar.button(Item::compare)->isEnabled());
    bar.button(Item::compare)->click();
    EXPECT_TRUE(editor.isCompareMode());
    EXPECT_FALSE(editor.isCropMode());
    EXPECT_TRUE(bar.isActive(Item::compare) && !bar.isActive(Item::crop));
}

TEST_F(WorkspaceFixture, GridAndComparisonHideFilmstripAndInspectorWhateverTheFlags) {
    open(2);
    EXPECT_NE(qobject_cast<CanvasStageView*>(view.modeView()), nullptr);
    EXPECT_TRUE(view.isFilmstripShown());
    EXPECT_TRUE(view.isInspectorShown());
    bar.button(Item::inspector)->click();
    EXPECT_FALSE(editor.showInspector());
    EXPECT_FALSE(view.isInspectorShown());
    bar.button(Item::inspector)->click();

    bar.button(Item::grid)->click();
    EXPECT_NE(qobject_cast<GridGalleryView*>(view.modeView()), nullptr);
    EXPECT_TRUE(bar.isActive(Item::grid));
    EXPECT_TRUE(editor.showFilmstrip() && editor.showInspector());
    EXPECT_FALSE(view.isFilmstripShown());
    EXPECT_FALSE(view.isInspectorShown());
    bar.button(Item::sideBySide)->click();
    EXPECT_EQ(editor.viewMode(), WorkspaceViewMode::sideBySide);
    EXPECT_FALSE(view.isFilmstripShown() || view.isInspectorShown());
    ASSERT_TRUE(editor.waitForBackgroundWork());
}

TEST_F(WorkspaceFixture, DropOpensTheItemsThatArriveAndIgnoresADropOfFailures) {
    const QStringList paths =
        writeImages(dir, {QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png")});
    QMimeData failures;
    failures.setUrls(
        {QUrl(QStringLiteral("https://example.com/x.jpg")), QUrl(), QUrl(QStringLiteral("file:"))});
    view.handleFileDrop(failures);
    EXPECT_TRUE(editor.folderImages().isEmpty());
    EXPECT_FALSE(editor.toastMessage().has_value());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(paths[2]), QUrl(QStringLiteral("https://example.com/x.jpg")),
                   QUrl::fromLocalFile(paths[0])});
    view.handleFileDrop(mixed);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(editor.folderImages(), (QStringList{paths[0], paths[2]}));
}

TEST_F(WorkspaceFixture, SheetsFollowTheirFlagsBothWays) {
    open(2);
    editor.setShowBatchSheet(true);
    QPointer<QDialog> sheet = view.batchSheet();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject();
    EXPECT_FALSE(editor.showBatchSheet());
    editor.setShowBatchSheet(true);
    sheet = view.batchSheet();
    ASSERT_TRUE(sheet);
    editor.setShowBatchSheet(false);
    EXPECT_TRUE(!sheet || !sheet->isVisible());
    EXPECT_EQ(view.batchSheet(), nullptr);
}

TEST_F(WorkspaceFixture, FeedbackNamesTheRunningSystemAndTheLanguagesPage) {
    const QUrl turkish =
        workspace::feedbackURL(AppLanguage::tr, QString(), QStringLiteral("Debian GNU/Linux 12"));
    EXPECT_EQ(turkish.path(), QStringLiteral("/tr/geri-bildirim"));
    const QUrlQuery query(turkish);
    const auto items = query.queryItems(QUrl::FullyDecoded);
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0], (QPair<QString, QString>{QStringLiteral("app"), QStringLiteral("taviview")}));
    EXPECT_EQ(items[1], (QPair<QString, QString>{QStringLiteral("version"), QStringLiteral("1.0.0")}));
    EXPECT_EQ(items[2],
              (QPair<QString, QString>{QStringLiteral("os"), QStringLiteral("Debian GNU/Linux 12")}));
    EXPECT_EQ(items[3], (QPair<QString, QString>{QStringLiteral("source"), QStringLiteral("desktop_app")}));
    EXPECT_EQ(workspace::feedbackURL(AppLanguage::ptBR, QStringLiteral("2.1"), QString()).path(),
              QStringLiteral("/pt-BR/feedback"));

    bar.button(Item::feedback)->click();
    ASSERT_EQ(platform.calls.size(), 1);
    const QUrl opened(platform.calls.first().section(u' ', 1, -1));
    const QString os = QUrlQuery(opened).queryItemValue(QStringLiteral("os"), QUrl::FullyDecoded);
    EXPECT_FALSE(os.isEmpty());
    EXPECT_FALSE(os.contains(QStringLiteral("macOS")));
}

TEST_F(WorkspaceFixture, ToastsNameShortcutsInThisKeyboardsWords) {
    view.show();
    editor.showToast(QStringLiteral("Edit adjustments copied (paste with \u2325\u2318V)"), false);
    QStringList shown;
    for (const QLabel* label : view.findChildren<QLabel*>())
        if (label->isVisibleTo(&view)) shown << label->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Edit adjustments copied (paste with Ctrl+Alt+V)")))
        << shown.join(u'|').toStdString();
}
