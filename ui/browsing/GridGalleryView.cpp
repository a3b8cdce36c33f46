#include "ui/browsing/GridGalleryView.h"

#include "editor/EditorViewModel.h"

GridGalleryView::GridGalleryView(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}
