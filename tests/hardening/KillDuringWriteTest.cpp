// A writer killed at any moment (SIGKILL: no handler, no cleanup) leaves the destination as the
// old file or the new one, both decodable, never a mix or a truncated file.
#include "core/common/AtomicFileWriter.h"
#include "core/files/imageio/ImageSource.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

QByteArray pngOf(int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGBA8888);
    QRandomGenerator random(seed);
    // Noise, so the PNG is large enough for a write to take a measurable while.
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = random.generate() | 0xff000000u;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void sleepMicroseconds(long us) {
    timespec delay{us / 1'000'000, (us % 1'000'000) * 1000};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

} // namespace

TEST(KillDuringWrite, DestinationIsAlwaysTheOldOrTheNewFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.png");
    const QByteArray oldBytes = pngOf(400, 300, 1);
    const QByteArray newBytes = pngOf(500, 340, 2);
    ASSERT_NE(oldBytes, newBytes);

    // How long one write takes here, so the kills land before, during and after it.
    QElapsedTimer timer;
    timer.start();
    AtomicFileWriter::write(path, newBytes);
    const long writeMicroseconds = std::max<long>(1000, timer.nsecsElapsed() / 1000);

    QRandomGenerator random(20240607);
    int sawOld = 0, sawNew = 0;
    for (int round = 0; round < 200; ++round) {
        AtomicFileWriter::write(path, oldBytes);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Only plain system calls below this point in the child's life that matter: the writer.
            AtomicFileWriter::write(path, newBytes);
            ::_exit(0);
        }
        sleepMicroseconds(static_cast<long>(random.bounded(static_cast<quint32>(writeMicroseconds * 2))));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const QByteArray now = readAll(path);
        if (now == oldBytes)
            ++sawOld;
        else if (now == newBytes)
            ++sawNew;
        else
            FAIL() << "round " << round << ": the destination is neither file (" << now.size() << " bytes)";
        auto source = ImageSource::open(path);
        ASSERT_TRUE(source);
        ASSERT_TRUE(source->createImage(0));

        // A killed writer may leave its hidden temporary file; it never takes the destination's name.
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            if (name != u"photo.png") QFile::remove(dir.filePath(name));
    }
    // Both outcomes happen, or the kills did not land where they should.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}
