#include "world/Object.h"

void Object::draw(int drawMode)
{
    for (const Polygon& polygon : polygons) drawPolygon(polygon, drawMode);
}
