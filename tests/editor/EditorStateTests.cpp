#include "EditorTestSupport.h"

#include <QSignalSpy>

using namespace editortest;

using EditorState = EditorFixture;

TEST_F(EditorState, ANewEditorHoldsTheDocumentedDefaults) {
    EXPECT_FALSE(editor.currentURL().has_value());
    EXPECT_FALSE(editor.hasImage());
    EXPECT_FALSE(editor.hasUnsavedEdits());
    EXPECT_EQ(editor.activeSourceDimensions(), QSize(1, 1));
    EXPECT_EQ(editor.histogram(), ImageHistogram::empty());
    EXPECT_EQ(editor.totalFrameCount(), 1);
    EXPECT_EQ(editor.markupTextInput(), QStringLiteral("Note"));
    EXPECT_EQ(editor.markupColor(), RGBAColor::red);
    EXPECT_EQ(editor.estimatedExportSizeText(), QStringLiteral("\u2026"));
    EXPECT_EQ(editor.exportOptions(), ImageExportOptions{});
    EXPECT_TRUE(editor.showInspector());
    EXPECT_TRUE(editor.batchStripMetadata());
    // Operations on an empty editor change nothing and don't fail.
    editor.navigateNext();
    editor.loadCurrentImage();
    editor.refreshPreview();
    editor.undo();
    EXPECT_FALSE(editor.renderFullResolutionOutput().has_value());
    EXPECT_FALSE(editor.renderedDisplayImage().has_value());
}

TEST_F(EditorState, ChangeSignalsFireOnlyForRealChanges) {
    QSignalSpy zoom(&editor, &EditorViewModel::zoomScaleChanged);
    QSignalSpy undoFlag(&editor, &EditorViewModel::canUndoChanged);
    editor.setZoomScale(1.0);
    EXPECT_EQ(zoom.count(), 0);
    editor.setZoomScale(2.0);
    EXPECT_EQ(zoom.count(), 1);

    QTemporaryDir dir;
    writeImages(dir, {"a.png", "b.png"});
    editor.openURLs({dir.path()});
    EXPECT_EQ(undoFlag.count(), 0); // it was false and stays false
    QSignalSpy shown(&editor, &EditorViewModel::renderedDisplayImageChanged);
    editor.refreshAnnotationsOnly(); // no markup: the same bitmap is shown
    EXPECT_EQ(shown.count(), 0);
}

TEST_F(EditorState, MessagesFollowTheChosenLanguage) {
    QTemporaryDir empty;
    editor.setLanguage(AppLanguage::tr);
    EXPECT_EQ(editor.language(), AppLanguage::tr);
    EXPECT_FALSE(editor.isFollowingSystemLanguage());
    editor.openURLs({empty.path()});
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Desteklenen görsel bulunamadı."));
    EXPECT_TRUE(editor.toastIsError());

    editor.setFollowSystemLanguage();
    EXPECT_TRUE(editor.isFollowingSystemLanguage());
    EXPECT_EQ(editor.language(), AppLanguage::systemResolved());
}

TEST_F(EditorState, TransparencyAndUnsavedEditsFollowTheEdit) {
    QTemporaryDir dir;
    QImage clear(40, 30, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    editor.openURLs({testsupport::writeImage(dir, "alpha.png", clear)});
    ASSERT_TRUE(editor.documentInfo().has_value());
    EXPECT_TRUE(editor.isShowingTransparency());
    EditAdjustments framed;
    framed.beautify.enabled = true;
    editor.setAdjustments(framed);
    EXPECT_FALSE(editor.isShowingTransparency()); // the frame fills the background
    EXPECT_TRUE(editor.hasUnsavedEdits());
    BackgroundStudioSettings studio;
    studio.enabled = true;
    editor.setBgSettings(studio); // transparent fill by default
    EXPECT_TRUE(editor.isShowingTransparency());
}

TEST_F(EditorState, EveryPublishedPropertyHasItsOwnChangeSignal) {
    const QMetaObject* meta = editor.metaObject();
    QSet<int> signalIndices;
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        names << property.name();
        EXPECT_TRUE(property.hasNotifySignal()) << property.name();
        signalIndices.insert(property.notifySignalIndex());
        // AppLanguage has no default value, so it can't travel in a QVariant; views read it
        // through language() like every other property.
        if (QByteArray(property.name()) != "language") {
            EXPECT_TRUE(property.read(&editor).isValid()) << property.name();
        }
    }
    EXPECT_EQ(signalIndices.size(), names.size());
    for (const char* name : {"folderImages", "renderedDisplayImage", "adjustments", "annotations", "canUndo",
                             "toastMessage", "exportOptions", "thumbnails", "language", "batchProgressText"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
}
