#include "ui/sheets/BatchSheet.h"

#include "editor/EditorViewModel.h"

BatchSheet::BatchSheet(EditorViewModel& editor, QWidget* parent) : QDialog(parent), editor_(editor) {}
