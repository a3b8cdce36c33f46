#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace testsupport {

// Absolute path of a file in the shared fixtures, e.g. fixture("photos/hopper.png").
QString fixture(const QString& relative);
// Absolute path of a file in the source tree, e.g. sourcePath("fuzz/regressions"). __FILE__ is no
// substitute: with ccache's base_dir the compiler sees paths relative to the build tree, and
// ctest runs each suite from another folder.
QString sourcePath(const QString& relative);

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};
// Runs the built taviview-cli with the given arguments.
CliResult runCli(const QStringList& args, int timeoutMs = 120000);

// Mean absolute difference per channel (0...255) of two images of the same size; -1 when sizes differ.
double meanAbsoluteDifference(const QImage& a, const QImage& b);

// Writes a small image file (format from the extension) for tests; returns its path.
QString writeImage(const QTemporaryDir& dir, const QString& name, const QImage& image);

} // namespace testsupport
