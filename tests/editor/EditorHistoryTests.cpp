#include "EditorTestSupport.h"

#include "core/files/FolderBrowserService.h"
#include "core/imaging/AnnotationRenderer.h"
#include "core/imaging/ImageRenderEngine.h"
#include "core/imaging/StudioEffectsService.h"

#include <QSignalSpy>

using namespace editortest;

namespace {

// An editor showing one generated image of the given size.
struct LoadedEditor : EditorFixture {
    QTemporaryDir dir;
    QString path;
    void open(QSize size = QSize(400, 300)) {
        path = testsupport::writeImage(dir, "photo.jpg", sampleImage(size.width(), size.height()));
        editor.openURLs({path});
        ASSERT_TRUE(editor.hasImage());
    }
    void setExposure(double value) {
        EditAdjustments a = editor.adjustments();
        a.exposure = value;
        editor.setAdjustments(a);
    }
};

} // namespace

using EditorHistory = LoadedEditor;

TEST_F(EditorHistory, KeepsTheLastFortyDistinctStates) {
    open();
    for (int i = 1; i <= 45; ++i) {
        editor.pushUndoSnapshot();
        setExposure(i);
        editor.refreshPreview();
    }
    for (int i = 0; i < 40; ++i)
        editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 5); // the state after the fifth change
    EXPECT_FALSE(editor.canUndo());
    editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 5);
    EXPECT_TRUE(editor.canRedo());
    for (int i = 0; i < 40; ++i)
        editor.redo();
    EXPECT_EQ(editor.adjustments().exposure, 45);
    EXPECT_FALSE(editor.canRedo());
}

TEST_F(EditorHistory, RecordsAStateOnceAndANewChangeEndsRedo) {
    open();
    editor.pushUndoSnapshot();
    editor.pushUndoSnapshot(); // nothing changed in between
    setExposure(1);
    editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 0);
    EXPECT_FALSE(editor.canUndo());

    // A slider drag that ends where it began records the unchanged state only once.
    editor.redo();
    editor.pushUndoSnapshot();
    setExposure(2);
    setExposure(1);
    editor.pushUndoSnapshot();
    editor.undo();
    editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 0);

    editor.redo();
    ASSERT_TRUE(editor.canRedo());
    editor.rotateRight();
    EXPECT_FALSE(editor.canRedo());
    const EditAdjustments before = editor.adjustments();
    editor.redo();
    EXPECT_EQ(editor.adjustments(), before);
}

TEST_F(EditorHistory, UndoRestoresMarkupAndStudioSettingsAndClearsTheSelection) {
    open();
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    editor.handleMarkupDragChanged({0.1, 0.1});
    editor.handleMarkupDragChanged({0.4, 0.4});
    editor.handleMarkupDragEnded();
    editor.selectAnnotationTool(AnnotationTool::select);
    editor.handleMarkupDragChanged({0.2, 0.2});
    editor.handleMarkupDragEnded();
    ASSERT_TRUE(editor.selectedAnnotationID().has_value());
    editor.pushUndoSnapshot();
    BackgroundStudioSettings bg = editor.bgSettings();
    bg.blurRadius = 40;
    editor.setBgSettings(bg);
    editor.undo();
    EXPECT_EQ(editor.bgSettings(), BackgroundStudioSettings{});
    EXPECT_EQ(editor.annotations().size(), 1);
    EXPECT_FALSE(editor.selectedAnnotationID().has_value());
    editor.undo();
    EXPECT_TRUE(editor.annotations().isEmpty());
}

TEST_F(EditorHistory, ResetDoesNothingWithoutEditsAndIsUndoable) {
    open();
    editor.resetAllEdits();
    EXPECT_FALSE(editor.canUndo());

    editor.rotateRight();
    editor.selectAnnotationTool(AnnotationTool::stepNumber);
    editor.handleMarkupDragChanged({0.5, 0.5});
    editor.handleMarkupDragEnded();
    editor.toggleCropMode();
    editor.resetAllEdits();
    EXPECT_TRUE(editor.adjustments().isIdentity());
    EXPECT_TRUE(editor.annotations().isEmpty());
    EXPECT_FALSE(editor.isCropMode());
    EXPECT_EQ(editor.nextStepNumber(), 1);
    EXPECT_FALSE(editor.hasUnsavedEdits());
    editor.undo();
    EXPECT_EQ(editor.adjustments().quarterTurns, 1);
    EXPECT_EQ(editor.annotations().size(), 1);
}

TEST_F(EditorHistory, AspectRatiosCropNinetyPercentOfTheLimitingSideCentred) {
    open(QSize(400, 300));
    editor.toggleCropMode();
    const int renders = editor.previewRecipeRenderCount();
    editor.applyAspectRatio(CropAspectRatio::square1x1);
    NormalizedCropRect crop = editor.adjustments().cropRect;
    EXPECT_NEAR(crop.width, 0.675, 1e-9);
    EXPECT_NEAR(crop.height, 0.9, 1e-9);
    EXPECT_NEAR(crop.x, 0.1625, 1e-9);
    EXPECT_NEAR(crop.y, 0.05, 1e-9);
    EXPECT_EQ(editor.croppedPixelDimensionsText(), QStringLiteral("270 \u00D7 270 px"));

    editor.applyAspectRatio(CropAspectRatio::landscape16x9);
    crop = editor.adjustments().cropRect;
    EXPECT_NEAR(crop.width, 0.9, 1e-9);
    EXPECT_NEAR(crop.height, 0.675, 1e-9);
    EXPECT_NEAR(crop.x, 0.05, 1e-9);
    EXPECT_NEAR(crop.y, 0.1625, 1e-9);
    EXPECT_EQ(editor.previewRecipeRenderCount(), renders); // crop mode draws the frame itself

    editor.applyAspectRatio(CropAspectRatio::free);
    EXPECT_EQ(editor.selectedAspectRatio(), CropAspectRatio::free);
    EXPECT_EQ(editor.adjustments().cropRect, crop);

    editor.resetCrop();
    EXPECT_EQ(editor.adjustments().cropRect, NormalizedCropRect::full);
    editor.undo();
    EXPECT_EQ(editor.adjustments().cropRect, crop);
}

TEST_F(EditorHistory, PastingARecipeKeepsTheCropAndPresetsKeepCropAndTurns) {
    open();
    editor.pasteCopiedEdits();
    EXPECT_TRUE(editor.toastIsError());
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Copy adjustments from a photo first."));
    EXPECT_FALSE(editor.canUndo());

    EditAdjustments source;
    source.exposure = 0.7;
    source.cropRect = NormalizedCropRect(0.2, 0.2, 0.5, 0.5);
    source.quarterTurns = 2;
    editor.setAdjustments(source);
    editor.copyCurrentEdits();
    EXPECT_EQ(editor.copiedAdjustments()->cropRect, NormalizedCropRect::full);
    EXPECT_FALSE(editor.toastIsError());

    EditAdjustments target;
    target.cropRect = NormalizedCropRect(0.1, 0.1, 0.3, 0.3);
    target.quarterTurns = 1;
    editor.setAdjustments(target);
    editor.pasteCopiedEdits();
    EXPECT_EQ(editor.adjustments().exposure, 0.7);
    EXPECT_EQ(editor.adjustments().quarterTurns, 2);
    EXPECT_EQ(editor.adjustments().cropRect, target.cropRect);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Adjustments pasted"));

    CustomEditPreset preset;
    preset.adjustments.saturation = 1.4;
    preset.adjustments.quarterTurns = 3;
    preset.adjustments.cropRect = NormalizedCropRect(0.5, 0.5, 0.2, 0.2);
    editor.setAdjustments(target);
    editor.applyCustomPreset(preset);
    EXPECT_EQ(editor.adjustments().saturation, 1.4);
    EXPECT_EQ(editor.adjustments().quarterTurns, 1);
    EXPECT_EQ(editor.adjustments().cropRect, target.cropRect);
}

TEST_F(EditorHistory, PresetsAreNamedAfterTheirCountWhenLeftBlank) {
    open();
    for (const CustomEditPreset& p : editor.customPresets())
        editor.deleteCustomPreset(p.id);
    editor.setNewPresetName("Warm");
    editor.saveCurrentAsCustomPreset();
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Warm saved"));
    EXPECT_TRUE(editor.newPresetName().isEmpty());
    editor.setNewPresetName(" \t ");
    editor.saveCurrentAsCustomPreset();
    ASSERT_EQ(editor.customPresets().size(), 2);
    EXPECT_EQ(editor.toastMessage(), QStringLiteral("Preset 2 saved"));
    QStringList names;
    for (const CustomEditPreset& p : editor.customPresets())
        names << p.name;
    EXPECT_TRUE(names.contains("Preset 2"));
    editor.deleteCustomPreset(editor.customPresets().first().id);
    EXPECT_EQ(editor.customPresets().size(), 1);
    EXPECT_FALSE(editor.canUndo());
    for (const CustomEditPreset& p : editor.customPresets())
        editor.deleteCustomPreset(p.id);
}

using EditorPreview = LoadedEditor;

TEST_F(EditorPreview, RunsTheChainInOrderAtThePreviewsScale) {
    open(QSize(3600, 2400)); // a preview of half the full size
    EditAdjustments a;
    a.exposure = 0.3;
    a.clarity = 0.8; // radii in full-size pixels: wrong if the preview scale is lost
    a.sharpness = 0.6;
    a.cropRect = NormalizedCropRect(0.1, 0.1, 0.7, 0.8);
    a.watermark.enabled = true;
    a.watermark.text = "TaviView";
    a.beautify.enabled = true;
    editor.pushUndoSnapshot();
    editor.setAdjustments(a);
    editor.refreshPreview();
    editor.selectAnnotationTool(AnnotationTool::arrow);
    editor.handleMarkupDragChanged({0.2, 0.2});
    editor.handleMarkupDragChanged({0.7, 0.6});
    editor.handleMarkupDragEnded();

    const QImage base = *FolderBrowserService().loadOrientedCGImage(path, 1800);
    ASSERT_EQ(base.width(), 1800);
    ImageRenderEngine engine;
    StudioEffectsService effects;
    AnnotationRenderer markup;
    auto chain = [&](bool cropMode, double scale) {
        QImage image = engine.render(base, a, !cropMode, scale);
        image = effects.applyWatermark(a.watermark, image);
        if (!cropMode) image = effects.applyBeautifyFrame(a.beautify, image);
        return markup.render(editor.annotations(), image);
    };
    ASSERT_NE(chain(false, 0.5), chain(false, 1.0)); // the scale matters for this recipe
    EXPECT_EQ(*editor.renderedDisplayImage(), chain(false, 0.5));

    // Crop mode shows the whole image without the frame; leaving it shows both again.
    editor.toggleCropMode();
    EXPECT_EQ(*editor.renderedDisplayImage(), chain(true, 0.5));
    editor.toggleCropMode();
    EXPECT_EQ(*editor.renderedDisplayImage(), chain(false, 0.5));
}

TEST_F(EditorPreview, MarkupChangesDrawOnlyTheMarkupLayer) {
    open();
    editor.toggleAutoEnhance();
    const int renders = editor.previewRecipeRenderCount();
    QSignalSpy shown(&editor, &EditorViewModel::renderedDisplayImageChanged);
    editor.selectAnnotationTool(AnnotationTool::ellipse);
    editor.handleMarkupDragChanged({0.1, 0.1});
    editor.handleMarkupDragChanged({0.3, 0.4});
    editor.handleMarkupDragChanged({0.5, 0.6});
    editor.handleMarkupDragEnded();
    editor.selectAnnotationTool(AnnotationTool::select);
    editor.handleMarkupDragChanged({0.3, 0.3});
    editor.handleMarkupDragChanged({0.35, 0.3});
    editor.handleMarkupDragEnded();
    editor.removeLastAnnotation();
    EXPECT_EQ(editor.previewRecipeRenderCount(), renders);
    EXPECT_GE(shown.count(), 5);

    editor.undo(); // undo may change the recipe, so it renders it
    EXPECT_EQ(editor.previewRecipeRenderCount(), renders + 1);
}

TEST_F(EditorPreview, TheFullResolutionOutputIsComputedOncePerEdit) {
    open(QSize(2400, 1600));
    editor.rotateRight();
    const std::optional<QImage> first = editor.renderFullResolutionOutput();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size(), QSize(1600, 2400));
    const std::optional<QImage> again = editor.renderFullResolutionOutput();
    EXPECT_EQ(again->cacheKey(), first->cacheKey());
    EXPECT_EQ(editor.fullResolutionRenderCount(), 1);

    // Any change of the edit gives a new render; committed markup is in it, the draft is not.
    editor.selectAnnotationTool(AnnotationTool::filledRectangle);
    editor.handleMarkupDragChanged({0.0, 0.0});
    editor.handleMarkupDragChanged({0.5, 0.5});
    const std::optional<QImage> withDraft = editor.renderFullResolutionOutput();
    EXPECT_EQ(withDraft->cacheKey(), first->cacheKey());
    editor.handleMarkupDragEnded();
    const std::optional<QImage> withMarkup = editor.renderFullResolutionOutput();
    EXPECT_EQ(editor.fullResolutionRenderCount(), 2);
    EXPECT_NE(withMarkup->pixel(100, 100), first->pixel(100, 100));
    EXPECT_EQ(withMarkup->pixel(1500, 2300), first->pixel(1500, 2300));
}
