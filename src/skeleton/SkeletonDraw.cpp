#include "skeleton/Skeleton.h"

#include <GL/gl.h>

void Skeleton::draw() const
{
    // Untextured lines; texturing goes back as the caller had it,
    // so a view with texture mapping off stays untextured after the body.
    const bool textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
    glDisable(GL_TEXTURE_2D);
    for (const Bone& bone : bones) {
        glPushMatrix();
        glMultMatrixd(bone.poseMatrix.data());
        if (bone.length != 0.0) {
            glBegin(GL_LINES);
            glVertex3d(0.0, 0.0, 0.0);
            glVertex3d(0.0, 0.0, bone.length);
        } else {
            glBegin(GL_POINTS);
            glVertex3d(0.0, 0.0, 0.0);
        }
        glEnd();
        glPopMatrix();
    }
    if (textured) glEnable(GL_TEXTURE_2D);
}
