#pragma once

#include "math/Vector3.h"

// Every plane-side and inside test of the geometry uses this tolerance.
constexpr double planeEpsilon = 0.00001;

// (a, b, c) is the unit normal, d the offset; the signed distance of p is
// a*p.x + b*p.y + c*p.z + d, positive on the front side.
struct Plane {
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;

    double distance(const Vector3& p) const { return a * p.x + b * p.y + c * p.z + d; }
    Vector3 normal() const { return {a, b, c}; }
};
