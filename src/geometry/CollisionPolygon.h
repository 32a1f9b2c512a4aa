#pragma once

#include "geometry/Plane.h"
#include "geometry/Vertex.h"
#include "math/Vector3.h"
#include "text/TokenReader.h"

#include <optional>
#include <vector>

// A convex polygon given by its plane and one inward-facing plane per edge,
// so a point in its plane is tested with dot products alone.
struct CollisionPolygon {
    Plane plane;
    std::vector<Plane> edgePlanes;
    std::vector<Vertex> vertices;  // corners; only the debug view uses them
    Vector3 debugColour;

    // True when p is inside every edge plane (distance >= -planeEpsilon).
    bool contains(const Vector3& p) const
    {
        for (const Plane& e : edgePlanes) {
            if (e.distance(p) < -planeEpsilon) return false;
        }
        return true;
    }
};

// plane, corner count, then per corner its edge plane and position.
std::optional<CollisionPolygon> readCollisionPolygon(TokenReader& in);

// Writes a record the reader reads back (tools and tests).
void writeCollisionPolygon(std::string& out, const CollisionPolygon& polygon);
