#include "entities/Skybox.h"
#include "world/PolygonDraw.h"

#include "state/Camera.h"
#include "world/FrameContext.h"

#include <GL/gl.h>

void Skybox::draw(DrawMode drawMode, const FrameContext& frame)
{
    // Neither the untextured view nor the cloud-shadow pass shows the sky.
    if (drawMode != DrawMode::textured) return;

    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    const Vector3 eye = frame.camera.placement.position();
    glTranslated(eye.x, eye.y, eye.z);
    glScaled(scale, scale, scale);

    bool blendWasOn = true;
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (i != cloudLayer) {
            drawPolygon(polygons[i], DrawMode::textured);
            continue;
        }
        // The cloud layer: translucent, its texture repeated and scrolled.
        blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glScaled(cloudRepeats, cloudRepeats, cloudRepeats);
        glTranslated(-cloudOffset.x, -cloudOffset.y, -cloudOffset.z);
        drawPolygon(polygons[i], DrawMode::textured);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        // Polygons after the cloud layer are blended too.
    }
    if (!blendWasOn) glDisable(GL_BLEND);

    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}
