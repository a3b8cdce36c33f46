// The live preview during drags: each value is rendered and published, equal byte for byte to
// the chain run from scratch, while stages whose inputs did not change are not run again.
#include "EditorTestSupport.h"
#include "core/files/FolderBrowserService.h"
#include "editor/EditorServices.h"

#include <QSignalSpy>

using namespace editortest;

namespace {

EditAdjustments liveRecipe() {
    EditAdjustments a;
    a.exposure = 0.3;
    a.contrast = 1.1;
    a.highlights = 0.8;
    a.shadows = 0.3;
    a.clarity = 0.5;
    a.grain = 0.2;
    a.straightenDegrees = 2;
    a.cropRect = NormalizedCropRect(0.05, 0.05, 0.9, 0.9);
    a.filterPreset = PhotoFilterPreset::portra;
    a.watermark.enabled = true;
    a.watermark.text = "TaviView";
    a.beautify.enabled = true;
    a.beautify.showWindowBar = true;
    return a;
}

struct EditorPreviewStages : EditorFixture {
    QTemporaryDir dir;
    QImage base;
    void open() {
        const QString path = testsupport::writeImage(dir, "photo.jpg", sampleImage(480, 320));
        editor.openURLs({path});
        ASSERT_TRUE(editor.hasImage());
        base = *FolderBrowserService().loadOrientedCGImage(path, 1800);
    }
    QImage chain(const EditAdjustments& a) const {
        const ImageRenderEngine engine;
        const StudioEffectsService effects;
        QImage image = engine.render(base, a, true, 1.0);
        image = effects.applyWatermark(a.watermark, image);
        return effects.applyBeautifyFrame(a.beautify, image);
    }
};

} // namespace

TEST_F(EditorPreviewStages, EveryValueOfADragIsPublishedAndOnlyItsStagesRunAgain) {
    open();
    EditAdjustments a = liveRecipe();
    editor.pushUndoSnapshot();
    editor.setAdjustments(a);
    editor.refreshPreview();
    QSignalSpy published(&editor, &EditorViewModel::renderedDisplayImageChanged);

    struct Drag {
        void (*set)(EditAdjustments&, int);
        // How many times each stage runs over the three values; of the renders, how many start
        // from the working image kept before vignette and grain.
        int renders, backdrops, resumes;
    };
    const Drag drags[] = {
        {[](EditAdjustments& r, int i) { r.contrast = 1.0 + 0.1 * i; }, 3, 0, 0},
        {[](EditAdjustments& r, int i) { r.grain = 0.3 + 0.2 * i; }, 3, 0, 2},
        {[](EditAdjustments& r, int i) { r.vignette = 0.1 + 0.3 * i; }, 3, 0, 3}, // kept from the grain
        {[](EditAdjustments& r, int i) { r.watermark.opacity = 0.2 + 0.3 * i; }, 0, 0, 0},
        {[](EditAdjustments& r, int i) { r.beautify.padding = 0.05 + 0.04 * i; }, 0, 3, 0},
        {[](EditAdjustments& r, int i) { r.cropRect = NormalizedCropRect(0.05, 0.05, 0.8 - 0.1 * i, 0.9); },
         3, 3, 0}, // a new size each time
        {[](EditAdjustments& r, int i) { r.grain = 0.1 * i; }, 3, 0, 2},
    };
    int values = 0;
    for (const Drag& drag : drags) {
        const PreviewStageCache::Counts before = editor.previewStages().counts();
        for (int i = 0; i < 3; ++i) {
            drag.set(a, i);
            editor.setAdjustments(a);
            editor.refreshPreview();
            ++values;
            ASSERT_EQ(published.count(), values);
            EXPECT_EQ(*editor.renderedDisplayImage(), chain(a)) << "value " << values;
        }
        EXPECT_EQ(editor.previewStages().counts().renders - before.renders, drag.renders);
        EXPECT_EQ(editor.previewStages().counts().backdrops - before.backdrops, drag.backdrops);
        EXPECT_EQ(editor.previewStages().counts().resumes - before.resumes, drag.resumes);
        const qint64 baseBytes = qint64(base.width()) * base.height() * 4;
        EXPECT_LT(editor.previewStages().bytes(), PreviewStageCache::kBudgetInBases * baseBytes);
    }

    // The watermark is drawn into the kept render while the frame is on; the render must come
    // back clean for every later stage: unframed (where the watermark goes on a copy), and with
    // the watermark moved elsewhere.
    EXPECT_GT(editor.previewStages().counts().watermarksInPlace, 0);
    const int rendersBefore = editor.previewStages().counts().renders;
    for (const auto& change : std::vector<void (*)(EditAdjustments&)>{
             [](EditAdjustments& r) { r.beautify.enabled = false; },
             [](EditAdjustments& r) { r.beautify.enabled = true, r.watermark.position = WatermarkPosition::topLeft; },
             [](EditAdjustments& r) { r.watermark.enabled = false; }}) {
        change(a);
        editor.setAdjustments(a);
        editor.refreshPreview();
        ++values;
        EXPECT_EQ(*editor.renderedDisplayImage(), chain(a)) << "value " << values;
    }
    EXPECT_EQ(editor.previewStages().counts().renders, rendersBefore) << "the kept render served them all";

    // The same value twice is published twice (nothing is merged); undo brings the old picture
    // back from a fresh render.
    editor.refreshPreview();
    EXPECT_EQ(published.count(), values + 1);
    editor.undo();
    EXPECT_EQ(*editor.renderedDisplayImage(), chain(editor.adjustments()));
}

TEST_F(EditorPreviewStages, AnotherSourceOfTheSameSizeIsRenderedAfresh) {
    EditorServices services;
    const QImage first = sampleImage(300, 200).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QImage second = first;
    second.setPixelColor(150, 100, Qt::white); // a copy changed in one pixel: a new bitmap
    PreviewStageCache stages;
    PreviewStageCache::Request request;
    request.adjustments = liveRecipe();
    base = first;
    request.base = &first;
    EXPECT_EQ(stages.refresh(services, request), chain(request.adjustments));
    base = second;
    request.base = &second;
    EXPECT_EQ(stages.refresh(services, request), chain(request.adjustments));
    EXPECT_EQ(stages.counts().renders, 2);
    EXPECT_EQ(stages.counts().backdrops, 1);

    // A frame too large for the budget is drawn but not kept.
    request.adjustments.beautify.padding = 1.5;
    EXPECT_EQ(stages.refresh(services, request), chain(request.adjustments));
    EXPECT_LT(stages.bytes(), PreviewStageCache::kBudgetInBases * qint64(300) * 200 * 4);
}
