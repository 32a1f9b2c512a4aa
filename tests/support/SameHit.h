#pragma once

// Whether two trace answers are the same to the last bit (distance, point
// and plane): for checks that a faster walk answers exactly what a plain one does.

#include "geometry/TraceHit.h"

#include <cstring>
#include <optional>

inline bool sameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

inline bool sameBits(const Vector3& u, const Vector3& v)
{
    return sameBits(u.x, v.x) && sameBits(u.y, v.y) && sameBits(u.z, v.z);
}

inline bool sameHit(const std::optional<TraceHit>& x, const std::optional<TraceHit>& y)
{
    if (x.has_value() != y.has_value()) return false;
    if (!x) return true;
    const Plane& p = x->plane;
    const Plane& q = y->plane;
    return sameBits(x->distance, y->distance) && sameBits(x->point, y->point) &&
           sameBits(p.a, q.a) && sameBits(p.b, q.b) && sameBits(p.c, q.c) && sameBits(p.d, q.d);
}
