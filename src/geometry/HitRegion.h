#pragma once

#include "geometry/BoundingBox.h"
#include "geometry/Plane.h"
#include "math/Vector3.h"

#include <optional>
#include <vector>

// The box around every point of `plane` that a polygon with these edge
// planes accepts (`contains`, tolerance planeEpsilon), loosened so that
// crossing points a little off the plane, or rounded, stay inside it; an
// empty box when the edges accept no point. Worked out from the planes
// alone, since a file's edge planes need not match its corners. None when
// the region is unbounded (fewer than three edges, parallel edges, no
// edges at all), reaches further than
// `hitRegionReach` from the origin, or cannot be worked out with
// confidence (degenerate or non-finite planes, more than 64 edges).
std::optional<BoundingBox> hitRegionBounds(const Plane& plane,
                                           const std::vector<Plane>& edgePlanes);

// A corner of that region, with a bound on its rounding in every coordinate.
struct HitCorner {
    Vector3 point;
    double rounding = 0.0;
};

// Grows the box to hold the corner with its rounding.
void includeCorner(BoundingBox& box, const HitCorner& corner);

// The region's corners, appended to `corners`: every accepted point lies
// within the loosening of their convex hull, so the extremes of any linear
// measure (a distance to another plane, say) over the region are found at
// them. False, with nothing appended, where hitRegionBounds gives none.
bool appendHitRegionCorners(const Plane& plane, const std::vector<Plane>& edgePlanes,
                            std::vector<HitCorner>& corners);

// Regions further out than this are left unbounded: the rounding of their
// corners would outgrow the loosening.
constexpr double hitRegionReach = 1e7;
