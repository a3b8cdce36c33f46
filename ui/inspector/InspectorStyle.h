#pragma once

#include <QString>

namespace inspector {

// The panel's style sheet: the looks of its roles (chip, pill, compact, tab, caption, ...) in the
// window's dark theme.
QString inspectorStyleSheet();

} // namespace inspector
