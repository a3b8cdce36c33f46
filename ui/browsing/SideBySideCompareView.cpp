#include "ui/browsing/SideBySideCompareView.h"

#include "editor/EditorViewModel.h"

SideBySideCompareView::SideBySideCompareView(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}
