#include "world/World.h"

void World::lightVertex(Vertex& vertex) const
{
    vertex.r = ambientLight.red;
    vertex.g = ambientLight.green;
    vertex.b = ambientLight.blue;
    const Vector3 at = vertex.position;
    const Vector3 normal = vertex.normal;
    for (const PointLight* entry : pointLights) {
        const PointLight& light = *entry;
        // Cheapest test first: range, then the trace, then the facing.
        Vector3 towards = light.position - at;
        const double distance = towards.length();
        if (!(distance < light.range)) continue;
        if (traceSegment(at, light.position)) continue;  // in shadow
        if (distance > planeEpsilon) towards /= distance;
        const double lambert = normal.dot(towards);
        if (!(lambert > 0.0)) continue;
        const double f = lambert * (light.range - distance) / light.range;
        vertex.r += f * light.red;
        vertex.g += f * light.green;
        vertex.b += f * light.blue;
    }
    // No lower clamp.
    if (vertex.r > 1.0) vertex.r = 1.0;
    if (vertex.g > 1.0) vertex.g = 1.0;
    if (vertex.b > 1.0) vertex.b = 1.0;
}
