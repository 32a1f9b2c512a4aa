#pragma once

// Builders shared by the geometry and collision tests: planes, polygons that
// contain everything, convex polygons with inward edge planes, axis-aligned
// rectangles, a small BSP compiler over rectangles, heightfields whose
// triangles match their grid, and a segment trace that records what a query
// wrote.

#include "entities/HeightField.h"
#include "geometry/BspNode.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace geometry_test {

inline Plane plane(double a, double b, double c, double d) { return Plane{a, b, c, d}; }

// A polygon in the given plane without edge planes: it contains every point.
inline CollisionPolygon everywhere(const Plane& p)
{
    CollisionPolygon polygon;
    polygon.plane = p;
    return polygon;
}

inline std::unique_ptr<BspNode> node(std::vector<CollisionPolygon> polygons,
                                     std::unique_ptr<BspNode> front = nullptr,
                                     std::unique_ptr<BspNode> back = nullptr)
{
    auto n = std::make_unique<BspNode>();
    n->polygons = std::move(polygons);
    n->front = std::move(front);
    n->back = std::move(back);
    return n;
}

// An axis-aligned rectangle: lying in the plane x[axis] = at, facing +axis or
// -axis, spanning lo..hi on the two other axes.
struct Rectangle {
    int axis = 0;
    double at = 0.0;
    int facing = 1;
    std::array<double, 3> lo{};
    std::array<double, 3> hi{};
};

inline double component(const Vector3& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

inline Vector3 unit(int axis, double s)
{
    return {axis == 0 ? s : 0.0, axis == 1 ? s : 0.0, axis == 2 ? s : 0.0};
}

inline CollisionPolygon toPolygon(const Rectangle& r)
{
    CollisionPolygon polygon;
    const Vector3 n = unit(r.axis, r.facing);
    polygon.plane = {n.x, n.y, n.z, -r.facing * r.at};
    const int u = (r.axis + 1) % 3;
    const int v = (r.axis + 2) % 3;
    for (int side = 0; side < 4; ++side) {
        const int axis = side % 2 == 0 ? u : v;
        const bool low = side < 2;
        const Vector3 e = unit(axis, low ? 1.0 : -1.0);
        polygon.edgePlanes.push_back({e.x, e.y, e.z, low ? -r.lo[axis] : r.hi[axis]});
    }
    const double corners[4][2] = {
        {r.lo[u], r.lo[v]}, {r.hi[u], r.lo[v]}, {r.hi[u], r.hi[v]}, {r.lo[u], r.hi[v]}};
    for (const auto& c : corners) {
        std::array<double, 3> p{};
        p[r.axis] = r.at;
        p[u] = c[0];
        p[v] = c[1];
        polygon.vertices.push_back(Vertex::at({p[0], p[1], p[2]}));
    }
    return polygon;
}

// Compiles rectangles into a valid BSP: the first rectangle splits, the
// others go to its plane, to a side, or are cut in two along it.
inline std::unique_ptr<BspNode> buildBsp(std::vector<Rectangle> rectangles)
{
    if (rectangles.empty()) return nullptr;
    const Rectangle split = rectangles.front();
    std::vector<Rectangle> inPlane, front, back;
    for (const Rectangle& r : rectangles) {
        const int k = split.axis;
        const double c = split.at;
        auto sideOf = [&](double x) { return split.facing * (x - c) > 0 ? &front : &back; };
        if (r.axis == k) {
            if (r.at == c) inPlane.push_back(r);
            else sideOf(r.at)->push_back(r);
        } else if (r.hi[k] <= c || r.lo[k] >= c) {
            sideOf((r.lo[k] + r.hi[k]) / 2)->push_back(r);
        } else {
            Rectangle below = r, above = r;
            below.hi[k] = c;
            above.lo[k] = c;
            sideOf(below.lo[k])->push_back(below);
            sideOf(above.hi[k])->push_back(above);
        }
    }
    std::vector<CollisionPolygon> polygons;
    for (const Rectangle& r : inPlane) polygons.push_back(toPolygon(r));
    return node(std::move(polygons), buildBsp(std::move(front)), buildBsp(std::move(back)));
}

// `count` rectangles with random axis, place and facing, centred within
// -10..10 on each axis with half sizes 0.5..maxHalf; random(lo, hi) draws.
template <typename Random>
std::vector<Rectangle> randomRectangles(int count, double maxHalf, Random& random)
{
    std::vector<Rectangle> rectangles;
    for (int k = 0; k < count; ++k) {
        Rectangle r;
        r.axis = std::rand() % 3;
        r.at = random(-10, 10);
        r.facing = std::rand() % 2 ? 1 : -1;
        for (int a = 0; a < 3; ++a) {
            const double c = random(-10, 10), half = random(0.5, maxHalf);
            r.lo[a] = c - half;
            r.hi[a] = c + half;
        }
        rectangles.push_back(r);
    }
    return rectangles;
}

inline void collectPolygons(const BspNode* n, std::vector<const CollisionPolygon*>& out)
{
    if (!n) return;
    for (const CollisionPolygon& p : n->polygons) out.push_back(&p);
    collectPolygons(n->front.get(), out);
    collectPolygons(n->back.get(), out);
}

// Whether a..b crosses one of the polygons, testing every one with the
// queries' rule; `nearest` gets the distance from a of the nearest crossing.
inline bool nearestCrossing(const std::vector<const CollisionPolygon*>& polygons, const Vector3& a,
                            const Vector3& b, double& nearest)
{
    bool found = false;
    for (const CollisionPolygon* p : polygons) {
        const double dA = p->plane.distance(a), dB = p->plane.distance(b);
        if ((dA > -planeEpsilon && dB > -planeEpsilon) || (dA < planeEpsilon && dB < planeEpsilon))
            continue;
        const Vector3 q = a + (b - a) * (dA / (dA - dB));
        if (!p->contains(q)) continue;
        const double d = (q - a).length();
        if (!found || d < nearest) nearest = d;
        found = true;
    }
    return found;
}

// What a segment query wrote; the starting values show a query that wrote
// nothing.
const Vector3 sentinelPoint{-99, -99, -99};

struct Hit {
    bool hit = false;
    double distance = -1;
    Vector3 point = sentinelPoint;
    Plane plane{9, 9, 9, 9};
};

// Traces a..b through a BSP node (the reference walk), a height grid
// (intersectSegment) or a world (traceSegment).
inline Hit toHit(const std::optional<TraceHit>& found)
{
    Hit h;
    if (found) h = {true, found->distance, found->point, found->plane};
    return h;
}

template <typename Target>
Hit trace(const Target& target, const Vector3& a, const Vector3& b)
{
    if constexpr (requires { target.traceSegment(a, b); }) return toHit(target.traceSegment(a, b));
    else if constexpr (requires { target.referenceIntersectSegment(a, b); })
        return toHit(target.referenceIntersectSegment(a, b));
    else if constexpr (requires { target.grid; }) return toHit(target.grid.intersectSegment(a, b));
    else return toHit(target.intersectSegment(a, b));
}

// The plane with the given unit normal through `point`.
inline Plane planeThrough(const Vector3& normal, const Vector3& point)
{
    return {normal.x, normal.y, normal.z, -normal.dot(point)};
}

// A convex polygon from its corners in order with the given unit normal: its
// plane through the first corner, one inward edge plane per edge.
inline CollisionPolygon convexPolygonWithNormal(const std::vector<Vector3>& corners,
                                                const Vector3& normal)
{
    Vector3 centre;
    for (const Vector3& c : corners) centre += c;
    centre /= static_cast<double>(corners.size());

    CollisionPolygon polygon;
    polygon.plane = planeThrough(normal, corners[0]);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vector3& from = corners[i];
        const Vector3& to = corners[(i + 1) % corners.size()];
        Vector3 inward = normal.cross(to - from);
        inward /= inward.length();
        if (inward.dot(centre - from) < 0.0) inward = inward.negated();
        polygon.edgePlanes.push_back(planeThrough(inward, from));
        polygon.vertices.push_back(Vertex::at(from));
    }
    return polygon;
}

// A convex polygon from its corners in order, its plane facing `facing`,
// with one inward edge plane per edge.
inline CollisionPolygon convexPolygon(const std::vector<Vector3>& corners, const Vector3& facing)
{
    Vector3 normal = (corners[1] - corners[0]).cross(corners[2] - corners[0]);
    normal /= normal.length();
    if (normal.dot(facing) < 0.0) normal = normal.negated();
    return convexPolygonWithNormal(corners, normal);
}

// A triangle facing up (+y), its edge planes standing on its edges, facing
// inward.
inline CollisionPolygon triangle(const Vector3& p0, const Vector3& p1, const Vector3& p2)
{
    return convexPolygon({p0, p1, p2}, {0, 1, 0});
}

// A grid of columns x rows vertices, vertex(i, j) giving each; no triangles.
template <typename VertexFunction>
std::unique_ptr<HeightField> gridField(int columns, int rows, VertexFunction vertex)
{
    auto field = std::make_unique<HeightField>();
    field->grid.columns = columns;
    field->grid.rows = rows;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) field->grid.vertices.push_back(vertex(i, j));
    return field;
}

// A grid from (x0, z0) in steps of `cell`, heights from height(i, j), with
// the two triangles of each cell split along the diagonal the strip draws.
template <typename HeightFunction>
std::unique_ptr<HeightField> makeField(int columns, int rows, double x0, double z0, double cell,
                                       HeightFunction height)
{
    auto field = gridField(columns, rows, [&](int i, int j) {
        Vertex v;
        v.position.x = x0 + i * cell;
        v.position.y = height(i, j);
        v.position.z = z0 + j * cell;
        v.u = i;
        v.v = j;
        return v;
    });
    auto at = [&](int i, int j) {
        const Vertex& v = field->grid.vertices[static_cast<std::size_t>(j * columns + i)];
        return v.position;
    };
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            field->grid.triangles.push_back(triangle(at(i, j), at(i, j + 1), at(i + 1, j)));
            field->grid.triangles.push_back(triangle(at(i, j + 1), at(i + 1, j), at(i + 1, j + 1)));
        }
    }
    field->grid.prepareQueries();
    return field;
}

// A grid of unit cells from the origin whose triangles all contain every
// point: cell (i, j) gets the planes planeOf(i, j, 0) and planeOf(i, j, 1).
template <typename PlaneFunction>
std::unique_ptr<HeightField> makeMarkedField(int columns, int rows, PlaneFunction planeOf)
{
    auto field = makeField(columns, rows, 0.0, 0.0, 1.0, [](int, int) { return 0.0; });
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            const std::size_t n = static_cast<std::size_t>((2 * columns - 2) * j + 2 * i);
            field->grid.triangles[n] = everywhere(planeOf(i, j, 0));
            field->grid.triangles[n + 1] = everywhere(planeOf(i, j, 1));
        }
    }
    field->grid.prepareQueries();
    return field;
}

}  // namespace geometry_test
