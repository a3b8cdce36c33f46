#include "EditorTestSupport.h"

#include "core/files/BatchDestinations.h"
#include "core/files/ImageDocumentInfo.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QImageReader>
#include <QSignalSpy>

using namespace editortest;
using testsupport::fixture;

namespace {

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString copyFixture(const QTemporaryDir& dir, const QString& relative, const QString& name) {
    const QString path = QDir::cleanPath(dir.filePath(name));
    EXPECT_TRUE(QFile::copy(fixture(relative), path)) << relative.toStdString();
    // The shared fixtures may be read-only; the copy is ours to change.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QSize storedSize(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.size();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Records what the editor asks of the save panel.
struct RecordingPlatform : FakePlatformServices {
    QList<SavePanelOptions> savePanelRequests;
    std::optional<QString> runSavePanel(const SavePanelOptions& options) override {
        savePanelRequests << options;
        return FakePlatformServices::runSavePanel(options);
    }
};

struct EditorOutput : ::testing::Test {
    RecordingPlatform platform;
    EditorViewModel editor{platform};
    void TearDown() override { EXPECT_TRUE(editor.waitForBackgroundWork()); }
};

} // namespace

// ---- Save in place ----

TEST_F(EditorOutput, TransparentResultOfAJpegIsSavedAsAPngBesideItAndOpened) {
    QTemporaryDir dir;
    const QString jpeg = copyFixture(dir, "photos/DSCN0010.jpg", "photo.jpg");
    const QByteArray before = digest(jpeg);
    editor.openURLs({jpeg});
    BackgroundStudioSettings studio;
    studio.enabled = true;
    studio.engine = BackgroundCutoutEngine::colorKeyMagic;
    studio.fillStyle = BackgroundFillStyle::transparent;
    editor.setBgSettings(studio);
    ASSERT_TRUE(editor.isShowingTransparency());

    editor.saveInPlace();
    const QString png = dir.filePath("photo.png");
    EXPECT_EQ(editor.currentURL(), png);
    EXPECT_EQ(QImageReader(png).format(), "png");
    EXPECT_EQ(digest(jpeg), before);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Changes saved"));
}

TEST_F(EditorOutput, AFormatWeCantWriteIsNeverOverwritten) {
    QTemporaryDir dir;
    const QString gif = copyFixture(dir, "formats/animated-loop-3.gif", "photo.gif");
    const QByteArray gifBytes = digest(gif);
    // The GIF has a transparent colour; the screenshot frame fills it, so the result is opaque.
    const auto frameIt = [this] {
        EditAdjustments framed = editor.adjustments();
        framed.beautify.enabled = true;
        editor.setAdjustments(framed);
        ASSERT_FALSE(editor.isShowingTransparency());
    };
    editor.openURLs({gif});
    frameIt();
    editor.saveInPlace();
    const QString jpeg = dir.filePath("photo.jpg");
    EXPECT_EQ(editor.currentURL(), jpeg);
    EXPECT_EQ(QImageReader(jpeg).format(), "jpeg");
    EXPECT_EQ(digest(gif), gifBytes) << "the animation must survive";
    EXPECT_FALSE(editor.toastIsError());

    // photo.jpg now exists and is another file: the next save of the GIF goes beside both.
    const QByteArray jpegBytes = digest(jpeg);
    editor.openURLs({gif});
    frameIt();
    editor.saveInPlace();
    EXPECT_EQ(editor.currentURL(), dir.filePath("photo-edited.jpg"));
    EXPECT_EQ(digest(jpeg), jpegBytes);
    EXPECT_EQ(digest(gif), gifBytes);
}

TEST_F(EditorOutput, AJpegIsSavedOverItselfWithTheEditAndReloaded) {
    QTemporaryDir dir;
    const QString path = testsupport::writeImage(dir, "wide.jpg", sampleImage(120, 60));
    editor.openURLs({path});
    editor.rotateRight();
    editor.saveInPlace();
    EXPECT_EQ(editor.currentURL(), path);
    EXPECT_EQ(filesIn(dir.path()), QStringList{"wide.jpg"});
    EXPECT_EQ(storedSize(path), QSize(60, 120));
    EXPECT_FALSE(editor.hasUnsavedEdits()) << "the saved file is loaded afresh";
}

// ---- Export sheet ----

TEST_F(EditorOutput, SizeFieldsClampAndFollowTheAspectLock) {
    QTemporaryDir dir;
    QImage big(4000, 3000, QImage::Format_RGB32);
    big.fill(QColor(90, 140, 200));
    editor.openURLs({testsupport::writeImage(dir, "big.jpg", big)});
    editor.presentExportSheet();
    EXPECT_TRUE(editor.showExportSheet());
    EXPECT_EQ(editor.exportOptions().targetWidth, 4000);

    editor.updateExportWidth(1000);
    EXPECT_EQ(editor.exportOptions().targetHeight, 750);
    editor.updateExportWidth(20000);
    EXPECT_EQ(editor.exportOptions().targetWidth, 16000);
    EXPECT_EQ(editor.exportOptions().targetHeight, 12000) << "the derived side has no upper clamp";
    editor.updateExportHeight(12);
    EXPECT_EQ(editor.exportOptions().targetHeight, 16);
    EXPECT_EQ(editor.exportOptions().targetWidth, 21);

    ImageExportOptions unlocked = editor.exportOptions();
    unlocked.lockAspectRatio = false;
    editor.setExportOptions(unlocked);
    editor.updateExportWidth(10);
    EXPECT_EQ(editor.exportOptions().targetWidth, 16);
    EXPECT_EQ(editor.exportOptions().targetHeight, 16) << "unlocked: the other side stays";
}

TEST_F(EditorOutput, EstimateShowsEllipsisThenTheEncodedSizeOfTheLastRequest) {
    QTemporaryDir dir;
    editor.openURLs({testsupport::writeImage(dir, "a.png", sampleImage(320, 240))});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    const int rendersBefore = editor.fullResolutionRenderCount();
    const int encodesBefore = editor.exportEstimateEncodeCount();
    editor.presentExportSheet();
    EXPECT_EQ(editor.estimatedExportSizeText(), QStringLiteral("\u2026"));
    QSignalSpy published(&editor, &EditorViewModel::estimatedExportSizeTextChanged);
    ImageExportOptions options = editor.exportOptions();
    options.resizeEnabled = true;
    editor.setExportOptions(options);
    // A burst of typing: only the last request's figure may appear.
    for (int width = 20; width <= 300; width += 40)
        editor.updateExportWidth(width);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    const ImageExportService service;
    const auto bytes =
        service.estimateEncodedByteSize(*editor.renderFullResolutionOutput(), editor.exportOptions());
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(editor.estimatedExportSizeText(), formatByteCount(*bytes));
    EXPECT_EQ(published.count(), 1) << "stale estimates must not flash through the field";
    // Typing must not make the sheet render the photo again, nor encode it for every keystroke.
    EXPECT_EQ(editor.fullResolutionRenderCount() - rendersBefore, 1);
    EXPECT_EQ(editor.exportEstimateEncodeCount() - encodesBefore, 1);
}

TEST_F(EditorOutput, EstimateWithoutAnImageIsADash) {
    editor.recomputeExportEstimate();
    EXPECT_EQ(editor.estimatedExportSizeText(), QStringLiteral("\u2014"));
}

TEST_F(EditorOutput, ExportSheetSuggestsTheEditedNameAndWritesTheChosenFile) {
    QTemporaryDir dir, out;
    editor.openURLs({testsupport::writeImage(dir, "holiday.png", sampleImage(80, 60))});
    editor.presentExportSheet();
    EXPECT_EQ(editor.exportOptions().format, ImageExportFormat::jpeg);
    const QString destination = out.filePath("mine.jpg");
    platform.savePanelAnswers.push_back(destination);
    editor.performExportSavePanel();
    ASSERT_EQ(platform.savePanelRequests.size(), 1);
    EXPECT_EQ(platform.savePanelRequests[0].suggestedFileName, QStringLiteral("holiday-edited.jpg"));
    EXPECT_EQ(platform.savePanelRequests[0].allowedContentTypes, QStringList{"image/jpeg"});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(QImageReader(destination).format(), "jpeg");
    EXPECT_FALSE(editor.showExportSheet());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Image exported successfully: mine.jpg"));

    // A destination that can't be written: the error's words, and the sheet stays.
    editor.presentExportSheet();
    platform.savePanelAnswers.push_back(out.filePath("missing/folder/x.jpg"));
    editor.performExportSavePanel();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_TRUE(editor.showExportSheet());
}

TEST_F(EditorOutput, TransparentResultForcesPngOnTheSheetOtherwiseTheLastFormatStays) {
    QTemporaryDir dir;
    QImage clear(40, 30, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QString alpha = testsupport::writeImage(dir, "alpha.png", clear);
    const QString opaque = testsupport::writeImage(dir, "b.jpg", sampleImage(40, 30));
    editor.openURLs({opaque});
    ImageExportOptions options = editor.exportOptions();
    options.format = ImageExportFormat::tiff;
    editor.setExportOptions(options);
    editor.presentExportSheet();
    EXPECT_EQ(editor.exportOptions().format, ImageExportFormat::tiff);
    editor.openURLs({alpha});
    editor.presentExportSheet();
    EXPECT_EQ(editor.exportOptions().format, ImageExportFormat::png);
}

// ---- Batch ----

TEST(BatchOutputSize, ShrinksTheLongerSideAndKeepsSmallerImages) {
    EXPECT_EQ(batchOutputSize(QSize(6000, 4000), 2000), QSize(2000, 1333));
    EXPECT_EQ(batchOutputSize(QSize(4000, 6000), 2000), QSize(1333, 2000));
    EXPECT_EQ(batchOutputSize(QSize(800, 600), 1920), QSize(800, 600));
    EXPECT_EQ(batchOutputSize(QSize(5000, 2), 64), QSize(64, 1));
}

TEST_F(EditorOutput, BatchOfFortyWithTwoBadFilesReportsItsTotals) {
    QTemporaryDir dir, out;
    QStringList names;
    for (int i = 1; i <= 38; ++i)
        names << QStringLiteral("img_%1.png").arg(i, 2, 10, QLatin1Char('0'));
    writeImages(dir, names, QSize(24, 16));
    copyFixture(dir, "bad/corrupt-header.jpg", "img_90.jpg");
    writeText(dir, "img_91.jpg");
    editor.openURLs({dir.path()});
    ASSERT_EQ(editor.folderImages().size(), 40);

    QStringList progress;
    QObject::connect(&editor, &EditorViewModel::batchProgressTextChanged, &editor,
                     [&] { progress << editor.batchProgressText(); });
    editor.setShowBatchSheet(true);
    editor.executeBatchExport(out.path());
    EXPECT_TRUE(editor.isRunningBatch());
    EXPECT_EQ(editor.batchProgressText(), QStringLiteral("0 / 40"));
    ASSERT_TRUE(editor.waitForBackgroundWork());

    EXPECT_FALSE(editor.isRunningBatch());
    EXPECT_FALSE(editor.showBatchSheet());
    EXPECT_EQ(editor.batchProgressText(), QStringLiteral("40 / 40"));
    EXPECT_EQ(progress.size(), 41);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Exported 38 / 40 images"));
    EXPECT_FALSE(editor.toastIsError());
    EXPECT_EQ(filesIn(out.path()).size(), 38) << "no temporary files are left behind either";
    EXPECT_TRUE(QFileInfo::exists(out.filePath("img_01.jpg")));
}

TEST_F(EditorOutput, BatchShrinksToAtLeastSixtyFourAndStampsTheWatermark) {
    QTemporaryDir dir, out;
    testsupport::writeImage(dir, "large.png", sampleImage(300, 200));
    testsupport::writeImage(dir, "small.png", sampleImage(40, 30));
    editor.openURLs({dir.filePath("large.png")});
    editor.setBatchResizeEnabled(true);
    editor.setBatchMaxEdge(30);
    editor.setBatchFormat(ImageExportFormat::png);
    editor.executeBatchExport(out.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(storedSize(out.filePath("large.png")), QSize(64, 43));
    EXPECT_EQ(storedSize(out.filePath("small.png")), QSize(40, 30));

    // The watermark goes on only when both the batch switch and the recipe's watermark are on.
    QTemporaryDir plain, stamped;
    editor.setBatchResizeEnabled(false);
    EditAdjustments recipe = editor.adjustments();
    recipe.watermark.enabled = true;
    recipe.watermark.text = QStringLiteral("TAVI TAVI TAVI");
    editor.setAdjustments(recipe);
    editor.executeBatchExport(plain.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    editor.setBatchApplyWatermark(true);
    editor.executeBatchExport(stamped.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    const QImage source(dir.filePath("large.png"));
    EXPECT_EQ(testsupport::meanAbsoluteDifference(
                  QImage(plain.filePath("large.png")).convertToFormat(source.format()), source),
              0.0);
    EXPECT_GT(testsupport::meanAbsoluteDifference(
                  QImage(stamped.filePath("large.png")).convertToFormat(source.format()), source),
              0.0);
}

TEST_F(EditorOutput, BatchIntoTheSourceFolderNeverReplacesAnOriginal) {
    QTemporaryDir dir;
    const QString jpeg = testsupport::writeImage(dir, "IMG_1.jpg", sampleImage(64, 48));
    testsupport::writeImage(dir, "IMG_1.png", sampleImage(50, 40));
    testsupport::writeImage(dir, "IMG_2.png", sampleImage(30, 20));
    const QByteArray original = digest(jpeg);
    editor.openURLs({dir.path()});
    editor.executeBatchExport(dir.path() + "/./");
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(digest(jpeg), original);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Exported 3 / 3 images"));
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"IMG_1-2.jpg", "IMG_1-3.jpg", "IMG_1.jpg", "IMG_1.png",
                                                "IMG_2.jpg", "IMG_2.png"}));
    EXPECT_EQ(storedSize(dir.filePath("IMG_1-2.jpg")), QSize(64, 48));
    EXPECT_EQ(storedSize(dir.filePath("IMG_1-3.jpg")), QSize(50, 40));
}

TEST_F(EditorOutput, TwoSourcesWithOneOutputNameBothSurviveAndOlderFilesAreReplaced) {
    QTemporaryDir dir, out;
    testsupport::writeImage(dir, "IMG_1.jpg", sampleImage(64, 48));
    testsupport::writeImage(dir, "IMG_1.png", sampleImage(50, 40));
    const QString stale = testsupport::writeImage(out, "IMG_1.jpg", sampleImage(20, 20));
    editor.openURLs({dir.path()});
    editor.executeBatchExport(out.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(filesIn(out.path()), (QStringList{"IMG_1-2.jpg", "IMG_1.jpg"}));
    EXPECT_EQ(storedSize(stale), QSize(64, 48));
    EXPECT_EQ(storedSize(out.filePath("IMG_1-2.jpg")), QSize(50, 40));
}

TEST_F(EditorOutput, CancelledBatchStopsAfterTheFileInHandAndToastsWhatWasDone) {
    QTemporaryDir dir, out;
    QStringList names;
    for (int i = 1; i <= 40; ++i)
        names << QStringLiteral("c_%1.png").arg(i, 2, 10, QLatin1Char('0'));
    writeImages(dir, names, QSize(200, 150));
    editor.openURLs({dir.path()});
    editor.executeBatchExport(out.path());
    editor.cancelBatchExport();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isRunningBatch());
    const qsizetype written = filesIn(out.path()).size();
    EXPECT_LE(written, 1);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Exported %1 / 40 images").arg(written));
    EXPECT_EQ(editor.batchProgressText(), QStringLiteral("%1 / 40").arg(written));
}

TEST_F(EditorOutput, FavouritesOnlyBatchExportsOnlyFavouritesAndRefusesNone) {
    QTemporaryDir dir, out;
    writeImages(dir, {"a.png", "b.png", "c.png"});
    editor.openURLs({dir.path()});
    editor.setBatchFavoritesOnly(true);
    editor.executeBatchExport(out.path());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("No favorite images to export."));
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_FALSE(editor.isRunningBatch());

    editor.selectImage(1, true);
    editor.toggleCurrentFavorite();
    editor.executeBatchExport(out.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(filesIn(out.path()), QStringList{"b.jpg"});
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Exported 1 / 1 images"));

    editor.setLanguage(AppLanguage::tr);
    editor.executeBatchExport(out.path());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("1 / 1 görsel dışa aktarıldı"));
    editor.setFollowSystemLanguage();
}

TEST_F(EditorOutput, BatchFolderPanelIsAskedOnlyWithImagesAndItsCancelChangesNothing) {
    editor.runBatchFolderExport();
    EXPECT_TRUE(platform.calls.isEmpty());
    QTemporaryDir dir;
    writeImages(dir, {"a.png"});
    editor.openURLs({dir.path()});
    editor.runBatchFolderExport(); // cancelled
    EXPECT_TRUE(platform.calls.contains("runFolderPanel"));
    EXPECT_FALSE(editor.isRunningBatch());
}

// ---- Trash, reveal, clipboard, metadata, favourites ----

TEST_F(EditorOutput, TrashingTheLastOfThreeShowsTheNewLastAndDropsItsThumbnail) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"a.png", "b.png", "c.png"});
    editor.openURLs({paths[2]});
    ASSERT_TRUE(editor.waitForBackgroundWork());
    ASSERT_TRUE(editor.thumbnails().contains(paths[2]));
    editor.moveCurrentToTrash();
    EXPECT_TRUE(platform.calls.contains("moveToTrash " + paths[2]));
    EXPECT_EQ(editor.folderImages(), (QStringList{paths[0], paths[1]}));
    EXPECT_EQ(editor.currentIndex(), 1);
    EXPECT_EQ(editor.currentURL(), paths[1]);
    EXPECT_TRUE(editor.hasImage());
    EXPECT_FALSE(editor.thumbnails().contains(paths[2]));
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Moved to Trash"));

    // A file the Trash refuses stays, with the system's words.
    platform.trashFailures << paths[1];
    editor.moveCurrentToTrash();
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Operation not permitted"));
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.folderImages().size(), 2);
}

TEST_F(EditorOutput, AThumbnailReadBeforeItsFileWasTrashedIsNotKept) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"a.png", "b.png", "c.png"});
    editor.openURLs({paths[0]});
    // The loader reads the folder meanwhile; its results are delivered after the Trash.
    editor.moveCurrentToTrash();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.thumbnails().contains(paths[0]));
    EXPECT_TRUE(editor.thumbnails().contains(paths[1]));
}

TEST_F(EditorOutput, TrashingTheOnlyImageEmptiesTheView) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"only.png"});
    editor.openURLs({paths[0]});
    editor.moveCurrentToTrash();
    EXPECT_TRUE(editor.folderImages().isEmpty());
    EXPECT_EQ(editor.currentIndex(), 0);
    EXPECT_FALSE(editor.hasImage());
    EXPECT_FALSE(editor.originalDisplayImage().has_value());
    EXPECT_FALSE(editor.documentInfo().has_value());
    EXPECT_EQ(editor.histogram(), ImageHistogram::empty());
    EXPECT_FALSE(editor.renderFullResolutionOutput().has_value());
    // Nothing current: the other operations do nothing.
    platform.calls.clear();
    editor.revealCurrentInFinder();
    editor.copyCurrentImageToClipboard();
    editor.saveInPlace();
    EXPECT_TRUE(platform.calls.isEmpty());
}

TEST_F(EditorOutput, CopyAndRevealHandTheRenderAndTheFileToThePlatform) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"a.png"}, QSize(90, 50));
    editor.openURLs({paths[0]});
    editor.rotateLeft();
    editor.copyCurrentImageToClipboard();
    ASSERT_TRUE(platform.clipboardImageValue.has_value());
    EXPECT_EQ(platform.clipboardImageValue->size(), QSize(50, 90));
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Image copied to clipboard"));
    editor.revealCurrentInFinder();
    EXPECT_TRUE(platform.calls.contains("reveal " + paths[0]));
}

TEST_F(EditorOutput, StripRemovesTheGpsAndRefreshesTheInformation) {
    QTemporaryDir dir;
    const QString photo = copyFixture(dir, "photos/DSCN0010.jpg", "gps.jpg");
    editor.openURLs({photo});
    ASSERT_TRUE(editor.metadata().hasGPS());
    editor.stripExifMetadataNow();
    EXPECT_FALSE(editor.metadata().hasGPS());
    EXPECT_FALSE(ImageMetadataService().inspect(photo).hasGPS());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("EXIF & GPS metadata stripped"));
}

TEST_F(EditorOutput, FavouriteToggledTwiceReturnsWithBothToasts) {
    QTemporaryDir dir;
    const QStringList paths = writeImages(dir, {"a.png", "b.png"});
    editor.openURLs({paths[0]});
    EXPECT_FALSE(editor.isCurrentFavorite());
    editor.toggleCurrentFavorite();
    EXPECT_TRUE(editor.isCurrentFavorite());
    EXPECT_TRUE(editor.isFavorite(dir.path() + "/./a.png"));
    EXPECT_EQ(editor.favoriteCountInFolder(), 1);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Added to Favorites ♥"));
    editor.toggleCurrentFavorite();
    EXPECT_FALSE(editor.isCurrentFavorite());
    EXPECT_EQ(editor.favoriteCountInFolder(), 0);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Removed from Favorites"));
    EXPECT_FALSE(editor.toastIsError());
}
