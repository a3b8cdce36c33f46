#include "EditorTestSupport.h"

using namespace editortest;

namespace {

struct EditorMarkup : EditorFixture {
    void drag(std::initializer_list<NormalizedPoint> points) {
        for (NormalizedPoint p : points)
            editor.handleMarkupDragChanged(p);
        editor.handleMarkupDragEnded();
    }
    void SetUp() override {
        editor.openURLs({testsupport::writeImage(dir, "m.png", sampleImage(200, 100))});
        editor.setSelectedTab(InspectorTab::annotate);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(EditorMarkup, AClickDrawsNothingButADragOnOneAxisDoes) {
    editor.selectAnnotationTool(AnnotationTool::arrow);
    drag({{0.5, 0.5}, {0.503, 0.503}});
    EXPECT_TRUE(editor.annotations().isEmpty());
    EXPECT_FALSE(editor.canUndo());
    EXPECT_FALSE(editor.draftAnnotation().has_value());

    editor.selectAnnotationTool(AnnotationTool::rectangle);
    drag({{0.2, 0.2}, {0.203, 0.5}});
    ASSERT_EQ(editor.annotations().size(), 1);
    const AnnotationItem& item = editor.annotations().first();
    EXPECT_EQ(item.start, (NormalizedPoint{0.2, 0.2}));
    EXPECT_EQ(item.end, (NormalizedPoint{0.203, 0.5}));
    EXPECT_EQ(item.color, editor.markupColor());
    EXPECT_EQ(item.redactStrength, editor.markupRedactStrength());
    EXPECT_TRUE(editor.canUndo());

    // A freehand stroke of more than two points stays even when it ends where it began.
    editor.selectAnnotationTool(AnnotationTool::freehand);
    drag({{0.6, 0.6}, {0.601, 0.6}, {0.601, 0.601}, {0.6, 0.6}});
    ASSERT_EQ(editor.annotations().size(), 2);
    EXPECT_EQ(editor.annotations().last().points.size(), 4);
}

TEST_F(EditorMarkup, ClicksMakeASpotHealSquareAndAClampedLoupe) {
    editor.selectAnnotationTool(AnnotationTool::spotHeal);
    drag({{0.005, 0.5}});
    ASSERT_EQ(editor.annotations().size(), 1);
    const AnnotationItem heal = editor.annotations().first();
    EXPECT_DOUBLE_EQ(heal.start.x, 0);
    EXPECT_NEAR(heal.start.y, 0.484, 1e-12);
    EXPECT_NEAR(heal.end.x, 0.021, 1e-12);
    EXPECT_NEAR(heal.end.y, 0.516, 1e-12);

    editor.setMarkupStrokeWidth(2); // 0.0064 is under the smallest radius
    drag({{0.5, 0.5}});
    EXPECT_NEAR(editor.annotations().last().end.x, 0.514, 1e-12);

    editor.selectAnnotationTool(AnnotationTool::magnifier);
    drag({{0.95, 0.3}});
    EXPECT_EQ(editor.annotations().last().end, (NormalizedPoint{1.0, 0.3}));
    drag({{0.2, 0.3}});
    EXPECT_NEAR(editor.annotations().last().end.x, 0.29, 1e-12);
}

TEST_F(EditorMarkup, EachPressPlacesExactlyOneBadgeOrLabel) {
    editor.selectAnnotationTool(AnnotationTool::stepNumber);
    drag({{0.1, 0.1}, {0.12, 0.1}, {0.15, 0.12}, {0.2, 0.2}}); // a slightly moving press
    drag({{0.4, 0.4}});
    ASSERT_EQ(editor.annotations().size(), 2);
    EXPECT_EQ(editor.annotations()[0].stepIndex, 1);
    EXPECT_EQ(editor.annotations()[0].start, (NormalizedPoint{0.1, 0.1}));
    EXPECT_EQ(editor.annotations()[1].stepIndex, 2);
    EXPECT_EQ(editor.nextStepNumber(), 3);

    editor.selectAnnotationTool(AnnotationTool::text);
    editor.setMarkupTextInput("  \n ");
    drag({{0.5, 0.5}, {0.52, 0.5}, {0.6, 0.5}});
    ASSERT_EQ(editor.annotations().size(), 3);
    EXPECT_EQ(editor.annotations().last().text, QStringLiteral("Note"));
    EXPECT_EQ(editor.annotations().last().end, editor.annotations().last().start);
    editor.setMarkupTextInput(" Exit ");
    drag({{0.7, 0.7}});
    EXPECT_EQ(editor.annotations().last().text, QStringLiteral("Exit"));

    // One undo step per placed item.
    editor.undo();
    editor.undo();
    EXPECT_EQ(editor.annotations().size(), 2);
}

TEST_F(EditorMarkup, StepNumbersSurviveRemoveLastAndRestartAfterClearAll) {
    editor.selectAnnotationTool(AnnotationTool::stepNumber);
    drag({{0.1, 0.1}});
    drag({{0.2, 0.2}});
    editor.removeLastAnnotation();
    EXPECT_EQ(editor.nextStepNumber(), 3);
    editor.clearAllAnnotations();
    EXPECT_EQ(editor.nextStepNumber(), 1);
    EXPECT_TRUE(editor.annotations().isEmpty());

    // Clearing nothing changes nothing, not even the number.
    editor.setNextStepNumber(7);
    const bool couldUndo = editor.canUndo();
    editor.undo(); // back to one badge
    editor.redo();
    editor.clearAllAnnotations();
    EXPECT_EQ(editor.nextStepNumber(), 7);
    EXPECT_EQ(editor.canUndo(), couldUndo);
}

TEST_F(EditorMarkup, TheUpperItemWinsAndMovesStartFromThePressCopy) {
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    drag({{0.1, 0.1}, {0.5, 0.5}});
    drag({{0.3, 0.3}, {0.7, 0.7}});
    const AnnotationItem lower = editor.annotations()[0];
    const AnnotationItem upper = editor.annotations()[1];

    editor.selectAnnotationTool(AnnotationTool::select);
    editor.handleMarkupDragChanged({0.4, 0.4});
    EXPECT_EQ(editor.selectedAnnotationID(), upper.id);
    // Pushed against the right edge the item is squashed; moved back it has its shape again.
    editor.handleMarkupDragChanged({0.9, 0.4});
    EXPECT_DOUBLE_EQ(editor.annotations()[1].end.x, 1.0);
    EXPECT_NEAR(editor.annotations()[1].start.x, 0.8, 1e-12);
    editor.handleMarkupDragChanged({0.5, 0.45});
    EXPECT_NEAR(editor.annotations()[1].start.x, 0.4, 1e-12);
    EXPECT_NEAR(editor.annotations()[1].end.x, 0.8, 1e-12);
    EXPECT_NEAR(editor.annotations()[1].end.y, 0.75, 1e-12);
    editor.handleMarkupDragEnded();
    EXPECT_EQ(editor.annotations()[0], lower);
    EXPECT_EQ(editor.selectedAnnotationID(), upper.id); // the selection stays

    // One snapshot for the grab: undo puts the item back where it was.
    editor.undo();
    EXPECT_EQ(editor.annotations()[1], upper);
}

TEST_F(EditorMarkup, APressOnEmptySpacePicksUpTheFirstItemReached) {
    editor.selectAnnotationTool(AnnotationTool::rectangle);
    drag({{0.6, 0.6}, {0.8, 0.8}});
    editor.selectAnnotationTool(AnnotationTool::select);
    editor.handleMarkupDragChanged({0.1, 0.1});
    EXPECT_FALSE(editor.selectedAnnotationID().has_value());
    editor.handleMarkupDragChanged({0.59, 0.59}); // inside the 0.02 margin
    EXPECT_EQ(editor.selectedAnnotationID(), editor.annotations()[0].id);
    editor.handleMarkupDragChanged({0.69, 0.59});
    EXPECT_NEAR(editor.annotations()[0].start.x, 0.7, 1e-12);
    editor.handleMarkupDragEnded();
}

TEST_F(EditorMarkup, DeletingNeedsASelectionAndTakesOneSnapshot) {
    editor.selectAnnotationTool(AnnotationTool::line);
    drag({{0.1, 0.1}, {0.3, 0.3}});
    drag({{0.6, 0.6}, {0.9, 0.9}});
    editor.selectAnnotationTool(AnnotationTool::select);
    editor.undo();                     // leaves one item and something to redo
    editor.deleteSelectedAnnotation(); // nothing selected: no change, no snapshot
    EXPECT_EQ(editor.annotations().size(), 1);
    EXPECT_TRUE(editor.canRedo());
    editor.redo();

    drag({{0.2, 0.2}});
    const QUuid first = editor.annotations()[0].id;
    editor.deleteSelectedAnnotation();
    ASSERT_EQ(editor.annotations().size(), 1);
    EXPECT_NE(editor.annotations()[0].id, first);
    EXPECT_FALSE(editor.selectedAnnotationID().has_value());
    editor.undo();
    EXPECT_EQ(editor.annotations().size(), 2);
}

TEST_F(EditorMarkup, ChoosingAToolLeavesCropEyedropperAndCompare) {
    editor.toggleCropMode();
    editor.setIsCompareMode(true);
    editor.selectAnnotationTool(AnnotationTool::highlighter);
    EXPECT_EQ(editor.activeTool(), AnnotationTool::highlighter);
    EXPECT_FALSE(editor.isCropMode());
    EXPECT_FALSE(editor.isCompareMode());
    EXPECT_FALSE(editor.isEyedropperActive());
}
