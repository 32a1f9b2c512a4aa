#include "state/GameSettings.h"
#include "world/FrameContext.h"
#include "world/PolygonDraw.h"
#include "world/World.h"

#include <GL/gl.h>

namespace {

// Texture coordinates from object-space x, y and z. The planes are set here
// rather than by the loader so that loading never needs a GL context; with
// GL_OBJECT_LINEAR they do not depend on the modelview matrix, so setting
// them each pass is the same as setting them once.
void setUpCloudCoordinateGeneration()
{
    static const GLdouble planeS[4] = {1, 0, 0, 0};
    static const GLdouble planeT[4] = {0, 1, 0, 0};
    static const GLdouble planeR[4] = {0, 0, 1, 0};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGendv(GL_S, GL_OBJECT_PLANE, planeS);
    glTexGendv(GL_T, GL_OBJECT_PLANE, planeT);
    glTexGendv(GL_R, GL_OBJECT_PLANE, planeR);
}

void drawCloudShadowPass(const World& world, const FrameContext& frame)
{
    world.cloudTexture->bind();
    const bool blendWasOn = glIsEnabled(GL_BLEND) == GL_TRUE;
    // Multiply the frame by the cloud texture: dark texels darken the world.
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glEnable(GL_BLEND);

    setUpCloudCoordinateGeneration();
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);

    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glScaled(0.03, 0.03, 0.03);
    glTranslated(-world.cloudOffset.x, -world.cloudOffset.y, -world.cloudOffset.z);
    glMultMatrixd(world.cloudTextureMatrix->data());
    glMatrixMode(GL_MODELVIEW);

    for (const auto& object : world.objects) {
        if (object) object->draw(DrawMode::cloudShadows, frame);
    }

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    // The blend function stays as set; only the enable is put back.
    if (!blendWasOn) glDisable(GL_BLEND);
}

}  // namespace

void World::draw(const FrameContext& frame) const
{
    const GameSettings& settings = frame.settings;

    if (settings.bspView) {
        glDisable(GL_TEXTURE_2D);
        if (const BspNode* root = bspTree.root()) drawDebug(*root);
        glEnable(GL_TEXTURE_2D);
        return;
    }

    if (settings.texturing) glEnable(GL_TEXTURE_2D);
    else glDisable(GL_TEXTURE_2D);

    const DrawMode mode = settings.texturing ? DrawMode::textured : DrawMode::untextured;
    for (const auto& object : objects) {
        if (object) object->draw(mode, frame);
    }
    glColor3d(1, 1, 1);

    if (!settings.texturing) return;

    if (settings.cloudShadows && cloudTexture && cloudTextureMatrix)
        drawCloudShadowPass(*this, frame);

    // Coronas last, over everything, and never hidden by the depth buffer
    // (each light decides its own visibility).
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    for (const auto& light : lights) {
        if (light) light->draw(DrawMode::textured, frame);
    }
    glEnable(GL_DEPTH_TEST);
}
