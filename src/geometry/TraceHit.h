#pragma once

#include "geometry/Plane.h"
#include "math/Vector3.h"

// Where a segment query met a surface. Queries return it as
// std::optional<TraceHit>: none on a miss, so a miss cannot leave a stale
// distance or point behind.
struct TraceHit {
    double distance = 0.0;  // from the segment's start, in world units
    Vector3 point;
    Plane plane;
};
