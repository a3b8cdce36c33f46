// Markup gestures: drawing new items from canvas drags, selecting and moving items, deleting.
#include "editor/EditorViewModel.h"

#include <cmath>

namespace {

// A drag moving no farther than this on both axes is a click.
constexpr double kClickTolerance = 0.004;
constexpr double kMagnifierClickRadius = 0.09;
constexpr double kSpotHealRadiusPerStroke = 0.0032;
constexpr double kSpotHealMinRadius = 0.014;

} // namespace

void EditorViewModel::selectAnnotationTool(AnnotationTool tool) {
    const bool leavesCropMode = isCropMode();
    setActiveTool(tool);
    setIsCropMode(false);
    setIsEyedropperActive(false);
    setIsCompareMode(false);
    // The cached preview of crop mode is uncropped and unframed; leaving it needs the full
    // render, or the canvas would keep showing the whole image until the next edit.
    if (leavesCropMode)
        refreshPreview();
    else
        refreshAnnotationsOnly();
}

void EditorViewModel::handleMarkupDragChanged(NormalizedPoint point) {
    if (activeTool() != AnnotationTool::select) {
        if (!draftAnnotation()) {
            // Badges and labels are placed at the press; the rest of that press adds nothing.
            if (markupPressPlacedItem_) return;
            beginAnnotation(point);
        } else {
            updateAnnotation(point);
        }
        return;
    }
    if (!movingAnnotationStartPoint_) {
        const QList<AnnotationItem>& items = annotations();
        for (qsizetype i = items.size() - 1; i >= 0; --i) {
            if (!items[i].hitTest(point)) continue;
            setSelectedAnnotationID(items[i].id);
            movingAnnotationOrigin_ = items[i];
            movingAnnotationStartPoint_ = point;
            pushUndoSnapshot();
            refreshAnnotationsOnly();
            return;
        }
        // Nothing under the pointer yet: the next event of this drag tries again.
        setSelectedAnnotationID(std::nullopt);
        refreshAnnotationsOnly();
        return;
    }
    if (!movingAnnotationOrigin_) return;
    QList<AnnotationItem> items = annotations();
    for (AnnotationItem& item : items) {
        if (item.id != movingAnnotationOrigin_->id) continue;
        // Always from the copy taken at the press: an item squashed against an edge gets its
        // shape back when it is moved away again.
        item = movingAnnotationOrigin_->translated(point.x - movingAnnotationStartPoint_->x,
                                                   point.y - movingAnnotationStartPoint_->y);
        setAnnotations(items);
        refreshAnnotationsOnly();
        return;
    }
}

void EditorViewModel::handleMarkupDragEnded() {
    if (activeTool() != AnnotationTool::select) {
        endAnnotation();
    } else {
        movingAnnotationOrigin_.reset();
        movingAnnotationStartPoint_.reset();
    }
    markupPressPlacedItem_ = false;
}

void EditorViewModel::beginAnnotation(NormalizedPoint point) {
    setSelectedAnnotationID(std::nullopt);
    const AnnotationTool tool = activeTool();
    if (tool == AnnotationTool::stepNumber || tool == AnnotationTool::text) {
        AnnotationItem item{.tool = tool,
                            .start = point,
                            .end = point,
                            .color = markupColor(),
                            .lineWidth = markupStrokeWidth(),
                            .stepIndex = 1,
                            .redactStrength = 0.65};
        if (tool == AnnotationTool::stepNumber) {
            item.stepIndex = nextStepNumber();
        } else {
            const QString text = markupTextInput().trimmed();
            item.text = text.isEmpty() ? QStringLiteral("Note") : text;
        }
        pushUndoSnapshot();
        QList<AnnotationItem> items = annotations();
        items.append(item);
        setAnnotations(items);
        if (tool == AnnotationTool::stepNumber) setNextStepNumber(nextStepNumber() + 1);
        markupPressPlacedItem_ = true;
        refreshAnnotationsOnly();
        return;
    }
    AnnotationItem draft{.tool = tool,
                         .start = point,
                         .end = point,
                         .color = markupColor(),
                         .lineWidth = markupStrokeWidth(),
                         .stepIndex = 1,
                         .redactStrength = markupRedactStrength()};
    if (tool == AnnotationTool::freehand) draft.points = {point};
    setDraftAnnotation(draft);
    refreshAnnotationsOnly();
}

void EditorViewModel::updateAnnotation(NormalizedPoint point) {
    AnnotationItem draft = *draftAnnotation();
    draft.end = point;
    if (draft.tool == AnnotationTool::freehand) draft.points.append(point);
    setDraftAnnotation(draft);
    refreshAnnotationsOnly();
}

void EditorViewModel::endAnnotation() {
    if (!draftAnnotation()) return;
    AnnotationItem item = *draftAnnotation();
    setDraftAnnotation(std::nullopt);
    const bool isClick = std::abs(item.end.x - item.start.x) <= kClickTolerance &&
                         std::abs(item.end.y - item.start.y) <= kClickTolerance;
    if (isClick && item.tool == AnnotationTool::spotHeal) {
        const double r = std::max(markupStrokeWidth() * kSpotHealRadiusPerStroke, kSpotHealMinRadius);
        const NormalizedPoint p = item.start;
        item.start = {std::max(p.x - r, 0.0), std::max(p.y - r, 0.0)};
        item.end = {std::min(p.x + r, 1.0), std::min(p.y + r, 1.0)};
    } else if (isClick && item.tool == AnnotationTool::magnifier) {
        item.end = {std::min(item.start.x + kMagnifierClickRadius, 1.0), item.start.y};
    } else if (isClick && item.points.size() <= 2) {
        refreshAnnotationsOnly();
        return;
    }
    pushUndoSnapshot();
    QList<AnnotationItem> items = annotations();
    items.append(item);
    setAnnotations(items);
    refreshAnnotationsOnly();
}

void EditorViewModel::deleteSelectedAnnotation() {
    if (!selectedAnnotationID()) return;
    QList<AnnotationItem> items = annotations();
    const QUuid id = *selectedAnnotationID();
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const AnnotationItem& a) { return a.id == id; });
    if (found == items.end()) return;
    pushUndoSnapshot();
    items.erase(found);
    setAnnotations(items);
    setSelectedAnnotationID(std::nullopt);
    refreshAnnotationsOnly();
}

void EditorViewModel::removeLastAnnotation() {
    if (annotations().isEmpty()) return;
    pushUndoSnapshot();
    QList<AnnotationItem> items = annotations();
    const AnnotationItem removed = items.takeLast();
    setAnnotations(items);
    if (selectedAnnotationID() == removed.id) setSelectedAnnotationID(std::nullopt);
    refreshAnnotationsOnly();
}

void EditorViewModel::clearAllAnnotations() {
    if (annotations().isEmpty()) return;
    pushUndoSnapshot();
    setAnnotations({});
    setSelectedAnnotationID(std::nullopt);
    setNextStepNumber(1);
    refreshAnnotationsOnly();
}
