#include "world/Object.h"

#include "world/PolygonDraw.h"

void Object::draw(DrawMode drawMode, const FrameContext&)
{
    for (const Polygon& polygon : polygons) drawPolygon(polygon, drawMode);
}
