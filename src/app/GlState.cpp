#include "app/GlState.h"

#include <GL/gl.h>
#include <GL/glu.h>

void setUpOpenGlState()
{
    glEnable(GL_TEXTURE_2D);
    glPointSize(6.0f);
    glLineWidth(3.0f);

    // Replaced by the first reshape before anything is drawn.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, 1.0, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);

    // Set up but never enabled: world shading comes from vertex colours.
    const GLfloat diffuse[] = {1, 1, 1, 1};
    const GLfloat position[] = {1, 1, 1, 0};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0.1f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.05f);

    glDisable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);

    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);

    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    // LEQUAL lets the cloud pass redraw the same surfaces at the same depth.
    glDepthFunc(GL_LEQUAL);

    glShadeModel(GL_SMOOTH);

    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_ALPHA_TEST);
    glPolygonOffset(0.0f, -3.0f);

    const GLfloat frontDiffuse[] = {0.2f, 0.2f, 0.2f, 1};
    const GLfloat frontAmbient[] = {0.8f, 0.8f, 0.8f, 1};
    const GLfloat frontSpecular[] = {0.1f, 0.1f, 0.1f, 1};
    const GLfloat noEmission[] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT, GL_DIFFUSE, frontDiffuse);
    glMaterialfv(GL_FRONT, GL_AMBIENT, frontAmbient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, frontSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, 70.0f);
    glMaterialfv(GL_FRONT, GL_EMISSION, noEmission);

    const GLfloat black[] = {0, 0, 0, 1};
    glMaterialfv(GL_BACK, GL_DIFFUSE, black);
    glMaterialfv(GL_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_BACK, GL_SPECULAR, black);
    glMaterialf(GL_BACK, GL_SHININESS, 0.0f);
    glMaterialfv(GL_BACK, GL_EMISSION, noEmission);

    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void setViewport(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = height == 0 ? 1.0 : static_cast<double>(width) / height;
    gluPerspective(40.0, aspect, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
}
