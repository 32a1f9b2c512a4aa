#include "entities/ParticleEffect.h"

#include "state/Camera.h"
#include "textures/Texture.h"
#include "world/Object.h"

#include <GL/gl.h>

void Particle::draw(DrawMode drawMode, const Texture* texture, const Camera& camera) const
{
    // Particles take no part in the cloud-shadow pass.
    if ((drawMode != DrawMode::textured && drawMode != DrawMode::untextured) || !(alpha > 0.0))
        return;
    const bool blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
    if (!blendWasOn) glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (drawMode == DrawMode::textured && texture) texture->bind();
    glColor4d(red, green, blue, alpha);

    // Centred on the position and turned like the camera, so it faces the viewer.
    const Vector3 eye = camera.placement.position();
    glPushMatrix();
    glTranslated(position.x - eye.x, position.y - eye.y, position.z - eye.z);
    glMultMatrixd(camera.placement.transform().data());
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex3d(-size, -size, 0);
    glTexCoord2d(1, 0);
    glVertex3d(size, -size, 0);
    glTexCoord2d(1, 1);
    glVertex3d(size, size, 0);
    glTexCoord2d(0, 1);
    glVertex3d(-size, size, 0);
    glEnd();
    glPopMatrix();

    if (!blendWasOn) glDisable(GL_BLEND);
}

void ParticleEffect::draw(DrawMode drawMode, const Camera& camera) const
{
    for (const Particle& p : particles) p.draw(drawMode, texture, camera);
}
