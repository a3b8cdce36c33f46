#include "../editor/EditorTestSupport.h"

#include "core/localization/S.h"
#include "ui/canvas/CanvasStageView.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/HistogramView.h"
#include "ui/inspector/InspectorControls.h"
#include "ui/inspector/InspectorPanel.h"
#include "ui/theme/Theme.h"
#include "ui/workspace/LanguageMenu.h"
#include "ui/workspace/MainWorkspaceView.h"
#include "ui/workspace/WorkspaceToolbar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace editortest;

namespace {

struct LocalizationWindow : EditorFixture {
    QTemporaryDir dir;
    std::unique_ptr<MainWorkspaceView> view;

    void SetUp() override {
        theme::apply(*qApp);
        editor.setLanguage(AppLanguage::en);
        view = std::make_unique<MainWorkspaceView>(editor, platform);
        view->resize(1040, 680);
        editor.openURLs({writeImages(dir, {QStringLiteral("photo.png")}, QSize(320, 240)).first()});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    void TearDown() override {
        editor.setLanguage(AppLanguage::en);
        view.reset();
        EditorFixture::TearDown();
    }
    // Where a widget sits in the window, after the layouts have settled.
    QRect placeOf(const QWidget* widget) const {
        QApplication::processEvents();
        return QRect(widget->mapTo(view.get(), QPoint(0, 0)), widget->size());
    }
};

} // namespace

TEST_F(LocalizationWindow, RightToLeftLanguagesMirrorTheWindowButNotThePhotoOrTheScales) {
    auto* panel = view->findChild<InspectorPanel*>();
    auto* canvas = view->findChild<CanvasStageView*>();
    ASSERT_TRUE(panel && canvas);
    auto* row = panel->findChild<inspector::AdjustmentSliderRow*>();
    auto* histogram = panel->findChild<inspector::HistogramView*>();
    ASSERT_TRUE(row && histogram);
    QWidget* firstTab = panel->tabButton(0);
    const QRect inspectorLTR = placeOf(panel), tabLTR = placeOf(firstTab);
    EXPECT_GT(inspectorLTR.left(), view->width() / 2); // beside the photo, on the right

    for (AppLanguage language :
         {AppLanguage(AppLanguage::ar), AppLanguage(AppLanguage::fa), AppLanguage(AppLanguage::he)}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        editor.setLanguage(language);
        EXPECT_EQ(view->layoutDirection(), Qt::RightToLeft);
        // The inspector moves to the left edge and its tabs read from the right.
        const QRect mirrored = placeOf(panel);
        EXPECT_LT(mirrored.left(), view->width() / 2);
        EXPECT_EQ(mirrored.width(), inspectorLTR.width());
        const QRect tab = placeOf(firstTab);
        EXPECT_EQ(mirrored.right() - tab.right(), tabLTR.left() - inspectorLTR.left());
        // The photo, the histogram and the sliders keep their own direction.
        EXPECT_EQ(canvas->layoutDirection(), Qt::LeftToRight);
        EXPECT_EQ(histogram->layoutDirection(), Qt::LeftToRight);
        EXPECT_EQ(row->slider()->layoutDirection(), Qt::LeftToRight);
        EXPECT_FALSE(row->slider()->invertedAppearance());
    }

    editor.setLanguage(AppLanguage::de);
    EXPECT_EQ(view->layoutDirection(), Qt::LeftToRight);
    editor.setLanguage(AppLanguage::en);
    EXPECT_EQ(placeOf(panel), inspectorLTR);
    EXPECT_EQ(placeOf(firstTab), tabLTR);
}

TEST_F(LocalizationWindow, LanguageMenuListsTheSortedLanguagesAndSwitchesEveryTextAtOnce) {
    auto* menu = view->findChild<LanguageMenu*>();
    ASSERT_NE(menu, nullptr);
    Q_EMIT menu->aboutToShow();
    QStringList listed;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) listed << action->text();
    QStringList expected;
    for (AppLanguage language : AppLanguage::sortedCases())
        expected << language.displayName();
    ASSERT_EQ(listed.size(), expected.size() + 1);
    EXPECT_EQ(listed.mid(1), expected);

    auto* open = view->toolbar()->button(WorkspaceToolbar::Item::open);
    auto* panel = view->findChild<InspectorPanel*>();
    ASSERT_TRUE(open && panel);
    EXPECT_EQ(open->text(), u"Open");
    const int japanese = static_cast<int>(expected.indexOf(AppLanguage(AppLanguage::ja).displayName()));
    menu->actions().at(2 + japanese)->trigger(); // after "System Language" and the separator
    ASSERT_EQ(editor.language(), AppLanguage::ja);
    // Without any further event the visible texts already read in the new language.
    EXPECT_EQ(open->text(), S::openPhotoOrFolder());
    EXPECT_NE(open->text(), u"Open"); // the shipped Japanese catalog speaks
    EXPECT_EQ(panel->tabButton(0)->text(), inspector::buttonTitle(S::tabAdjust()));
    EXPECT_NE(S::tabAdjust(), u"Adjust");
}
