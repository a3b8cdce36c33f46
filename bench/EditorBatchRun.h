#pragma once

#include <QStringList>

// `taviview-bench editor-batch FOLDER OUTFOLDER [--count N] [--max-edge N] [--quality Q]`: the
// first N JPEGs of FOLDER (all when N is not given) through the editor's own batch export, the
// way the batch sheet runs it, into OUTFOLDER. Prints one line of figures for scripts/bench:
// the batch's wall and CPU time, the resident size before it and the peak during it. Exit
// status 0 when every file was exported.
int runEditorBatch(const QStringList& args);
