#pragma once

#include "core/localization/AppLanguage.h"

#include <Qt>

namespace workspace {

// The direction the interface reads in: right to left for Arabic, Persian and Hebrew.
Qt::LayoutDirection interfaceDirection(AppLanguage language);

// Lays out every window of the application in the language's direction. Widgets that show the
// photo or measure along an axis (the canvas, the histogram, the sliders) fix their own direction
// to left-to-right and are not affected.
void applyInterfaceDirection(AppLanguage language);

} // namespace workspace
