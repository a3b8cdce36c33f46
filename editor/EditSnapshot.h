#pragma once

#include "core/model/AnnotationItem.h"
#include "core/model/BackgroundStudioSettings.h"
#include "core/model/EditAdjustments.h"

#include <QList>

// One state of the current image's edit, recorded before each change so it can be undone.
struct EditSnapshot {
    EditAdjustments adjustments;
    QList<AnnotationItem> annotations;
    BackgroundStudioSettings bgSettings;
    bool operator==(const EditSnapshot&) const = default;
};
