#include "ui/browsing/SideBySideCompareView.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/browsing/CompareImageView.h"
#include "ui/browsing/ComparePane.h"
#include "ui/theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

SideBySideCompareView::SideBySideCompareView(EditorViewModel& editor, QWidget* parent)
    : QWidget(parent), editor_(editor) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, theme::hairline); // shows as the divider between the panes
    setPalette(pal);

    left_ = new ComparePane(editor_, this);
    right_ = new ComparePane(editor_, this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(left_, 1);
    row->addWidget(right_, 1);

    connect(left_, &ComparePane::previousClicked, &editor_, &EditorViewModel::navigatePrevious);
    connect(left_, &ComparePane::nextClicked, &editor_, &EditorViewModel::navigateNext);
    connect(right_, &ComparePane::previousClicked, this, [this] { editor_.stepSecondaryCompare(-1); });
    connect(right_, &ComparePane::nextClicked, this, [this] { editor_.stepSecondaryCompare(1); });

    for (auto signal : {&EditorViewModel::renderedDisplayImageChanged, &EditorViewModel::currentIndexChanged,
                        &EditorViewModel::folderImagesChanged})
        connect(&editor_, signal, this, &SideBySideCompareView::updateLeft);
    for (auto signal :
         {&EditorViewModel::secondaryCompareImageChanged, &EditorViewModel::secondaryCompareNameChanged})
        connect(&editor_, signal, this, &SideBySideCompareView::updateRight);
    connect(&editor_, &EditorViewModel::languageChanged, this, &SideBySideCompareView::updateTexts);

    updateTexts();
    updateLeft();
    updateRight();
}

void SideBySideCompareView::updateLeft() {
    const std::optional<QString> url = editor_.currentURL();
    left_->setTitle(url ? url->section(u'/', -1) : QString());
    left_->imageView()->setImage(editor_.renderedDisplayImage());
}

void SideBySideCompareView::updateRight() {
    right_->setTitle(editor_.secondaryCompareName());
    right_->imageView()->setImage(editor_.secondaryCompareImage());
}

void SideBySideCompareView::updateTexts() {
    left_->setButtonTips(S::previousPhoto(), S::nextPhoto());
    // The arrow keys named in those tips step the current photo, not the right-hand one.
    right_->setButtonTips(QString(), QString());
}
