#include "entities/Vehicle.h"

#include <GL/freeglut.h>

#include <array>

namespace {

using Quad = std::array<std::array<double, 3>, 4>;

// The open shell around the driver's seat, in object coordinates (forward -z).
constexpr std::array<Quad, 4> shell{{
    {{{-0.6, -0.4, 0}, {-0.6, -0.4, -1.8}, {-0.6, 0.4, -1.5}, {-0.6, 0.4, 0}}},  // left side
    {{{0.6, 0.4, 0}, {0.6, 0.4, -1.5}, {0.6, -0.4, -1.8}, {0.6, -0.4, 0}}},      // right side
    {{{-0.6, 0.4, 0}, {-0.6, 0.4, -1.5}, {0.6, 0.4, -1.5}, {0.6, 0.4, 0}}},      // roof
    {{{0.6, -0.4, 0}, {0.6, -0.4, -2.2}, {-0.6, -0.4, -2.2}, {-0.6, -0.4, 0}}},  // floor
}};

}  // namespace

void Vehicle::draw(DrawMode drawMode, const FrameContext&)
{
    if (drawMode == DrawMode::cloudShadows) return;

    glPushMatrix();
    glMultMatrixd(placement.transform().data());
    const bool textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    glDisable(GL_TEXTURE_2D);
    if (occupied) {
        glColor3d(0, 0, 1);
        for (const Quad& side : shell) {
            glBegin(GL_POLYGON);
            for (const auto& v : side) glVertex3d(v[0], v[1], v[2]);
            glEnd();
        }
    } else {
        // A red ball with a small green one on its front.
        glScaled(scale.x, scale.y, scale.z);
        glColor3d(1, 0, 0);
        glutSolidSphere(0.35, 8, 8);
        glTranslated(0, 0, -0.5);
        glColor3d(0, 1, 0);
        glutSolidSphere(0.15, 8, 8);
    }
    glColor3d(1, 1, 1);
    // Texturing goes back as it was found: with texture mapping off, what is
    // drawn after the vehicle stays untextured.
    if (textured) glEnable(GL_TEXTURE_2D);
    glPopMatrix();
}
