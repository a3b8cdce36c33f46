#pragma once

#include <QString>
#include <QStringList>

// The paths to open from the program's arguments (without the program itself): switches (those
// starting with "-") are dropped, relative paths are taken against `workingDirectory`, and only
// paths that exist are kept, in argument order.
QStringList commandLinePaths(const QStringList& arguments, const QString& workingDirectory);
