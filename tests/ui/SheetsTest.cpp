#include "../editor/EditorTestSupport.h"
#include "ui/sheets/BatchSheet.h"
#include "ui/sheets/ExportSheet.h"
#include "ui/sheets/SheetParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using namespace editortest;

namespace {

const QString kEstimating = QStringLiteral("\u2026");

// A switch takes clicks on its box and its text, not on the empty rest of its row.
void clickSwitch(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

struct SheetsExport : EditorFixture {
    QTemporaryDir dir;
    void SetUp() override {
        editor.openURLs(writeImages(dir, {"photo.jpg"}, QSize(64, 48)));
        editor.presentExportSheet();
    }
    // The estimate of the last request has arrived, so a new request shows "…" again.
    void settle() {
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_NE(editor.estimatedExportSizeText(), kEstimating);
    }
};

using SheetsBatch = EditorFixture;

} // namespace

TEST_F(SheetsExport, QualityShowsOnlyForLossyFormatsAndEachFormatReestimates) {
    ExportSheet sheet(editor);
    QComboBox* picker = sheet.formatPicker();
    picker->setFocus();
    ASSERT_EQ(picker->currentIndex(), 0); // JPEG
    EXPECT_FALSE(sheet.qualityRow()->isHidden());
    // Down the picker as a keyboard user goes: png, heic, avif, tiff, pdf.
    const std::vector<std::pair<ImageExportFormat, bool>> expected{{ImageExportFormat::png, false},
                                                                   {ImageExportFormat::heic, true},
                                                                   {ImageExportFormat::avif, true},
                                                                   {ImageExportFormat::tiff, false},
                                                                   {ImageExportFormat::pdf, false}};
    for (const auto& [format, hasQuality] : expected) {
        settle();
        QTest::keyClick(picker, Qt::Key_Down);
        EXPECT_EQ(editor.exportOptions().format, format);
        EXPECT_EQ(!sheet.qualityRow()->isHidden(), hasQuality) << rawValue(format).toStdString();
        EXPECT_EQ(editor.estimatedExportSizeText(), kEstimating) << rawValue(format).toStdString();
        EXPECT_EQ(sheet.estimateText(), QStringLiteral("Estimated Size: \u2066\u2026\u2069"));
    }
    settle();
    // The size reads in its own order inside a right-to-left sentence too.
    EXPECT_EQ(sheet.estimateText(),
              QStringLiteral("Estimated Size: \u2066") + editor.estimatedExportSizeText() + QChar(0x2069));
}

TEST_F(SheetsExport, QualityAndResizeReestimateButTheMetadataSwitchDoesNot) {
    ExportSheet sheet(editor);
    settle();
    sheet.qualityRow()->slider()->setValue(50);
    EXPECT_DOUBLE_EQ(editor.exportOptions().quality, 0.5);
    EXPECT_EQ(sheet.qualityRow()->valueText(), QStringLiteral("50%"));
    EXPECT_EQ(editor.estimatedExportSizeText(), kEstimating);

    settle();
    clickSwitch(sheet.resizeToggle());
    EXPECT_TRUE(editor.exportOptions().resizeEnabled);
    EXPECT_TRUE(sheet.widthField()->isVisibleTo(&sheet));
    EXPECT_EQ(editor.estimatedExportSizeText(), kEstimating);

    settle();
    clickSwitch(sheet.stripToggle());
    EXPECT_TRUE(editor.exportOptions().stripMetadata);
    EXPECT_NE(editor.estimatedExportSizeText(), kEstimating);
}

TEST_F(SheetsExport, TypedSizesAreClampedAndFollowTheAspectLock) {
    ExportSheet sheet(editor);
    sheet.show();
    clickSwitch(sheet.resizeToggle());
    EXPECT_EQ(sheet.widthField()->text(), QStringLiteral("64"));
    EXPECT_EQ(sheet.heightField()->text(), QStringLiteral("48"));

    // The lock is on: 640 wide makes 480 high in the other field.
    settle();
    sheet.widthField()->selectAll();
    QTest::keyClicks(sheet.widthField(), QStringLiteral("640"));
    QTest::keyClick(sheet.widthField(), Qt::Key_Return);
    EXPECT_EQ(editor.exportOptions().targetWidth, 640);
    EXPECT_EQ(sheet.heightField()->text(), QStringLiteral("480"));
    EXPECT_EQ(editor.estimatedExportSizeText(), kEstimating);

    // Unlocked, a height of 10 is raised to 16 and shown so; the width stays.
    QTest::mouseClick(sheet.lockButton(), Qt::LeftButton);
    EXPECT_FALSE(editor.exportOptions().lockAspectRatio);
    sheet.heightField()->selectAll();
    QTest::keyClicks(sheet.heightField(), QStringLiteral("10"));
    QTest::keyClick(sheet.heightField(), Qt::Key_Return);
    EXPECT_EQ(sheet.heightField()->text(), QStringLiteral("16"));
    EXPECT_EQ(sheet.widthField()->text(), QStringLiteral("640"));
    // Typing 10 again over the 16 the editor already holds still shows what it holds.
    sheet.heightField()->selectAll();
    QTest::keyClicks(sheet.heightField(), QStringLiteral("10"));
    QTest::keyClick(sheet.heightField(), Qt::Key_Return);
    EXPECT_EQ(sheet.heightField()->text(), QStringLiteral("16"));
    // Return in a size field commits the size; it doesn't press "Save…".
    EXPECT_FALSE(platform.calls.contains(QStringLiteral("runSavePanel")));
    EXPECT_TRUE(sheet.isVisible());
}

TEST_F(SheetsExport, SaveWritesTheFileAndClosesTheSheetCancelOnlyCloses) {
    ExportSheet sheet(editor);
    sheet.open();
    const QString destination = dir.filePath(QStringLiteral("out.png"));
    QTest::keyClick(sheet.formatPicker(), Qt::Key_Down); // PNG
    platform.savePanelAnswers.push_back(destination);
    QTest::mouseClick(sheet.saveButton(), Qt::LeftButton);
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_TRUE(QImage(destination).size() == QSize(64, 48));
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);

    editor.presentExportSheet();
    sheet.open();
    QTest::mouseClick(sheet.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
}

TEST_F(SheetsBatch, RunNeedsImagesAndCancelStopsARunningBatch) {
    BatchSheet sheet(editor);
    editor.setShowBatchSheet(true); // as the window opens it
    sheet.open();
    EXPECT_FALSE(sheet.runButton()->isEnabled());
    EXPECT_TRUE(sheet.cancelButton()->isEnabled());
    EXPECT_FALSE(sheet.favoritesOnlyToggle()->isEnabled());
    EXPECT_EQ(sheet.favoritesOnlyToggle()->text(), QStringLiteral("Favorites Only ♥ (0)"));

    QTemporaryDir dir, out;
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("img%1.png").arg(i, 2, 10, QLatin1Char('0'));
    writeImages(dir, names, QSize(200, 150));
    editor.openURLs({dir.path()});
    EXPECT_TRUE(sheet.runButton()->isEnabled());
    editor.toggleCurrentFavorite();
    EXPECT_TRUE(sheet.favoritesOnlyToggle()->isEnabled());
    EXPECT_EQ(sheet.favoritesOnlyToggle()->text(), QStringLiteral("Favorites Only ♥ (1)"));

    platform.folderPanelAnswers.push_back(out.path());
    QTest::mouseClick(sheet.runButton(), Qt::LeftButton);
    ASSERT_TRUE(editor.isRunningBatch());
    EXPECT_FALSE(sheet.runButton()->isEnabled());
    EXPECT_TRUE(sheet.cancelButton()->isEnabled());
    EXPECT_FALSE(sheet.formatPicker()->isEnabled());
    EXPECT_TRUE(sheet.progressLabel()->isVisible());
    EXPECT_EQ(sheet.progressLabel()->text(), editor.batchProgressText());

    // Escape during a run stops the batch rather than hiding it.
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_FALSE(sheet.cancelButton()->isEnabled());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isRunningBatch());
    EXPECT_LE(QDir(out.path()).entryList(QDir::Files).size(), 1);
    // The editor ended the batch and with it the sheet.
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_TRUE(sheet.runButton()->isEnabled());
    EXPECT_TRUE(sheet.cancelButton()->isEnabled());
    EXPECT_TRUE(sheet.formatPicker()->isEnabled());
}

TEST_F(SheetsBatch, BindsItsSettings) {
    QTemporaryDir dir;
    editor.openURLs(writeImages(dir, {"a.png", "b.png"}));
    BatchSheet sheet(editor);
    sheet.show();
    QTest::keyClick(sheet.formatPicker(), Qt::Key_Down);
    EXPECT_EQ(editor.batchFormat(), ImageExportFormat::png);
    EXPECT_TRUE(sheet.qualityRow()->isHidden());
    editor.setBatchFormat(ImageExportFormat::avif);
    EXPECT_EQ(sheet.formatPicker()->currentText(), displayName(ImageExportFormat::avif));
    EXPECT_FALSE(sheet.qualityRow()->isHidden());
    // The batch slider starts at 20%.
    sheet.qualityRow()->slider()->setValue(0);
    EXPECT_DOUBLE_EQ(editor.batchQuality(), 0.2);

    EXPECT_FALSE(sheet.maxEdgeField()->isVisibleTo(&sheet));
    clickSwitch(sheet.resizeToggle());
    EXPECT_TRUE(editor.batchResizeEnabled());
    EXPECT_TRUE(sheet.maxEdgeField()->isVisibleTo(&sheet));
    sheet.maxEdgeField()->selectAll();
    QTest::keyClicks(sheet.maxEdgeField(), QStringLiteral("2400"));
    QTest::keyClick(sheet.maxEdgeField(), Qt::Key_Return);
    EXPECT_EQ(editor.batchMaxEdge(), 2400);
    EXPECT_FALSE(platform.calls.contains(QStringLiteral("runFolderPanel")));

    clickSwitch(sheet.watermarkToggle());
    EXPECT_TRUE(editor.batchApplyWatermark());
    const bool strip = editor.batchStripMetadata();
    clickSwitch(sheet.stripToggle());
    EXPECT_EQ(editor.batchStripMetadata(), !strip);
}

TEST_F(SheetsExport, OpenSheetsFollowTheInterfaceLanguage) {
    ExportSheet exportSheet(editor);
    BatchSheet batchSheet(editor);
    editor.setLanguage(AppLanguage::tr);
    EXPECT_EQ(exportSheet.saveButton()->text(), QStringLiteral("Kaydet…"));
    EXPECT_TRUE(exportSheet.estimateText().startsWith(QStringLiteral("Tahmini Boyut: ")));
    EXPECT_EQ(batchSheet.runButton()->text(), QStringLiteral("Klasöre Dışa Aktar…"));
    EXPECT_EQ(batchSheet.stripToggle()->text(), QStringLiteral("EXIF && GPS konum verilerini temizle"));
    editor.setFollowSystemLanguage();
}
