#pragma once

#include <QString>

// The application's own read-only resource folder (it holds "Localizations", among others).
//
// In order: the folder set by setResourceDirectory() (tests), the environment variable
// TAVIVIEW_RESOURCES_DIR, "<prefix>/share/taviview" beside an installed executable in
// "<prefix>/bin", and, for an executable inside a CMake build tree, the source tree's "resources".
// Empty when none exists.
namespace AppResources {

QString resourceDirectory();

// Overrides the folder for this process; an empty path restores the normal search.
void setResourceDirectory(const QString& path);

} // namespace AppResources
