#pragma once

#include "platform/Platform.h"

namespace platform {

// The platform the program runs on, the one current() gives before any
// install: Linux (LinuxPlatform.cpp) or the browser (web/WebPlatform.cpp).
// Each build compiles exactly one of the two.
Platform& systemPlatform();

// Called from the GLUT motion callbacks with window coordinates.
void noteCursorPosition(int x, int y);

}  // namespace platform
