#pragma once
// freeglut's extensions the game uses, over emscripten's GLUT. What the
// browser's GLUT lacks is supplied by src/platform/web/WebGlut.cpp.
#include <GL/gl.h>
#include <GL/glut.h>

#define GLUT_ACTION_ON_WINDOW_CLOSE 0x01F9
#define GLUT_ACTION_GLUTMAINLOOP_RETURNS 1

#ifdef __cplusplus
extern "C" {
#endif
void glutLeaveMainLoop(void);
void glutSetOption(GLenum what, int value);
void glutCloseFunc(void (*callback)(void));
#ifdef __cplusplus
}
#endif
