#include "ui/browsing/FilmstripView.h"

#include "editor/EditorViewModel.h"

FilmstripView::FilmstripView(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}
