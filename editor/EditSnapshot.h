#pragma once

#include "core/model/AnnotationItem.h"
#include "core/model/BackgroundStudioSettings.h"
#include "core/model/EditAdjustments.h"

#include <QImage>
#include <QList>
#include <optional>

// One state of the current image's edit, recorded before each change so it can be undone.
struct EditSnapshot {
    EditAdjustments adjustments;
    QList<AnnotationItem> annotations;
    BackgroundStudioSettings bgSettings;
    // A trim bakes the recipe and the markup into new source pixels and resets both, and a
    // recomputed cut-out replaces the masks: undoing either must bring back the pixels the
    // restored recipe and settings were made for. Bitmaps are shared, not copied.
    std::optional<QImage> trimmedSource;
    std::optional<QImage> trimmedPreview;
    std::optional<QImage> fullSubjectMask;
    std::optional<QImage> previewSubjectMask;
    bool operator==(const EditSnapshot&) const = default;
};
