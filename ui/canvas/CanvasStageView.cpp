#include "ui/canvas/CanvasStageView.h"

#include "editor/EditorViewModel.h"

CanvasStageView::CanvasStageView(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}
