#include "ui/sheets/ExportSheet.h"

#include "editor/EditorViewModel.h"

ExportSheet::ExportSheet(EditorViewModel& editor, QWidget* parent) : QDialog(parent), editor_(editor) {}
