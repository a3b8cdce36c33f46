#include "core/common/AtomicFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Step = AtomicFileWriter::Step;

std::mutex hookMutex;
AtomicFileWriter::BeforeReplaceHook& replaceHookStorage() {
    static AtomicFileWriter::BeforeReplaceHook hook;
    return hook;
}
AtomicFileWriter::FaultHook& faultHookStorage() {
    static AtomicFileWriter::FaultHook hook;
    return hook;
}

AtomicFileWriter::BeforeReplaceHook currentReplaceHook() {
    std::lock_guard lock(hookMutex);
    return replaceHookStorage();
}

// The errno a test wants this step to fail with, or 0.
int injectedFault(const AtomicFileWriter::FaultHook& hook, Step step) {
    return hook ? hook(step) : 0;
}

// Removes the temporary file unless the rename has consumed it.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd >= 0) ::close(fd);
        if (!path.isEmpty()) ::unlink(path.constData());
    }
    int fd = -1;
    QByteArray path;
};

// 0 or the errno of the failure.
int writeAll(int fd, const char* data, qsizetype length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(std::min<qsizetype>(length, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        length -= written;
    }
    return 0;
}

// O_EXCL so we never write through a file or link someone else put there.
int openExclusive(const QByteArray& path, mode_t mode) {
    int fd;
    do {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

void AtomicFileWriter::setBeforeReplaceHookForTesting(BeforeReplaceHook hook) {
    std::lock_guard lock(hookMutex);
    replaceHookStorage() = std::move(hook);
}

void AtomicFileWriter::setFaultHookForTesting(FaultHook hook) {
    std::lock_guard lock(hookMutex);
    faultHookStorage() = std::move(hook);
}

void AtomicFileWriter::write(const QString& path, const QByteArray& bytes) {
    write(path, bytes, Options());
}

void AtomicFileWriter::write(const QString& path, const QByteArray& bytes, const Options& options) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty()) throw Error(ENOENT, path, Step::create);
    const QByteArray destination = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const FaultHook fault = [] {
        std::lock_guard lock(hookMutex);
        return faultHookStorage();
    }();

    struct stat existing {};
    const bool replacing = ::stat(destination.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) throw Error(EISDIR, path, Step::create);
    const bool replacingFile = replacing && S_ISREG(existing.st_mode);

    // A new file is 0666 under the umask, as any; a replacement stays private until it takes the
    // old file's mode just before the rename.
    const mode_t creationMode = replacingFile ? 0600 : 0666;
    TemporaryFile temporary;
    if (const int error = injectedFault(fault, Step::create)) throw Error(error, path, Step::create);
    if (!options.temporaryName.isEmpty()) {
        const QByteArray candidate = folder + '/' + QFile::encodeName(options.temporaryName);
        const int fd = openExclusive(candidate, creationMode);
        if (fd < 0) throw Error(errno, path, Step::create);
        temporary.fd = fd;
        temporary.path = candidate;
    } else {
        // A hidden name beside the destination, short enough for any file system's name limit.
        const QByteArray stem = QFile::encodeName(info.fileName()).left(200);
        for (int attempt = 0; attempt < 32 && temporary.fd < 0; ++attempt) {
            const QByteArray candidate = folder + "/." + stem + ".tavi-" +
                                         QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                                         ".tmp";
            const int fd = openExclusive(candidate, creationMode);
            if (fd >= 0) {
                temporary.fd = fd;
                temporary.path = candidate;
            } else if (errno != EEXIST) {
                throw Error(errno, path, Step::create);
            }
        }
        if (temporary.fd < 0) throw Error(EEXIST, path, Step::create);
    }

    const qsizetype half = bytes.size() / 2;
    if (const int error = writeAll(temporary.fd, bytes.constData(), half))
        throw Error(error, path, Step::write);
    if (const int error = injectedFault(fault, Step::write)) throw Error(error, path, Step::write);
    if (const int error = writeAll(temporary.fd, bytes.constData() + half, bytes.size() - half))
        throw Error(error, path, Step::write);

    // A replaced file keeps its owner (where allowed) and its permissions. Best effort: a file
    // system without modes (FAT) still takes the file.
    if (replacingFile) {
        if (options.keepOwner && ::fchown(temporary.fd, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(temporary.fd, static_cast<uid_t>(-1), existing.st_gid);
        (void)::fchmod(temporary.fd, existing.st_mode & 07777);
    }

    if (const int error = injectedFault(fault, Step::sync)) throw Error(error, path, Step::sync);
    if (::fsync(temporary.fd) != 0) throw Error(errno, path, Step::sync);
    const int fd = temporary.fd;
    temporary.fd = -1;
    if (const int error = injectedFault(fault, Step::close)) {
        ::close(fd);
        throw Error(error, path, Step::close);
    }
    if (::close(fd) != 0) throw Error(errno, path, Step::close);

    if (const BeforeReplaceHook hook = currentReplaceHook()) hook(QFile::decodeName(temporary.path));

    if (const int error = injectedFault(fault, Step::rename)) throw Error(error, path, Step::rename);
    if (::rename(temporary.path.constData(), destination.constData()) != 0)
        throw Error(errno, path, Step::rename);
    temporary.path.clear();

    // The rename is durable once the folder's entry is on disk. The file is already replaced at
    // this point, so a folder that can't be synced is not reported as a failed write.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}
