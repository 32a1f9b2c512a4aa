#include "world/PolygonDraw.h"

#include "textures/Texture.h"

#include <GL/gl.h>

void drawPolygon(const Polygon& polygon, DrawMode drawMode)
{
    if (drawMode == DrawMode::textured && polygon.texture) polygon.texture->bind();
    // Only upward-facing and vertical faces receive cloud shadows.
    if (drawMode == DrawMode::cloudShadows && polygon.normal.y < 0.0) return;

    glBegin(GL_POLYGON);
    for (const Vertex& v : polygon.vertices) {
        if (drawMode == DrawMode::textured) glTexCoord2d(v.u, v.v);
        glColor3d(v.r, v.g, v.b);
        glVertex3d(v.position.x, v.position.y, v.position.z);
    }
    glEnd();
}

namespace {

void drawDebugPolygon(const CollisionPolygon& polygon)
{
    if (polygon.vertices.size() > 2) {
        glColor4d(polygon.debugColour.x, polygon.debugColour.y, polygon.debugColour.z, 1.0);
        glBegin(GL_POLYGON);
    } else {
        glColor4d(1.0, 1.0, 1.0, 1.0);
        glLineWidth(6.0f);
        glBegin(GL_LINES);
    }
    for (const Vertex& v : polygon.vertices) glVertex3d(v.position.x, v.position.y, v.position.z);
    glEnd();
    // Back to the width start-up sets.
    if (polygon.vertices.size() <= 2) glLineWidth(3.0f);
}
}  // namespace

void drawDebug(const BspNode& node)
{
    for (const CollisionPolygon& polygon : node.polygons) drawDebugPolygon(polygon);
    if (node.front) drawDebug(*node.front);
    if (node.back) drawDebug(*node.back);
    glColor4d(1.0, 1.0, 1.0, 1.0);
}
