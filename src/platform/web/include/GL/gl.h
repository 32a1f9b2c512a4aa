#pragma once
// The browser's GL is emscripten's emulation of the fixed-function
// pipeline, which refuses GL_POLYGON. Every polygon the engine draws is
// convex, so a triangle fan over the same vertices draws the same surface.
#include_next <GL/gl.h>

#undef GL_POLYGON
#define GL_POLYGON GL_TRIANGLE_FAN
