#pragma once

// The fixed OpenGL state every frame assumes; needs a current context.
void setUpOpenGlState();

// The perspective of a window of this size (reshape).
void setViewport(int width, int height);
