#include "ui/inspector/InspectorPanel.h"

#include "editor/EditorViewModel.h"

InspectorPanel::InspectorPanel(EditorViewModel& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}
