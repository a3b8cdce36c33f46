#include "EditorTestSupport.h"

#include "core/files/FolderBrowserService.h"
#include "core/model/BackgroundFillStyle.h"
#include "editor/DesktopScreenCapture.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainter>

using namespace editortest;

namespace {

QString copyFixture(const QTemporaryDir& dir, const QString& fixture, const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(QFile::copy(testsupport::fixture(fixture), path));
    return QDir::cleanPath(path);
}

QStringList capturesFolderEntries() {
    return QDir(EditorViewModel::capturesFolderPath()).entryList(QDir::Files, QDir::Name);
}

} // namespace

using EditorBackgroundStudio = EditorFixture;

TEST_F(EditorBackgroundStudio, PickingTheKeyColourSwitchesToTheColourKeyAndCutsOutAtOnce) {
    QTemporaryDir dir;
    editor.openURLs({copyFixture(dir, "photos/flowers-1920x1080.jpg", "flowers.jpg")});
    ASSERT_TRUE(editor.hasImage());
    ASSERT_EQ(editor.bgSettings().engine, BackgroundCutoutEngine::autoAI);
    const ImageExportFormat formatBefore = editor.exportOptions().format;
    ASSERT_NE(formatBefore, ImageExportFormat::png);

    editor.startEyedropper(EyedropperPurpose::pickBackgroundKeyColor);
    editor.sampleColorAt({0.01, 0.01});
    ASSERT_TRUE(editor.sampledColor().has_value());
    EXPECT_EQ(editor.bgSettings().engine, BackgroundCutoutEngine::colorKeyMagic);
    EXPECT_NEAR(editor.bgSettings().colorKeyTarget.r, editor.sampledColor()->r / 255.0, 1e-9);
    EXPECT_FALSE(editor.isEyedropperActive());
    EXPECT_TRUE(editor.isProcessingAI()); // the cut-out is already running
    ASSERT_TRUE(editor.waitForBackgroundWork());

    EXPECT_FALSE(editor.isProcessingAI());
    EXPECT_TRUE(editor.bgSettings().enabled);
    EXPECT_FALSE(editor.toastIsError());
    // The clicked corner is background and now transparent, on screen and in the full-size output
    // (a second mask of its own, as the preview is smaller than the photo).
    ASSERT_TRUE(editor.renderedDisplayImage().has_value());
    EXPECT_EQ(qAlpha(editor.renderedDisplayImage()->pixel(1, 1)), 0);
    const std::optional<QImage> output = editor.renderFullResolutionOutput();
    ASSERT_TRUE(output.has_value());
    EXPECT_EQ(output->size(), QSize(1920, 1080));
    EXPECT_EQ(qAlpha(output->pixel(3, 3)), 0);
    // A transparent cut-out is only kept by a format with alpha.
    EXPECT_EQ(editor.exportOptions().format, ImageExportFormat::png);

    // One undo brings back the untouched photo.
    editor.undo();
    EXPECT_FALSE(editor.bgSettings().enabled);
    EXPECT_EQ(qAlpha(editor.renderedDisplayImage()->pixel(1, 1)), 255);
}

TEST_F(EditorBackgroundStudio, AFilledBackgroundLeavesTheExportFormatAlone) {
    QTemporaryDir dir;
    editor.openURLs({copyFixture(dir, "photos/hopper.png", "hopper.png")});
    ImageExportOptions options = editor.exportOptions();
    options.format = ImageExportFormat::jpeg;
    editor.setExportOptions(options);
    BackgroundStudioSettings settings = editor.bgSettings();
    settings.engine = BackgroundCutoutEngine::colorKeyMagic;
    settings.colorKeyTarget = RGBAColor::white;
    settings.fillStyle = BackgroundFillStyle::studioWhite;
    editor.setBgSettings(settings);
    editor.applyOrRecomputeBackgroundStudio();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    ASSERT_TRUE(editor.bgSettings().enabled) << editor.toastMessage().value_or(QString()).toStdString();
    EXPECT_EQ(editor.exportOptions().format, ImageExportFormat::jpeg);
}

TEST_F(EditorBackgroundStudio, ACutOutOfAPhotoLeftBehindIsDropped) {
    QTemporaryDir dir;
    const QString first = copyFixture(dir, "photos/flowers-1920x1080.jpg", "a.jpg");
    copyFixture(dir, "photos/hopper.png", "b.png");
    editor.openURLs({first});
    BackgroundStudioSettings settings = editor.bgSettings();
    settings.engine = BackgroundCutoutEngine::colorKeyMagic;
    editor.setBgSettings(settings);
    editor.applyOrRecomputeBackgroundStudio();
    editor.navigateNext(); // before the masks can have been made
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isProcessingAI());
    EXPECT_FALSE(editor.bgSettings().enabled);
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.toastMessage().has_value());
}

using EditorTrim = EditorFixture;

TEST_F(EditorTrim, TrimmingBakesTheEditInAndOneUndoBringsItAllBack) {
    QTemporaryDir dir;
    editor.openURLs({copyFixture(dir, "formats/trim-mc.png", "logo.png")});
    const QSize original = editor.activeSourceDimensions();
    EditAdjustments recipe = editor.adjustments();
    recipe.exposure = 0.6;
    editor.setAdjustments(recipe);
    editor.refreshPreview();
    editor.handleMarkupDragChanged({0.3, 0.3});
    editor.handleMarkupDragChanged({0.6, 0.6});
    editor.handleMarkupDragEnded();
    ASSERT_EQ(editor.annotations().size(), 1);
    const QImage editedPreview = *editor.renderedDisplayImage();

    editor.autoTrimTransparentBorders();
    const QSize trimmed = editor.activeSourceDimensions();
    EXPECT_LT(trimmed.width() * trimmed.height(), original.width() * original.height());
    EXPECT_TRUE(editor.adjustments().isIdentity());
    EXPECT_TRUE(editor.annotations().isEmpty());
    EXPECT_EQ(editor.renderedDisplayImage()->size(), trimmed);
    EXPECT_EQ(editor.renderFullResolutionOutput()->size(), trimmed);
    EXPECT_TRUE(editor.hasUnsavedEdits());

    // One undo step takes back the trim together with the reset it made.
    editor.undo();
    EXPECT_EQ(editor.activeSourceDimensions(), original);
    EXPECT_EQ(editor.adjustments(), recipe);
    EXPECT_EQ(editor.annotations().size(), 1);
    // The recipe goes back onto the original pixels, not a second time onto the trimmed ones.
    EXPECT_LT(testsupport::meanAbsoluteDifference(*editor.renderedDisplayImage(), editedPreview), 0.5);

    editor.redo();
    EXPECT_EQ(editor.activeSourceDimensions(), trimmed);
    EXPECT_TRUE(editor.adjustments().isIdentity());
}

using EditorEyedropper = EditorFixture;

TEST_F(EditorEyedropper, ASecondClickOfTheSameButtonTurnsItOffAndSamplesCopyTheHex) {
    QTemporaryDir dir;
    editor.openURLs({copyFixture(dir, "photos/hopper.png", "hopper.png")});
    editor.toggleCropMode();
    editor.startEyedropper(EyedropperPurpose::sampleColor);
    EXPECT_TRUE(editor.isEyedropperActive());
    EXPECT_FALSE(editor.isCropMode());

    editor.sampleColorAt({0.5, 0.5});
    ASSERT_TRUE(editor.sampledColor().has_value());
    EXPECT_EQ(platform.clipboardTextValue, editor.sampledColor()->hexString());
    EXPECT_TRUE(editor.isEyedropperActive()) << "stays on for further clicks";
    EXPECT_EQ(editor.bgSettings(), BackgroundStudioSettings{});

    // The other purpose takes over rather than turning it off.
    editor.startEyedropper(EyedropperPurpose::pickBackgroundKeyColor);
    EXPECT_TRUE(editor.isEyedropperActive());
    EXPECT_EQ(editor.eyedropperPurpose(), EyedropperPurpose::pickBackgroundKeyColor);
    editor.startEyedropper(EyedropperPurpose::pickBackgroundKeyColor);
    EXPECT_FALSE(editor.isEyedropperActive());
}

using EditorRecognition = EditorFixture;

TEST_F(EditorRecognition, AScanThatFindsNothingSaysSo) {
    QTemporaryDir dir;
    editor.openURLs({copyFixture(dir, "photos/hopper.png", "hopper.png")});
    editor.scanBarcodesInImage();
    EXPECT_TRUE(editor.isProcessingAI());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isProcessingAI());
    EXPECT_TRUE(editor.detectedBarcodes().isEmpty());
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("No QR code or barcode detected."));
}

using EditorClipboard = EditorFixture;

TEST_F(EditorClipboard, AFileOnTheClipboardIsOpenedRatherThanWrittenAgain) {
    QTemporaryDir dir;
    const QString photo = copyFixture(dir, "photos/hopper.png", "hopper.png");
    platform.clipboardFiles = {photo};
    platform.clipboardImageValue = sampleImage(32, 32); // what a file manager also offers
    const QStringList before = capturesFolderEntries();

    editor.pasteImageFromClipboard();
    EXPECT_EQ(editor.currentURL(), photo);
    EXPECT_EQ(capturesFolderEntries(), before);
    EXPECT_FALSE(editor.toastMessage().has_value());
}

TEST_F(EditorClipboard, ImageDataIsSavedAsAPngAndOpened) {
    platform.clipboardImageValue = sampleImage(60, 40);
    editor.pasteImageFromClipboard();
    const std::optional<QString> opened = editor.currentURL();
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(QFileInfo(*opened).absolutePath(), EditorViewModel::capturesFolderPath());
    EXPECT_TRUE(QFileInfo(*opened).fileName().startsWith(QStringLiteral("Clipboard-")));
    EXPECT_EQ(QImage(*opened).size(), QSize(60, 40));
    EXPECT_FALSE(editor.toastIsError());
    QFile::remove(*opened);

    // Nothing to paste: an error, and the open photo stays.
    platform.clipboardImageValue.reset();
    editor.pasteImageFromClipboard();
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("No image found on the clipboard."));
}

using EditorScreenshot = EditorFixture;

TEST_F(EditorScreenshot, ACancelledCaptureBringsTheWindowsBackAndLeavesNothing) {
    QTemporaryDir dir;
    const QString photo = copyFixture(dir, "photos/hopper.png", "hopper.png");
    editor.openURLs({photo});
    const QStringList before = capturesFolderEntries();
    platform.captureWritesFile = false;
    editor.captureInteractiveScreenshot();
    ASSERT_TRUE(editor.waitForBackgroundWork());

    ASSERT_GE(platform.calls.size(), 3);
    EXPECT_EQ(platform.calls.first(), QStringLiteral("hide"));
    EXPECT_TRUE(platform.calls.contains(QStringLiteral("restore")));
    EXPECT_GT(platform.calls.indexOf(QStringLiteral("restore")), 1) << "after the tool ran";
    EXPECT_EQ(capturesFolderEntries(), before);
    EXPECT_FALSE(editor.toastMessage().has_value());
    EXPECT_EQ(editor.currentURL(), photo);
}

TEST_F(EditorScreenshot, ACaptureOpensForMarkup) {
    platform.captureWritesFile = true;
    editor.captureInteractiveScreenshot();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_TRUE(platform.calls.contains(QStringLiteral("restore")));
    const std::optional<QString> opened = editor.currentURL();
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(QFileInfo(*opened).fileName().startsWith(QStringLiteral("Screenshot-")));
    EXPECT_TRUE(editor.hasImage());
    EXPECT_EQ(editor.selectedTab(), InspectorTab::annotate);
    EXPECT_FALSE(editor.toastIsError());
    QFile::remove(*opened);
}

TEST(DesktopScreenCaptureTool, OnlyACompleteCaptureIsKept) {
    QTemporaryDir dir;
    // A stand-in tool: "capture" copies a photo to the path; "cancel" leaves an empty file
    // behind, as some desktop tools do.
    const QString tool = dir.filePath("capture-tool");
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nif [ -f \"%1\" ]; then : > \"$1\"; else cp \"%2\" \"$1\"; fi\n")
                     .arg(dir.filePath("cancel"), testsupport::fixture("photos/hopper.png"))
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TAVIVIEW_SCREENCAPTURE", tool.toUtf8());

    const QString shot = dir.filePath("shot.png");
    EXPECT_EQ(DesktopScreenCapture::command(shot), (DesktopScreenCapture::Command{tool, {shot}}));
    EXPECT_TRUE(DesktopScreenCapture::run(shot));
    EXPECT_EQ(QImage(shot).size(), QSize(128, 128));

    QFile(dir.filePath("cancel")).open(QIODevice::WriteOnly);
    const QString cancelled = dir.filePath("cancelled.png");
    EXPECT_FALSE(DesktopScreenCapture::run(cancelled));
    EXPECT_FALSE(QFileInfo::exists(cancelled));

    // A tool that can't be started is a capture that didn't happen.
    qputenv("TAVIVIEW_SCREENCAPTURE", dir.filePath("missing-tool").toUtf8());
    EXPECT_FALSE(DesktopScreenCapture::run(cancelled));
    qunsetenv("TAVIVIEW_SCREENCAPTURE");
}

TEST_F(EditorRecognition, TextIsReadFromTheEditedImageAndCopied) {
    QTemporaryDir dir;
    QImage page(640, 200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setPen(Qt::black);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(36);
        painter.setFont(font);
        painter.drawText(20, 70, QStringLiteral("Invoice 2026"));
        painter.drawText(20, 150, QStringLiteral("Total 48 EUR"));
    }
    // Scanned upside down and turned upright in the edit: the text is read as the user sees it.
    editor.openURLs({testsupport::writeImage(dir, "page.png", page.transformed(QTransform().rotate(180)))});
    editor.rotateRight();
    editor.rotateRight();
    editor.runOCRTextRecognition();
    EXPECT_TRUE(editor.isProcessingAI());
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_FALSE(editor.isProcessingAI());
    ASSERT_EQ(editor.extractedOCRLineCount(), 2) << editor.toastMessage().value_or(QString()).toStdString();
    EXPECT_TRUE(editor.extractedOCRText().contains(QStringLiteral("Total 48")))
        << editor.extractedOCRText().toStdString();

    editor.copyOCRText();
    EXPECT_EQ(platform.clipboardTextValue, editor.extractedOCRText());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Text copied to clipboard"));

    // A page with nothing on it says so and keeps the text read before.
    QImage blank(320, 200, QImage::Format_RGB32);
    blank.fill(QColor(200, 200, 200));
    editor.openURLs({testsupport::writeImage(dir, "blank.png", blank)});
    editor.runOCRTextRecognition();
    ASSERT_TRUE(editor.waitForBackgroundWork());
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("No readable text detected in this image."));
}
