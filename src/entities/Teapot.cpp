#include "entities/Teapot.h"

#include <GL/freeglut.h>

std::unique_ptr<Object> readTeapot(TokenReader& in, World&)
{
    auto teapot = std::make_unique<Teapot>();
    Vector3& s = teapot->scale;
    Vector3& p = teapot->position;
    if (!(in.readDouble(s.x) && in.readDouble(s.y) && in.readDouble(s.z) && in.readDouble(p.x) &&
          in.readDouble(p.y) && in.readDouble(p.z) && in.readInt(teapot->style) &&
          in.readDouble(teapot->angle))) {
        return nullptr;
    }
    return teapot;
}

void Teapot::update(const FrameContext&)
{
    // Per frame, so it turns faster at higher frame rates; one turn comes
    // off at most, so a large starting angle winds down over frames.
    angle += turnPerFrame;
    if (angle >= 360.0) angle -= 360.0;
}

void Teapot::draw(DrawMode drawMode, const FrameContext&)
{
    if (drawMode == DrawMode::cloudShadows) return;
    glPushMatrix();
    glTranslated(position.x, position.y, position.z);
    glRotated(angle, 0, 1, 0);
    // Mirrored front to back. GLUT winds the teapot's faces clockwise; the
    // mirror turns them counter-clockwise, so back-face culling keeps the
    // outside rather than the inside.
    glScaled(scale.x, scale.y, -scale.z);
    if (style == wireStyle) glutWireTeapot(0.5);
    else if (style == solidStyle) glutSolidTeapot(0.5);
    glPopMatrix();
}
