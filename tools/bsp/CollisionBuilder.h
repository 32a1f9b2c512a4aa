#pragma once

#include "geometry/CollisionPolygon.h"
#include "math/Vector3.h"

#include <optional>
#include <string>
#include <vector>

namespace tools {

// Coordinates farther out than this lose the precision planeEpsilon assumes.
constexpr double farthestCoordinate = 1.0e7;

// The collision polygon of a convex polygon given by its corners in drawing
// order: its plane (facing the same way as faceNormal when that is not
// zero, otherwise as the winding says) and one inward-facing edge plane per
// edge. Repeated corners are merged. None, with the reason in `problem`,
// for fewer than three distinct corners, collinear corners (no area), a
// polygon that is not convex, or coordinates that are not usable numbers.
std::optional<CollisionPolygon> makeCollisionPolygon(const std::vector<Vector3>& corners,
                                                     const Vector3& faceNormal,
                                                     std::string* problem = nullptr);

// How far the corners of a polygon stray from its plane.
double planarityError(const CollisionPolygon& polygon);

// Which side of a plane a polygon lies on, with planeEpsilon as tolerance.
enum class Side { Coplanar, Front, Back, Spanning };
Side classify(const CollisionPolygon& polygon, const Plane& plane);

// A polygon in the plane that accepts no point: a tiny triangle near `near`
// whose edge planes face outwards. It lets a node part space along a plane
// that no surface lies in; a trace never reports it.
CollisionPolygon splittingPolygon(const Plane& plane, const Vector3& near);

// Cuts a spanning polygon along the plane. Each piece keeps the polygon's
// plane and the edge planes of the original edges it keeps, and gets one
// new edge plane along the cut, facing into the piece. A piece that comes
// out without area is left empty (no corners).
struct SplitPieces {
    CollisionPolygon front;
    CollisionPolygon back;
};
SplitPieces split(const CollisionPolygon& polygon, const Plane& plane);

inline Vector3 position(const Vertex& v) { return v.position; }

}  // namespace tools
