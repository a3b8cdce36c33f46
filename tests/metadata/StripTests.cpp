// Stripping in place: what the cleaned file holds, and that every failure leaves the file alone.
#include "MetadataTestFiles.h"

#include "core/files/FolderBrowserService.h"
#include "core/files/ImageMetadataService.h"
#include "core/files/MetadataStripError.h"
#include "core/files/imageio/ImageDestination.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::fixture;

namespace {

class Strip : public ::testing::Test {
  protected:
    // A copy of a fixture in a fresh folder, writable whatever the fixture's mode.
    QString copy(const QString& fixtureName, const QString& as = {}) {
        const QString target = folder() + u'/' + (as.isEmpty() ? QFileInfo(fixtureName).fileName() : as);
        EXPECT_TRUE(QFile::copy(fixture(fixtureName), target));
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
        return target;
    }
    QString folder() const { return dir.path() + "/photos"; }

    void SetUp() override { ASSERT_TRUE(QDir(dir.path()).mkdir("photos")); }

    // Expects the strip to fail with `code`, the file byte for byte as before and no leftovers.
    void expectRefused(const QString& path, MetadataStripError::Code code) {
        const QByteArray before = metatest::readAll(path);
        const QStringList entries = metatest::folderEntries(QFileInfo(path).absolutePath());
        try {
            service.stripMetadataInPlace(path);
            ADD_FAILURE() << "stripping " << path.toStdString() << " succeeded";
        } catch (const MetadataStripError& error) {
            EXPECT_EQ(error.domain(), QString("TaviViewMetadata"));
            EXPECT_EQ(error.code(), static_cast<int>(code));
            EXPECT_EQ(error.description(), MetadataStripError::messageFor(code));
        }
        EXPECT_EQ(metatest::readAll(path), before);
        EXPECT_EQ(metatest::folderEntries(QFileInfo(path).absolutePath()), entries);
    }

    QTemporaryDir dir;
    ImageMetadataService service;
};

} // namespace

TEST(MetadataStripError, MessagesAndCodes) {
    using Code = MetadataStripError::Code;
    EXPECT_EQ(MetadataStripError(Code::couldNotRead).description(), QString("Could not read image."));
    EXPECT_EQ(MetadataStripError(Code::cannotReencode).description(),
              QString("Format cannot be re-encoded."));
    EXPECT_EQ(MetadataStripError(Code::finalizeFailed).description(),
              QString("Failed to finalize cleaned image."));
    EXPECT_EQ(MetadataStripError(Code::finalizeFailed).code(), 3);
    EXPECT_STREQ(MetadataStripError(Code::cannotReencode).what(), "Format cannot be re-encoded.");
}

TEST_F(Strip, PortraitPhotoBecomesUprightAndClean) {
    const QString path = copy("photos/landscape_6.jpg");
    // Give it every kind of metadata there is to remove.
    metatest::writeMetadata(path,
                            {{"Exif.GPSInfo.GPSLatitudeRef", "N"},
                             {"Exif.GPSInfo.GPSLatitude", "40/1 42/1 4608/100"},
                             {"Exif.GPSInfo.GPSLongitudeRef", "W"},
                             {"Exif.GPSInfo.GPSLongitude", "74/1 0/1 2160/100"},
                             {"Exif.Image.Make", "Canon"}},
                            {{"Iptc.Application2.Byline", "Ann Lee"}}, {{"Xmp.dc.creator", "Ann Lee"}});
    ::chmod(QFile::encodeName(path).constData(), 0640);
    const auto before = metatest::readBlocks(path);
    ASSERT_GT(before.exifCount, 0);
    ASSERT_GT(before.iptcCount, 0);
    ASSERT_GT(before.xmpCount, 0);
    ASSERT_TRUE(service.inspect(path).hasGPS());
    const QImage upright = *FolderBrowserService().loadOrientedCGImage(path);
    const QSize stored = ImageSource::open(path)->createImage(0)->size();
    ASSERT_EQ(upright.size(), stored.transposed()); // orientation 6 really turns it

    service.stripMetadataInPlace(path);

    const auto after = metatest::readBlocks(path);
    EXPECT_EQ(after.exifCount, 0);
    EXPECT_EQ(after.iptcCount, 0);
    EXPECT_EQ(after.xmpCount, 0);
    EXPECT_EQ(service.inspect(path), ExifMetadataReport::empty());
    const auto source = ImageSource::open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), ImageType::JPEG);
    EXPECT_FALSE(source->properties(0).contains(ImageProperty::Orientation));
    const QImage pixels = *source->createImage(0);
    EXPECT_EQ(pixels.size(), upright.size());
    EXPECT_LT(testsupport::meanAbsoluteDifference(pixels, upright), 3.0);

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(metatest::folderEntries(folder()), QStringList{"landscape_6.jpg"});
}

TEST_F(Strip, GpsPhotoLosesItsPosition) {
    const QString path = copy("photos/DSCN0010.jpg", "Trip Photo.JPG");
    ASSERT_TRUE(service.inspect(path).hasGPS());
    service.stripMetadataInPlace(path);
    const auto report = service.inspect(path);
    EXPECT_FALSE(report.hasGPS());
    EXPECT_EQ(report.sensitiveTagCount, 0);
    EXPECT_EQ(metatest::folderEntries(folder()), QStringList{"Trip Photo.JPG"});
}

TEST_F(Strip, OtherFormatsStayInTheirFormat) {
    const QString gif = copy("formats/animated-loop-3.gif");
    const QImage firstFrame = *ImageSource::open(gif)->createImage(0);
    service.stripMetadataInPlace(gif);
    auto source = ImageSource::open(gif);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->typeIdentifier(), ImageType::GIF);
    EXPECT_EQ(source->count(), 1);
    EXPECT_LT(testsupport::meanAbsoluteDifference(*source->createImage(0), firstFrame), 8.0);

    const QString png = copy("formats/with-alpha.png");
    const QImage original = *ImageSource::open(png)->createImage(0);
    service.stripMetadataInPlace(png);
    source = ImageSource::open(png);
    EXPECT_EQ(source->typeIdentifier(), ImageType::PNG);
    EXPECT_EQ(testsupport::meanAbsoluteDifference(*source->createImage(0), original),
              0.0); // lossless, alpha kept
}

TEST_F(Strip, UnwritableFormatsAndUnreadableFilesAreLeftAlone) {
    // Camera raw: whatever decoder reads it, it is never replaced by a re-encoded picture.
    const QString raw = copy("photos/Canon_40D.jpg", "IMG_0001.dng");
    expectRefused(raw, MetadataStripError::Code::cannotReencode);
    // A DNG the raw decoder can't develop still opens as the TIFF it is built on.
    const QString dng = folder() + "/IMG_0002.DNG";
    {
        auto tiff = ImageDestination::create(ImageType::TIFF);
        QImage pixels(16, 16, QImage::Format_RGBA8888_Premultiplied);
        pixels.fill(Qt::darkCyan);
        tiff->addImage(pixels);
        QFile file(dng);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*tiff->finalize());
    }
    metatest::writeMetadata(dng, {{"Exif.Image.DNGVersion", "1 4 0 0"}, {"Exif.Image.Make", "Canon"}});
    ASSERT_TRUE(ImageSource::open(dng));
    expectRefused(dng, MetadataStripError::Code::cannotReencode);
    // Formats we read but can't write.
    expectRefused(copy("formats/black_and_white.ico"), MetadataStripError::Code::cannotReencode);
    // Writing back one image would drop the other pages of a document.
    expectRefused(copy("formats/G31D_MULTI.TIF"), MetadataStripError::Code::cannotReencode);

    QFile text(folder() + "/notes.jpg");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not an image at all");
    text.close();
    expectRefused(text.fileName(), MetadataStripError::Code::couldNotRead);
    expectRefused(copy("bad/corrupt-header.jpg"), MetadataStripError::Code::couldNotRead);

    const QString missing = folder() + "/missing.jpg";
    EXPECT_THROW(service.stripMetadataInPlace(missing), MetadataStripError);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(Strip, ReadOnlyFolderFailsAndChangesNothing) {
    const QString path = copy("photos/DSCN0010.jpg");
    const QByteArray before = metatest::readAll(path);
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0555), 0);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    QString message;
    int exitCode = -1;
    if (::geteuid() != 0) {
        try {
            service.stripMetadataInPlace(path);
        } catch (const MetadataStripError& error) {
            message = error.description();
            exitCode = 1;
        }
    } else {
        // Permissions don't bind root: run the command as an unprivileged user instead.
        const QByteArray cli = QByteArrayLiteral(TAVI_CLI_PATH);
        const QByteArray file = QFile::encodeName(path);
        const QByteArray errPath =
            QFile::encodeName(QDir::tempPath() + "/strip-err-" + QString::number(::getpid()));
        const char* argv[] = {cli.constData(), "strip", file.constData(), nullptr};
        const char* envp[] = {"QT_QPA_PLATFORM=offscreen", "HOME=/tmp", nullptr};
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd >= 0) ::dup2(fd, 2);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
            ::execve(argv[0], const_cast<char* const*>(argv), const_cast<char* const*>(envp));
            ::_exit(98);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        message = QString::fromUtf8(metatest::readAll(QString::fromLocal8Bit(errPath)));
        ::unlink(errPath.constData());
    }
    ::chmod(QFile::encodeName(folder()).constData(), 0755);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(message.contains("Failed to finalize cleaned image.")) << message.toStdString();
    EXPECT_EQ(metatest::readAll(path), before);
    EXPECT_EQ(metatest::folderEntries(folder()), QStringList{"DSCN0010.jpg"});
}

TEST_F(Strip, ThroughALinkTheLinkStays) {
    const QString target = copy("photos/DSCN0010.jpg");
    const QString link = dir.path() + "/link.jpg";
    ASSERT_TRUE(QFile::link(target, link));
    service.stripMetadataInPlace(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(service.inspect(target).hasGPS());
    EXPECT_EQ(metatest::folderEntries(folder()), QStringList{"DSCN0010.jpg"});
}

TEST_F(Strip, Command) {
    const QString path = copy("photos/Nikon_D70.jpg");
    const auto ok = testsupport::runCli({"strip", path});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(service.inspect(path), ExifMetadataReport::empty());
    const auto refused = testsupport::runCli({"strip", copy("photos/Canon_40D.jpg", "x.NEF")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Format cannot be re-encoded."));
}

// A file read just before it was rewritten is read again from disk: a decoder's cache keyed by
// the path alone would hand back the old pixels and metadata (the GPS the user just removed, the
// photo as it was before "Save").
TEST_F(Strip, ARewrittenFileIsReadAfreshNotFromAnEarlierRead) {
    const QString photo = copy("photos/DSCN0010.jpg", "gps.jpg");
    ASSERT_TRUE(ImageMetadataService().inspect(photo).hasGPS());
    const std::optional<QImage> before = FolderBrowserService().loadOrientedCGImage(photo);
    ASSERT_TRUE(before);

    ImageMetadataService().stripMetadataInPlace(photo);
    EXPECT_FALSE(ImageMetadataService().inspect(photo).hasGPS());

    // Same name, new content: a different picture must come back.
    QImage other(before->size() / 4, QImage::Format_RGB32);
    other.fill(Qt::darkGreen);
    QFile::remove(photo);
    ASSERT_TRUE(other.save(photo, "JPEG"));
    const std::optional<QImage> after = FolderBrowserService().loadOrientedCGImage(photo);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->size(), other.size());
}
