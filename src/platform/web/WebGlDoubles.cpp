// The double-precision and scalar GL entry points the engine calls that the
// browser's fixed-function emulation does not have, passed on to the float
// and vector forms it does (glVertex3d is in WebGlTexGen.cpp). The engine's own arithmetic stays in
// doubles; GL keeps floats anyway.

#include <GL/gl.h>

extern "C" {

void emscripten_glMaterialfv(GLenum face, GLenum name, const GLfloat* values);
void emscripten_glHint(GLenum target, GLenum mode);

void glVertex2d(GLdouble x, GLdouble y)
{
    glVertex2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
}

void glTexCoord2d(GLdouble s, GLdouble t)
{
    glTexCoord2f(static_cast<GLfloat>(s), static_cast<GLfloat>(t));
}

void glNormal3d(GLdouble x, GLdouble y, GLdouble z)
{
    glNormal3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

// The emulation lights with the light's colours and position only, from
// the front material; what it does not know it throws on, so it is kept
// from it: attenuation, the local viewer, the back material, emission.
void glLightf(GLenum, GLenum, GLfloat) {}

void glLightModeli(GLenum, GLint) {}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* values)
{
    if (face == GL_BACK || name == GL_EMISSION) return;
    emscripten_glMaterialfv(face, name, values);
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) { glMaterialfv(face, name, &value); }

// The emulation colours every vertex from glColor already.
void glColorMaterial(GLenum, GLenum) {}

// WebGL interpolates in perspective and smoothly anyway, and refuses the
// hint; the emulation warns on every shade model.
void glHint(GLenum target, GLenum mode)
{
    if (target != GL_PERSPECTIVE_CORRECTION_HINT) emscripten_glHint(target, mode);
}
void glShadeModel(GLenum) {}

// WebGL draws to and reads from its one back buffer.
void glDrawBuffer(GLenum) {}
void glReadBuffer(GLenum) {}

}  // extern "C"
