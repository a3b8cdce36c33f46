#pragma once

#include "core/files/FileSystemError.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Replaces a file whole or not at all: the bytes go to a temporary file in the destination's own
// folder, are flushed to the disk, and the temporary file is renamed over the destination (one
// atomic step on POSIX file systems); the folder is synced so the new name survives a crash.
// Readers see the old file or the new one, never a mix, and a failure leaves the old file as it
// was and no temporary file behind. The folder must exist.
class AtomicFileWriter {
  public:
    // Throws FileSystemError.
    static void write(const QString& path, const QByteArray& bytes);

    // Called with the temporary file's path after the bytes are synced and before the rename;
    // a test throws from it to stand for a crash or a failing disk at the worst moment.
    using BeforeReplaceHook = std::function<void(const QString& temporaryPath)>;
    static void setBeforeReplaceHookForTesting(BeforeReplaceHook hook);
};
