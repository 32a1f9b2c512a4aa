#include "entities/Light.h"

#include "state/Camera.h"
#include "textures/Texture.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <GL/gl.h>

void Light::draw(DrawMode drawMode, const FrameContext& frame)
{
    if (drawMode != DrawMode::textured) return;
    if (!(coronaSize > 0.0) || !coronaTexture) return;

    // Hidden as soon as anything of the world stands in the way.
    const Vector3 eye = frame.camera.placement.position();
    if (frame.world.traceSegment(eye, position)) return;

    const bool blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
    if (!blendWasOn) glEnable(GL_BLEND);
    // Additive: the corona only ever brightens what is behind it.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    coronaTexture->bind();

    // At the light, turned like the camera, so the square faces the viewer.
    glPushMatrix();
    const Vector3 offset = position - eye;
    glTranslated(offset.x, offset.y, offset.z);
    glMultMatrixd(frame.camera.placement.transform().data());

    const double s = coronaSize;
    glColor3d(red, green, blue);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex3d(-s, -s, 0);
    glTexCoord2d(1, 0);
    glVertex3d(s, -s, 0);
    glTexCoord2d(1, 1);
    glVertex3d(s, s, 0);
    glTexCoord2d(0, 1);
    glVertex3d(-s, s, 0);
    glEnd();
    glColor3d(1, 1, 1);

    glPopMatrix();
    if (!blendWasOn) glDisable(GL_BLEND);
}
