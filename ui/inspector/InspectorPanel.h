#pragma once

#include <QList>
#include <QWidget>

class EditorViewModel;
class QButtonGroup;
class QScrollArea;
class QStackedWidget;
class QToolButton;

namespace inspector {
class TabPage;
}

// The 320-point inspector at the right of the workspace: five tabs, each a scrolling column of
// sections. It keeps nothing of its own: the open tab is the editor's `selectedTab`, every
// control shows an editor value and calls an editor operation.
class InspectorPanel : public QWidget {
    Q_OBJECT
  public:
    explicit InspectorPanel(EditorViewModel& editor, QWidget* parent = nullptr);

    // The tab buttons and the pages, in the tabs' order (for tests and the window's shortcuts).
    QToolButton* tabButton(int index) const { return tabButtons_.value(index); }
    inspector::TabPage* page(int index) const { return pages_.value(index); }
    QScrollArea* scrollArea(int index) const { return scrollAreas_.value(index); }

  private:
    void showSelectedTab();
    void retranslate();

    EditorViewModel& editor_;
    QButtonGroup* tabGroup_;
    QList<QToolButton*> tabButtons_;
    QList<inspector::TabPage*> pages_;
    QList<QScrollArea*> scrollAreas_;
    QStackedWidget* stack_;
};
