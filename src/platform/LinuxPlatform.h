#pragma once

#include "platform/SystemPlatform.h"

namespace platform {

// The real platform: GTK 3 dialogs, the steady clock, inotify for the
// watched world file, the cursor through freeglut. The GLUT shell feeds it
// the cursor positions it sees.
Platform& linuxPlatform();

}  // namespace platform
