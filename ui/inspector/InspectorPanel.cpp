#include "ui/inspector/InspectorPanel.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/inspector/AdjustTab.h"
#include "ui/inspector/AiColorTab.h"
#include "ui/inspector/InfoTab.h"
#include "ui/inspector/InspectorStyle.h"
#include "ui/inspector/MarkupTab.h"
#include "ui/inspector/StudioTab.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace inspector;

namespace {

struct TabInfo {
    InspectorTab tab;
    const char* symbol;
    QString (*title)();
};

const TabInfo kTabs[] = {
    {InspectorTab::adjust, "slider.horizontal.3", &S::tabAdjust},
    {InspectorTab::annotate, "pencil.tip", &S::tabAnnotate},
    {InspectorTab::aiColor, "sparkles", &S::tabAI},
    {InspectorTab::studio, "macwindow", &S::tabStudio},
    {InspectorTab::info, "info.circle", &S::tabInfo},
};

} // namespace

InspectorPanel::InspectorPanel(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor), tabGroup_(new QButtonGroup(this)), stack_(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("inspector"));
    setAttribute(Qt::WA_StyledBackground);
    setFixedWidth(panelWidth);
    setStyleSheet(inspectorStyleSheet());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bar = new QWidget;
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(6, 8, 6, 8);
    barLayout->setSpacing(2);
    tabGroup_->setExclusive(true);
    for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
        auto* button = new QToolButton;
        button->setProperty("role", QStringLiteral("tab"));
        button->setObjectName(QStringLiteral("tab_") + rawValue(kTabs[i].tab));
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(18, 18));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setCursor(Qt::PointingHandCursor);
        // Reached with the Tab key; a click leaves the keyboard where it was.
        button->setFocusPolicy(Qt::TabFocus);
        QIcon icon = symbols::icon(QString::fromLatin1(kTabs[i].symbol), theme::secondaryText);
        icon.addPixmap(
            symbols::icon(QString::fromLatin1(kTabs[i].symbol), theme::accent).pixmap(QSize(18, 18), 2.0),
            QIcon::Normal, QIcon::On);
        button->setIcon(icon);
        tabGroup_->addButton(button, i);
        tabButtons_.append(button);
        barLayout->addWidget(button, 1);
    }
    column->addWidget(bar);

    auto* divider = new QFrame;
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(1);
    column->addWidget(divider);

    pages_ = {new AdjustTab(editor_), new MarkupTab(editor_), new AiColorTab(editor_), new StudioTab(editor_),
              new InfoTab(editor_)};
    for (TabPage* page : pages_) {
        auto* scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(page);
        scrollAreas_.append(scroll);
        stack_->addWidget(scroll);
    }
    column->addWidget(stack_, 1);

    connect(tabGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { editor_.setSelectedTab(kTabs[id].tab); });
    connect(&editor_, &EditorViewModel::selectedTabChanged, this, &InspectorPanel::showSelectedTab);
    connect(&editor_, &EditorViewModel::languageChanged, this, &InspectorPanel::retranslate);
    retranslate();
    showSelectedTab();
}

void InspectorPanel::showSelectedTab() {
    // The canvas outlines the selected markup only while the markup tab is open.
    if (editor_.selectedAnnotationID() && editor_.hasImage()) editor_.refreshAnnotationsOnly();
    for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
        if (kTabs[i].tab != editor_.selectedTab()) continue;
        tabButtons_[i]->setChecked(true);
        stack_->setCurrentIndex(i);
    }
}

void InspectorPanel::retranslate() {
    for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i)
        tabButtons_[i]->setText(buttonTitle(kTabs[i].title()));
    for (TabPage* page : pages_)
        page->retranslate();
}
