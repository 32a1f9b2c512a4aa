#pragma once

#include "math/Vector3.h"

#include <cmath>

// An axis-aligned box: around a moving object, or around every point a
// collision polygon or a subtree of the BSP tree can report.
struct BoundingBox {
    double minX = 0.0, minY = 0.0, minZ = 0.0;
    double maxX = 0.0, maxY = 0.0, maxZ = 0.0;

    // The box of one point.
    static BoundingBox at(const Vector3& p) { return {p.x, p.y, p.z, p.x, p.y, p.z}; }
    // The box around nothing: whatever it takes in becomes the whole box.
    static constexpr BoundingBox empty()
    {
        return {HUGE_VAL, HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    }
    // The box around everything.
    static constexpr BoundingBox everywhere()
    {
        return {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL, HUGE_VAL, HUGE_VAL, HUGE_VAL};
    }

    Vector3 low() const { return {minX, minY, minZ}; }
    Vector3 high() const { return {maxX, maxY, maxZ}; }

    // Widened to take in p.
    void include(const Vector3& p) { include(at(p)); }
    // Widened to take in the other box (an empty one changes nothing).
    void include(const BoundingBox& other)
    {
        if (other.minX < minX) minX = other.minX;
        if (other.minY < minY) minY = other.minY;
        if (other.minZ < minZ) minZ = other.minZ;
        if (other.maxX > maxX) maxX = other.maxX;
        if (other.maxY > maxY) maxY = other.maxY;
        if (other.maxZ > maxZ) maxZ = other.maxZ;
    }

    // Whether the segment a->b crosses one of the faces. A segment that
    // only touches a face (within 0.00001) or lies wholly inside crosses none.
    bool crossedBy(const Vector3& a, const Vector3& b) const;
};
