#pragma once

#include "math/Vector3.h"

// An axis-aligned box in world coordinates.
struct BoundingBox {
    double minX = 0.0, minY = 0.0, minZ = 0.0;
    double maxX = 0.0, maxY = 0.0, maxZ = 0.0;

    // The box of one point.
    static BoundingBox at(const Vector3& p) { return {p.x, p.y, p.z, p.x, p.y, p.z}; }

    // Widened to take in p.
    void include(const Vector3& p)
    {
        if (p.x < minX) minX = p.x;
        if (p.y < minY) minY = p.y;
        if (p.z < minZ) minZ = p.z;
        if (p.x > maxX) maxX = p.x;
        if (p.y > maxY) maxY = p.y;
        if (p.z > maxZ) maxZ = p.z;
    }

    // Whether the segment a->b crosses one of the faces. A segment that
    // only touches a face (within 0.00001) or lies wholly inside crosses none.
    bool crossedBy(const Vector3& a, const Vector3& b) const;
};
