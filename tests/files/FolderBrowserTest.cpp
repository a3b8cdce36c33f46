#include "core/files/FolderBrowserService.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList names(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths) out << QFileInfo(p).fileName();
    return out;
}

class FolderBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"b.png", "A.jpg", "img10.heic", "img2.heic", "notes.txt", ".c.jpg"})
            touch(dir.filePath(name));
        QDir(dir.path()).mkdir("sub.jpg");
    }
    QTemporaryDir dir;
    FolderBrowserService browser;
};

TEST_F(FolderBrowser, ListsSupportedRegularFilesInFinderOrder) {
    const auto list = browser.siblingImages(dir.filePath("b.png"));
    EXPECT_EQ(names(list.images), (QStringList{"A.jpg", "b.png", "img2.heic", "img10.heic"}));
    EXPECT_EQ(list.selectedIndex, 1);
    for (const QString& p : list.images) EXPECT_EQ(p, QDir::cleanPath(p));
}

TEST_F(FolderBrowser, FolderGivesIndexZeroAndDotDotIsStandardized) {
    const auto list = browser.siblingImages(dir.path());
    EXPECT_EQ(list.images.size(), 4);
    EXPECT_EQ(list.selectedIndex, 0);
    const auto viaDots = browser.siblingImages(dir.path() + "/sub.jpg/../img10.heic");
    EXPECT_EQ(viaDots.selectedIndex, 3);
}

TEST_F(FolderBrowser, HiddenSupportedFileIsOfferedAlone) {
    const auto list = browser.siblingImages(dir.filePath(".c.jpg"));
    ASSERT_EQ(list.images.size(), 1);
    EXPECT_EQ(QFileInfo(list.images[0]).fileName(), ".c.jpg");
    EXPECT_EQ(list.selectedIndex, 0);
}

TEST_F(FolderBrowser, UnsupportedFileGivesTheFolderAtIndexZero) {
    const auto list = browser.siblingImages(dir.filePath("notes.txt"));
    EXPECT_EQ(list.images.size(), 4);
    EXPECT_EQ(list.selectedIndex, 0);
}

TEST_F(FolderBrowser, SymlinksAreSkipped) {
    ASSERT_TRUE(QFile::link(dir.filePath("A.jpg"), dir.filePath("link.jpg")));
    EXPECT_FALSE(names(browser.siblingImages(dir.path()).images).contains("link.jpg"));
}

TEST(FolderBrowserEdges, EmptyAndMissingFolders) {
    FolderBrowserService browser;
    QTemporaryDir empty;
    EXPECT_TRUE(browser.siblingImages(empty.path()).images.isEmpty());
    const auto missing = browser.siblingImages(empty.path() + "/nope/also-nope");
    EXPECT_TRUE(missing.images.isEmpty());
    EXPECT_EQ(missing.selectedIndex, 0);
}

TEST_F(FolderBrowser, ANamedImageThatIsNotThereIsNeverListed) {
    // Only a regular file opens alone: a missing image, or a pipe named like one, would leave the
    // editor a folder of one file it cannot read (the pipe would block the decode).
    const auto missing = browser.siblingImages(dir.filePath("gone.jpg"));
    EXPECT_FALSE(names(missing.images).contains("gone.jpg"));
    EXPECT_EQ(missing.images.size(), 4); // the folder, from its first image
    ASSERT_EQ(::mkfifo(dir.filePath("pipe.jpg").toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(names(browser.siblingImages(dir.filePath("pipe.jpg")).images).contains("pipe.jpg"));
}

TEST(FolderBrowserEdges, SupportedExtensions) {
    FolderBrowserService browser;
    EXPECT_EQ(FolderBrowserService::supportedExtensions().size(), 23);
    EXPECT_TRUE(browser.isSupportedImage("/x/Photo.JPG"));
    EXPECT_TRUE(browser.isSupportedImage("/x/raw.CR3"));
    EXPECT_FALSE(browser.isSupportedImage("/x/README"));
    EXPECT_FALSE(browser.isSupportedImage("/x/notes.txt"));
    EXPECT_FALSE(browser.isSupportedImage("/x/.jpg")); // a hidden name, not an extension
    // Further image types come from the type registry.
    EXPECT_TRUE(browser.isSupportedImage("/x/picture.xpm"));
}

TEST(DocumentInfo, TextForms) {
    ImageDocumentInfo info;
    info.pixelWidth = 6000;
    info.pixelHeight = 4000;
    EXPECT_EQ(info.dimensionsText(), QString::fromUtf8("6000 × 4000"));
    EXPECT_EQ(info.megapixelsText(), "24.0 MP");
    // An exact tie rounds to even, as C's "%.1f" does: 1.25 MP reads 1.2.
    info.pixelWidth = 1250;
    info.pixelHeight = 1000;
    EXPECT_EQ(info.megapixelsText(), "1.2 MP");
    info.pixelWidth = 0;
    EXPECT_EQ(info.megapixelsText(), "0.0 MP");
    info.fileSizeBytes = 1'500'000;
    EXPECT_TRUE(info.formattedFileSize().startsWith("1.5")) << info.formattedFileSize().toStdString();
    EXPECT_TRUE(info.formattedFileSize().contains("MB"));
    info.frameCount = 1;
    EXPECT_FALSE(info.isAnimated());
    info.frameCount = 12;
    EXPECT_TRUE(info.isAnimated());
}

TEST(DocumentInfo, OrientationSwapsOnlyQuarterTurns) {
    FolderBrowserService browser;
    for (int i = 1; i <= 8; ++i) {
        const auto info = browser.readDocumentInfo(testsupport::fixture(QString("photos/landscape_%1.jpg").arg(i)));
        ASSERT_TRUE(info) << i;
        // Every landscape fixture is 600 × 450 upright; 5...8 are stored as 450 × 600.
        EXPECT_EQ(info->pixelWidth, 600) << i;
        EXPECT_EQ(info->pixelHeight, 450) << i;
        EXPECT_EQ(info->fileExtension, "JPG");
        EXPECT_EQ(info->frameCount, 1);
        EXPECT_GT(info->fileSizeBytes, 100000);
        EXPECT_TRUE(info->modifiedAt.has_value());
    }
}

TEST(DocumentInfo, NotAnImage) {
    FolderBrowserService browser;
    QTemporaryDir dir;
    touch(dir.filePath("fake.jpg"));
    EXPECT_FALSE(browser.readDocumentInfo(dir.filePath("fake.jpg")));
    EXPECT_FALSE(browser.readDocumentInfo(dir.filePath("missing.jpg")));
    EXPECT_FALSE(browser.loadOrientedCGImage(dir.filePath("fake.jpg")));
    EXPECT_FALSE(browser.readDocumentInfo(dir.path()));
}

} // namespace
