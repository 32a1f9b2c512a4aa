// Our placement arithmetic against the real GL matrix stack: the same
// products glTranslated and glRotated build, and the stack left alone.
#include "math/Matrix4.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

namespace {

Matrix4 readModelview()
{
    Matrix4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, m.m.data());
    return m;
}

void expectSame(const Matrix4& ours, const Matrix4& gl)
{
    // GL implementations may compute in single precision.
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(ours[i], gl[i], 1e-5) << "element " << i;
}

Matrix4 start()
{
    Matrix4 m;
    m.postTranslate({3, -2, 7});
    m.postRotate({20, -35, 50});
    return m;
}

TEST(MatrixGl, CompositionsMatchTheGlMatrixStack)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    const std::array<Vector3, 4> angles{{{0, 90, 0}, {30, 45, 60}, {-10, 0, 170}, {0, 0, 0}}};
    for (const Vector3& a : angles) {
        // Post: M * Rz * Rx * Ry.
        Matrix4 ours = start();
        ours.postRotate(a);
        glLoadMatrixd(start().data());
        glRotated(a.z, 0, 0, 1);
        glRotated(a.x, 1, 0, 0);
        glRotated(a.y, 0, 1, 0);
        expectSame(ours, readModelview());

        // Pre: Ry * Rx * Rz * M.
        ours = start();
        ours.preRotate(a);
        glLoadIdentity();
        glRotated(a.y, 0, 1, 0);
        glRotated(a.x, 1, 0, 0);
        glRotated(a.z, 0, 0, 1);
        glMultMatrixd(start().data());
        expectSame(ours, readModelview());
    }

    const Vector3 v{1.5, -4, 2.25};
    Matrix4 ours = start();
    ours.postTranslate(v);
    glLoadMatrixd(start().data());
    glTranslated(v.x, v.y, v.z);
    expectSame(ours, readModelview());

    ours = start();
    ours.preTranslate(v);
    glLoadIdentity();
    glTranslated(v.x, v.y, v.z);
    glMultMatrixd(start().data());
    expectSame(ours, readModelview());
    glPopMatrix();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
