#include "world/Object.h"

void Object::draw(int drawMode, const FrameContext&)
{
    for (const Polygon& polygon : polygons) drawPolygon(polygon, drawMode);
}
