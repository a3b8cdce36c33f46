#include "../editor/EditorTestSupport.h"

#include "ui/inspector/InspectorControls.h"
#include "ui/inspector/InspectorPanel.h"
#include "ui/theme/Theme.h"
#include "ui/workspace/MainWorkspaceView.h"
#include "ui/workspace/WorkspaceToolbar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

using namespace editortest;

// The inspector is 320 points wide whatever the language; a translation longer than its place
// widens the column past the panel's edge, where the controls are cut off. Every shipped language
// must fit: this names the texts that do not, per language and tab.

namespace {

struct Texted {
    QWidget* widget;
    QString text;
};

QList<Texted> textedChildren(QWidget* page) {
    QList<Texted> out;
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty() && button->isVisibleTo(page)) out << Texted{button, button->text()};
    for (QLabel* label : page->findChildren<QLabel*>())
        if (!label->text().isEmpty() && label->isVisibleTo(page) && !label->wordWrap())
            out << Texted{label, label->text()};
    return out;
}

void setText(QWidget* widget, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

// The texts that make the page wider than `room`: shortened one at a time, widest effect first,
// until the page fits. The page's own texts are restored afterwards.
QStringList textsTooLong(QWidget* page, int room) {
    QStringList culprits;
    QList<Texted> shortened;
    auto width = [page] {
        QApplication::processEvents();
        return page->minimumSizeHint().width();
    };
    for (int guard = 0; guard < 40 && width() > room; ++guard) {
        const int before = width();
        Texted best{nullptr, {}};
        int bestWidth = before;
        Texted widest{nullptr, {}}; // when texts of equal width share a column, none alone narrows it
        int widestHint = 0;
        for (const Texted& candidate : textedChildren(page)) {
            if (candidate.text == u"x") continue;
            if (candidate.widget->minimumSizeHint().width() > widestHint) {
                widestHint = candidate.widget->minimumSizeHint().width();
                widest = candidate;
            }
            setText(candidate.widget, QStringLiteral("x"));
            const int after = width();
            setText(candidate.widget, candidate.text);
            if (after < bestWidth) {
                bestWidth = after;
                best = candidate;
            }
        }
        if (!best.widget) best = widest;
        if (!best.widget) break;
        culprits << best.text;
        shortened << best;
        setText(best.widget, QStringLiteral("x"));
    }
    for (const Texted& t : shortened)
        setText(t.widget, t.text);
    if (culprits.isEmpty() && width() > room)
        culprits << QStringLiteral("(the page is %1 wide for %2, no one text)").arg(width()).arg(room);
    return culprits;
}

struct LocalizationFit : EditorFixture {
    QTemporaryDir dir;
    void SetUp() override { theme::apply(*qApp); }
    void TearDown() override {
        editor.setLanguage(AppLanguage::en);
        EditorFixture::TearDown();
    }
};

} // namespace

TEST_F(LocalizationFit, EveryLanguageFitsTheInspector) {
    editor.openURLs({writeImages(dir, {QStringLiteral("photo.png")}, QSize(320, 240)).first()});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    InspectorPanel panel(editor);
    panel.resize(inspector::panelWidth, 680);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));

    QStringList report;
    for (AppLanguage language : AppLanguage::allCases()) {
        editor.setLanguage(language);
        // Each tab's title in its own row, the selected one in bold.
        for (int selected = 0; panel.tabButton(selected); ++selected) {
            panel.tabButton(selected)->click();
            QApplication::processEvents();
            QToolButton* button = panel.tabButton(selected);
            if (button->sizeHint().width() > button->width())
                report << QStringLiteral("%1, tab button: %2").arg(language.rawValue(), button->text());
        }
        panel.tabButton(0)->click();
        for (int tab = 0; panel.scrollArea(tab); ++tab) {
            QScrollArea* scroll = panel.scrollArea(tab);
            const int room = scroll->viewport()->width();
            const QStringList culprits = textsTooLong(scroll->widget(), room);
            if (!culprits.isEmpty())
                report << QStringLiteral("%1, tab %2: %3")
                              .arg(language.rawValue())
                              .arg(tab)
                              .arg(culprits.join(QStringLiteral(" | ")));
        }
    }
    EXPECT_TRUE(report.isEmpty()) << "texts too long for the inspector:\n  "
                                  << report.join(QStringLiteral("\n  ")).toStdString();
}

TEST_F(LocalizationFit, EveryLanguageFitsTheToolbarOfTheSmallestWindow) {
    editor.openURLs(writeImages(dir, {QStringLiteral("a.png"), QStringLiteral("b.png")}, QSize(64, 48)));
    ASSERT_TRUE(editor.waitForBackgroundWork());
    MainWorkspaceView view(editor, platform);
    view.resize(view.minimumSize());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_GT(view.toolbar()->minimumSizeHint().width(), view.width() / 2); // it measures its items
    QStringList tooWide;
    for (AppLanguage language : AppLanguage::allCases()) {
        editor.setLanguage(language);
        QApplication::processEvents();
        if (view.toolbar()->minimumSizeHint().width() > view.width())
            tooWide << QStringLiteral("%1 (%2)")
                           .arg(language.rawValue())
                           .arg(view.toolbar()->minimumSizeHint().width());
    }
    EXPECT_TRUE(tooWide.isEmpty()) << "toolbar wider than the window: " << tooWide.join(u", ").toStdString();
}
