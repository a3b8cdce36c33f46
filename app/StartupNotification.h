#pragma once

#include <QByteArray>

// The desktop's launch feedback on X11 (a busy pointer, a launching entry in the task bar) ends
// when the launched program shows its first window. A launch that hands its documents to the
// running TaviView shows none, so it ends the feedback itself; without this the pointer spins
// until the desktop gives up on it.
namespace startupnotification {

// The launch's id from DESKTOP_STARTUP_ID; read it before the application object exists, which
// takes the variable away.
QByteArray launchId();

// Tells the desktop the launch `id` is over (the freedesktop startup-notification "remove"
// message). Does nothing without an id or outside X11.
void complete(const QByteArray& id);

} // namespace startupnotification
