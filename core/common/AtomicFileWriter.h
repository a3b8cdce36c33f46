#pragma once

#include "core/common/FileSystemError.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Replaces a file whole or not at all: the bytes go to a temporary file in the destination's own
// folder, are flushed to the disk, and the temporary file is renamed over the destination (one
// atomic step on POSIX file systems); the folder is synced so the new name survives a crash.
// Readers see the old file or the new one, never a mix, and a failure leaves the old file as it
// was and no temporary file behind. A replaced file keeps its permissions. The folder must exist.
// Every file the system writes for the user (exports, codec writes, cleaned files, the library
// state) goes through here.
class AtomicFileWriter {
  public:
    // The steps of a write, in order; a failure names the step it happened in.
    enum class Step { create, write, sync, close, rename };

    struct Options {
        // The temporary file's name inside the destination's folder; empty for a hidden name
        // made from the destination's own name and a random suffix.
        QString temporaryName;
        // Also give the new file the old one's owner and group, as far as the process may.
        bool keepOwner = false;
    };

    // Throws AtomicFileWriter::Error (a FileSystemError).
    static void write(const QString& path, const QByteArray& bytes);
    static void write(const QString& path, const QByteArray& bytes, const Options& options);

    class Error : public FileSystemError {
      public:
        Error(int errnoValue, const QString& path, Step step)
            : FileSystemError(errnoValue, path), step_(step) {}
        Step step() const { return step_; }

      private:
        Step step_;
    };

    // Called with the temporary file's path after the bytes are synced and before the rename;
    // a test throws from it to stand for a crash or a failing disk at the worst moment.
    using BeforeReplaceHook = std::function<void(const QString& temporaryPath)>;
    static void setBeforeReplaceHookForTesting(BeforeReplaceHook hook);

    // Called before each step (for `write`, after half the bytes are written); a non-zero errno
    // returned makes that step fail as the system would (ENOSPC on write, EIO on fsync, ...).
    using FaultHook = std::function<int(Step step)>;
    static void setFaultHookForTesting(FaultHook hook);
};
