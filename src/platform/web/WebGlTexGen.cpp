// Texture-coordinate generation, which the browser's GL emulation lacks
// (its glTexGen throws): object-linear coordinates computed here for each
// vertex, the texture matrix applied here too, and an identity texture
// matrix lent to the emulation for the primitive. Only the cloud-shadow
// pass generates coordinates, and it draws with glVertex3d.

#include <GL/gl.h>

#include <array>

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glBegin(GLenum mode);
void emscripten_glEnd(void);
}

namespace {

struct Generation {
    std::array<bool, 3> enabled{};  // s, t, r
    std::array<std::array<float, 4>, 3> planes{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
    std::array<float, 16> textureMatrix{};  // read at glBegin
    bool lentIdentity = false;
    GLint matrixMode = GL_MODELVIEW;  // the caller's, put back
};

Generation generation;

int coordIndex(GLenum coord)
{
    return coord == GL_S ? 0 : coord == GL_T ? 1 : coord == GL_R ? 2 : -1;
}

int capIndex(GLenum cap)
{
    return cap == GL_TEXTURE_GEN_S   ? 0
           : cap == GL_TEXTURE_GEN_T ? 1
           : cap == GL_TEXTURE_GEN_R ? 2
                                     : -1;
}

bool generating()
{
    return generation.enabled[0] || generation.enabled[1] || generation.enabled[2];
}

}  // namespace

extern "C" {

void glTexGeni(GLenum, GLenum, GLint) {}  // object-linear is the one mode used

void glTexGendv(GLenum coord, GLenum name, const GLdouble* plane)
{
    const int i = coordIndex(coord);
    if (i < 0 || name != GL_OBJECT_PLANE) return;
    for (int k = 0; k < 4; ++k) generation.planes[i][k] = static_cast<float>(plane[k]);
}

void glEnable(GLenum cap)
{
    if (const int i = capIndex(cap); i >= 0) generation.enabled[i] = true;
    else emscripten_glEnable(cap);
}

void glDisable(GLenum cap)
{
    if (const int i = capIndex(cap); i >= 0) generation.enabled[i] = false;
    else emscripten_glDisable(cap);
}

void glBegin(GLenum mode)
{
    if (generating()) {
        glGetFloatv(GL_TEXTURE_MATRIX, generation.textureMatrix.data());
        glGetIntegerv(GL_MATRIX_MODE, &generation.matrixMode);
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(static_cast<GLenum>(generation.matrixMode));
        generation.lentIdentity = true;
    }
    emscripten_glBegin(mode);
}

void glEnd(void)
{
    emscripten_glEnd();
    if (generation.lentIdentity) {
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glMatrixMode(static_cast<GLenum>(generation.matrixMode));
        generation.lentIdentity = false;
    }
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    const float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
    if (generation.lentIdentity) {
        std::array<float, 4> in{0, 0, 0, 1};
        for (int i = 0; i < 3; ++i) {
            if (!generation.enabled[i]) continue;
            const auto& p = generation.planes[i];
            in[i] = p[0] * fx + p[1] * fy + p[2] * fz + p[3];
        }
        const auto& m = generation.textureMatrix;
        const float s = m[0] * in[0] + m[4] * in[1] + m[8] * in[2] + m[12] * in[3];
        const float t = m[1] * in[0] + m[5] * in[1] + m[9] * in[2] + m[13] * in[3];
        const float q = m[3] * in[0] + m[7] * in[1] + m[11] * in[2] + m[15] * in[3];
        glTexCoord2f(q != 0 ? s / q : s, q != 0 ? t / q : t);
    }
    glVertex3f(fx, fy, fz);
}

}  // extern "C"
