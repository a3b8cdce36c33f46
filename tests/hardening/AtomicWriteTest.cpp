// Crash-safe replacement of user files: every writer (export, codec, metadata strip, library
// state) goes through AtomicFileWriter, so a failure injected at each of its steps must leave the
// original byte-identical, its permissions as they were, and no temporary file behind.
#include "core/common/AtomicFileWriter.h"
#include "core/files/FavoritesAndPresetsStore.h"
#include "core/files/ImageExportService.h"
#include "core/files/ImageMetadataService.h"
#include "core/files/MetadataStripError.h"
#include "imagecodec/TaviImageCodecEngine.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <sys/stat.h>

namespace {

using Step = AtomicFileWriter::Step;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / width, y * 255 / height, 90));
    return image;
}

// Makes `step` fail with `error` for the writes done while it lives.
class InjectedFault {
  public:
    InjectedFault(Step step, int error) {
        AtomicFileWriter::setFaultHookForTesting([step, error, this](Step now) {
            if (now != step) return 0;
            ++hits;
            return error;
        });
    }
    ~InjectedFault() { AtomicFileWriter::setFaultHookForTesting({}); }
    int hits = 0;
};

struct StepFault {
    Step step;
    int error;
    const char* name;
};
const StepFault kFaults[] = {{Step::create, EACCES, "create"},
                             {Step::write, ENOSPC, "write"},
                             {Step::sync, EIO, "sync"},
                             {Step::close, EIO, "close"},
                             {Step::rename, EXDEV, "rename"}};

// Runs `replace` against an existing file once per injected fault and checks what is left.
void expectEveryFaultLeavesOriginal(const QString& path, const std::function<void()>& replace,
                                    const std::function<void(const StepFault&)>& expectError) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QByteArray before = readAll(path);
    const QString folder = QFileInfo(path).absolutePath();
    const QStringList entries = folderEntries(folder);
    for (const StepFault& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        InjectedFault injected(fault.step, fault.error);
        expectError(fault);
        EXPECT_EQ(injected.hits, 1);
        EXPECT_EQ(readAll(path), before);
        EXPECT_EQ(folderEntries(folder), entries);
        EXPECT_EQ(modeOf(path), 0640u);
    }
    // Without a fault the same call replaces the file and the permissions stay the user's.
    replace();
    EXPECT_NE(readAll(path), before);
    EXPECT_EQ(folderEntries(folder), entries);
    EXPECT_EQ(modeOf(path), 0640u);
}

} // namespace

TEST(AtomicFileWriter, EveryFailingStepLeavesTheOriginal) {
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.txt");
    AtomicFileWriter::write(path, "the old content");
    const QByteArray next(3 << 20, 'n');
    expectEveryFaultLeavesOriginal(
        path, [&] { AtomicFileWriter::write(path, next); },
        [&](const StepFault& fault) {
            try {
                AtomicFileWriter::write(path, next);
                ADD_FAILURE() << "no error";
            } catch (const AtomicFileWriter::Error& error) {
                EXPECT_EQ(error.step(), fault.step);
                EXPECT_EQ(error.code(), fault.error);
                EXPECT_TRUE(error.description().startsWith(path)) << error.description().toStdString();
            }
        });
    EXPECT_EQ(readAll(path), next);
}

TEST(AtomicFileWriter, NewFilesFollowTheUmaskAndNamedTemporariesAreRefusedWhenTaken) {
    QTemporaryDir dir;
    const mode_t previous = ::umask(027);
    AtomicFileWriter::write(dir.filePath("fresh.bin"), "x");
    ::umask(previous);
    EXPECT_EQ(modeOf(dir.filePath("fresh.bin")), 0640u);

    // A fixed temporary name that is already taken (by a file or a planted link) is never written through.
    QFile planted(dir.filePath(".taken"));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("someone else's");
    planted.close();
    AtomicFileWriter::Options options;
    options.temporaryName = QStringLiteral(".taken");
    EXPECT_THROW(AtomicFileWriter::write(dir.filePath("fresh.bin"), "y", options), FileSystemError);
    EXPECT_EQ(readAll(dir.filePath(".taken")), "someone else's");
    EXPECT_EQ(readAll(dir.filePath("fresh.bin")), "x");
}

TEST(AtomicFileWriter, ExportAndCodecWritesLeaveTheOriginalOnEveryFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath("export.png");
    ImageExportOptions options;
    options.format = ImageExportFormat::png;
    ImageExportService().exportImage(gradient(32, 24), options, path);
    expectEveryFaultLeavesOriginal(
        path, [&] { ImageExportService().exportImage(gradient(300, 200), options, path); },
        [&](const StepFault&) {
            EXPECT_THROW(ImageExportService().exportImage(gradient(300, 200), options, path),
                         FileSystemError);
        });

    const QString codecPath = dir.filePath("codec.png");
    TaviImageCodecEngine engine;
    engine.write(gradient(16, 16), codecPath, TaviImageEncodeOptions());
    expectEveryFaultLeavesOriginal(
        codecPath, [&] { engine.write(gradient(200, 100), codecPath, TaviImageEncodeOptions()); },
        [&](const StepFault&) {
            EXPECT_THROW(engine.write(gradient(200, 100), codecPath, TaviImageEncodeOptions()),
                         FileSystemError);
        });
}

TEST(AtomicFileWriter, StripLeavesTheOriginalOnEveryFailure) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Photo.JPG");
    ASSERT_TRUE(QFile::copy(testsupport::fixture("photos/Canon_40D.jpg"), path));
    ImageMetadataService service;
    ASSERT_GT(service.inspect(path).sensitiveTagCount, 0);
    expectEveryFaultLeavesOriginal(
        path, [&] { service.stripMetadataInPlace(path); },
        [&](const StepFault& fault) {
            // Up to the rename the cleaned file was never finished; the rename is the file system's error.
            try {
                service.stripMetadataInPlace(path);
                ADD_FAILURE() << "no error";
            } catch (const MetadataStripError& error) {
                EXPECT_NE(fault.step, Step::rename);
                EXPECT_EQ(error.errorCode(), MetadataStripError::Code::finalizeFailed);
            } catch (const FileSystemError& error) {
                EXPECT_EQ(fault.step, Step::rename);
                EXPECT_EQ(error.code(), EXDEV);
            }
        });
    EXPECT_EQ(service.inspect(path).sensitiveTagCount, 0);
}

TEST(AtomicFileWriter, LibraryStateSurvivesEveryFailingSave) {
    QTemporaryDir dir;
    {
        FavoritesAndPresetsStore store(dir.path());
        store.toggleFavorite(QStringLiteral("/photos/a.jpg"));
    }
    const QString path = dir.filePath("library_state.json");
    ASSERT_TRUE(QFileInfo::exists(path));
    int toggles = 0;
    expectEveryFaultLeavesOriginal(
        path,
        [&] {
            FavoritesAndPresetsStore store(dir.path());
            store.toggleFavorite(QStringLiteral("/photos/b.jpg"));
        },
        [&](const StepFault&) {
            // A failed save is silent; the change lives on in memory only.
            FavoritesAndPresetsStore store(dir.path());
            EXPECT_TRUE(store.toggleFavorite(QStringLiteral("/photos/b.jpg")));
            EXPECT_TRUE(store.isFavorite(QStringLiteral("/photos/b.jpg")));
            ++toggles;
        });
    EXPECT_EQ(toggles, 5);
    FavoritesAndPresetsStore reread(dir.path());
    EXPECT_EQ(reread.favoritePathsInOrder(), (QStringList{"/photos/a.jpg", "/photos/b.jpg"}));
}
