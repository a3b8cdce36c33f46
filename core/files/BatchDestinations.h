#pragma once

#include "core/files/ImageExportFormat.h"

#include <QSize>
#include <QString>
#include <QStringList>

// Where each file of a batch is written: the output folder, the source's name without its
// extension, "." and the format's extension (IMG_0001.HEIC as JPEG becomes IMG_0001.jpg).
// No two sources share a destination: the later of two that would gets "-2", "-3", … before the
// extension (IMG_1.heic and IMG_1.png give IMG_1.jpg and IMG_1-2.jpg). No destination is one of
// the files in `originals` either (a batch into the folder of the photos writes beside them,
// never over one of them), whatever spelling or link leads to it. Any other file already in the
// folder is replaced by the batch. One destination per source, in the sources' order.
QStringList batchDestinations(const QStringList& sources, const QString& outputFolder,
                              ImageExportFormat format, const QStringList& originals);

// The size a batch writes an image of `size` at when shrinking to `maxEdge`: unchanged when its
// longer side is within it, otherwise scaled so that the longer side is `maxEdge`, each side
// rounded to the nearest integer and at least 1.
QSize batchOutputSize(QSize size, int maxEdge);
