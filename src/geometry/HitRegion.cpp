#include "geometry/HitRegion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr std::size_t mostEdges = 64;

// Calls visit(corner) for every corner of the region; false when the region
// has none that can be trusted (then some corners may have been visited).
// A bounded region without a corner is empty: its edges face apart, as in
// the compiler's splitting planes that hold no surface.
// `fixedCount`, when not 0, is the number of edges, known to the compiler
// so that it can unroll the loops over them.
template <std::size_t fixedCount, class Visit>
bool visitCornersOf(const Plane& plane, const std::vector<Plane>& edgePlanes, Visit& visit)
{
    const std::size_t count = fixedCount != 0 ? fixedCount : edgePlanes.size();
    if (count < 3 || count > mostEdges) return false;
    const Vector3 n = plane.normal();
    const double nn = n.dot(n);
    if (!(nn > 1e-12) || !std::isfinite(nn) || !std::isfinite(plane.d)) return false;
    const Vector3 origin = n * (-plane.d / nn);
    const Vector3 helper =
        std::fabs(n.x) < 0.9 * std::sqrt(nn) ? Vector3{1, 0, 0} : Vector3{0, 1, 0};
    Vector3 u1 = n.cross(helper);
    u1 /= u1.length();
    Vector3 u2 = n.cross(u1);
    u2 /= u2.length();

    // Edge k in the plane: gx*s + gy*t + c >= 0, loosened by more than
    // planeEpsilon to cover crossing points a little off the plane.
    double gx[mostEdges], gy[mostEdges], c[mostEdges], gLength[mostEdges];
    // Terms of the corner tests below that depend on one edge alone, worked
    // out once per edge rather than once per pair (the same values).
    double onePlusC[mostEdges], cOverLength[mostEdges];
    for (std::size_t k = 0; k < count; ++k) {
        const Plane& e = edgePlanes[k];
        const Vector3 en = e.normal();
        const double enLength = en.length();
        gx[k] = en.dot(u1);
        gy[k] = en.dot(u2);
        // hypot only where the squares could overflow or vanish: it is
        // several times dearer than a square root, and loading calls this
        // for every polygon.
        const double squared = gx[k] * gx[k] + gy[k] * gy[k];
        gLength[k] =
            squared > 1e-280 && squared < 1e280 ? std::sqrt(squared) : std::hypot(gx[k], gy[k]);
        c[k] = e.distance(origin) + planeEpsilon + 1e-6 * enLength;
        if (!std::isfinite(c[k]) || !(gLength[k] > 1e-9 * enLength)) return false;
        onePlusC[k] = 1 + std::fabs(c[k]);
        cOverLength[k] = std::fabs(c[k]) / gLength[k];
    }
    // Bounded: no direction in the plane escapes every edge.
    for (std::size_t k = 0; k < count; ++k) {
        for (double sense : {1.0, -1.0}) {
            const double rx = -gy[k] * sense, ry = gx[k] * sense;
            bool blocked = false;
            for (std::size_t m = 0; m < count && !blocked; ++m)
                blocked = gx[m] * rx + gy[m] * ry < -1e-9 * gLength[m] * gLength[k];
            if (!blocked) return false;
        }
    }
    // Corners: where two edges meet inside all the others (a lenient
    // inside test only widens the box, which stays safe). Each corner is
    // widened by a bound on its own rounding, which grows as the two edges
    // approach parallel.
    for (std::size_t p = 0; p < count; ++p) {
        for (std::size_t q = p + 1; q < count; ++q) {
            const double det = gx[p] * gy[q] - gy[p] * gx[q];
            if (std::fabs(det) <= 1e-12 * gLength[p] * gLength[q]) continue;
            const double s = (-c[p] * gy[q] + c[q] * gy[p]) / det;
            const double t = (-gx[p] * c[q] + gx[q] * c[p]) / det;
            const double reachST = std::fabs(s) + std::fabs(t);
            bool inside = true;
            for (std::size_t m = 0; m < count && inside; ++m) {
                const double tolerance = 1e-6 * (onePlusC[m] + gLength[m] * reachST);
                inside = gx[m] * s + gy[m] * t + c[m] >= -tolerance;
            }
            if (!inside) continue;
            const double sine = std::fabs(det) / (gLength[p] * gLength[q]);
            const double rounding =
                1e-10 * (1 + cOverLength[p] + cOverLength[q] + std::fabs(s) + std::fabs(t)) / sine;
            const Vector3 x = origin + u1 * s + u2 * t;
            const double reach = std::max({std::fabs(x.x), std::fabs(x.y), std::fabs(x.z)});
            if (!(reach + rounding <= hitRegionReach)) return false;
            visit(HitCorner{x, rounding});
        }
    }
    // A non-empty bounded region has at least three corners where two
    // edges meet inside the rest, and the lenient test above keeps them.
    return true;
}

// Triangles (every terrain cell) and quadrilaterals are most of a world.
template <class Visit>
bool visitCorners(const Plane& plane, const std::vector<Plane>& edgePlanes, Visit&& visit)
{
    switch (edgePlanes.size()) {
    case 3: return visitCornersOf<3>(plane, edgePlanes, visit);
    case 4: return visitCornersOf<4>(plane, edgePlanes, visit);
    default: return visitCornersOf<0>(plane, edgePlanes, visit);
    }
}
}  // namespace

void includeCorner(BoundingBox& box, const HitCorner& corner)
{
    const Vector3& x = corner.point;
    const double r = corner.rounding;
    box.minX = std::min(box.minX, x.x - r);
    box.minY = std::min(box.minY, x.y - r);
    box.minZ = std::min(box.minZ, x.z - r);
    box.maxX = std::max(box.maxX, x.x + r);
    box.maxY = std::max(box.maxY, x.y + r);
    box.maxZ = std::max(box.maxZ, x.z + r);
}

std::optional<BoundingBox> hitRegionBounds(const Plane& plane, const std::vector<Plane>& edgePlanes)
{
    BoundingBox box = BoundingBox::empty();
    const bool bounded =
        visitCorners(plane, edgePlanes, [&box](const HitCorner& c) { includeCorner(box, c); });
    if (!bounded) return std::nullopt;
    return box;
}

bool appendHitRegionCorners(const Plane& plane, const std::vector<Plane>& edgePlanes,
                            std::vector<HitCorner>& corners)
{
    const std::size_t before = corners.size();
    if (visitCorners(plane, edgePlanes, [&corners](const HitCorner& c) { corners.push_back(c); }))
        return true;
    corners.resize(before);
    return false;
}
