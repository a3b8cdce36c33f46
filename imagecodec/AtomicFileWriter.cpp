#include "imagecodec/AtomicFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex hookMutex;
AtomicFileWriter::BeforeReplaceHook& hookStorage() {
    static AtomicFileWriter::BeforeReplaceHook hook;
    return hook;
}

AtomicFileWriter::BeforeReplaceHook currentHook() {
    std::lock_guard lock(hookMutex);
    return hookStorage();
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

bool writeAll(int fd, const char* data, qsizetype length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(std::min<qsizetype>(length, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

} // namespace

void AtomicFileWriter::setBeforeReplaceHookForTesting(BeforeReplaceHook hook) {
    std::lock_guard lock(hookMutex);
    hookStorage() = std::move(hook);
}

void AtomicFileWriter::write(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty()) throw FileSystemError(ENOENT, path);
    const QByteArray destination = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    // A hidden name beside the destination, short enough for any file system's name limit.
    const QByteArray stem = QFile::encodeName(info.fileName()).left(200);

    struct stat existing {};
    const bool replacing = ::stat(destination.constData(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode)) throw FileSystemError(EISDIR, path);

    TemporaryFile temporary;
    for (int attempt = 0; attempt < 32 && temporary.fd < 0; ++attempt) {
        const QByteArray candidate = folder + "/." + stem + ".tavi-" +
                                     QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        // 0666 under the umask, as for any new file; O_EXCL so we never write through someone's file.
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temporary.fd = fd;
            temporary.path = candidate;
        } else if (errno != EEXIST) {
            throw FileSystemError(errno, path);
        }
    }
    if (temporary.fd < 0) throw FileSystemError(EEXIST, path);

    // Replacing keeps the permissions the user gave the old file.
    if (replacing && S_ISREG(existing.st_mode)) ::fchmod(temporary.fd, existing.st_mode & 07777);
    if (!writeAll(temporary.fd, bytes.constData(), bytes.size())) throw FileSystemError(errno, path);
    if (::fsync(temporary.fd) != 0) throw FileSystemError(errno, path);
    const int fd = temporary.fd;
    temporary.fd = -1;
    if (::close(fd) != 0) throw FileSystemError(errno, path);

    if (const BeforeReplaceHook hook = currentHook()) hook(QFile::decodeName(temporary.path));

    if (::rename(temporary.path.constData(), destination.constData()) != 0)
        throw FileSystemError(errno, path);
    temporary.path.clear();

    // The rename is durable once the folder's entry is on disk. The file is already replaced at
    // this point, so a folder that can't be synced is not reported as a failed write.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}
