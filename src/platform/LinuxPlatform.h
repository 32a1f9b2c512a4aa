#pragma once

#include "platform/Platform.h"

namespace platform {

// The real platform: GTK 3 dialogs, the steady clock, inotify for the
// watched world file, the cursor through freeglut. The GLUT shell feeds it
// the cursor positions it sees.
Platform& linuxPlatform();

// Called from the GLUT motion callbacks with window coordinates.
void noteCursorPosition(int x, int y);

}  // namespace platform
