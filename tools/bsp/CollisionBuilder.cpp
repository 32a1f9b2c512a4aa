#include "bsp/CollisionBuilder.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

// Corners closer than this are one corner.
constexpr double sameCorner = 1.0e-7;
// A polygon narrower than this (twice its area over its longest edge) has
// no area worth colliding with.
constexpr double thinnest = 1.0e-7;

bool usable(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) &&
           std::fabs(v.x) <= farthestCoordinate && std::fabs(v.y) <= farthestCoordinate &&
           std::fabs(v.z) <= farthestCoordinate;
}

void setProblem(std::string* problem, const char* text)
{
    if (problem) *problem = text;
}

// Twice the area vector, measured from the first corner to keep the sums small.
Vector3 areaVector(const std::vector<Vector3>& corners)
{
    Vector3 sum;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
        sum += (corners[i] - corners[0]).cross(corners[i + 1] - corners[0]);
    }
    return sum;
}

Plane planeThrough(const Vector3& normal, const Vector3& point)
{
    return {normal.x, normal.y, normal.z, -normal.dot(point)};
}

Vertex corner(const Vector3& p)
{
    Vertex v;
    v.position.x = p.x;
    v.position.y = p.y;
    v.position.z = p.z;
    return v;
}

}  // namespace

std::optional<CollisionPolygon> makeCollisionPolygon(const std::vector<Vector3>& corners,
                                                     const Vector3& faceNormal,
                                                     std::string* problem)
{
    for (const Vector3& c : corners) {
        if (!usable(c)) {
            setProblem(problem, "a corner is too far out to collide with");
            return std::nullopt;
        }
    }
    // Merge repeated corners, the last one against the first too.
    std::vector<Vector3> distinct;
    distinct.reserve(corners.size());
    for (const Vector3& c : corners) {
        if (distinct.empty() || (c - distinct.back()).length() > sameCorner) distinct.push_back(c);
    }
    while (distinct.size() > 1 && (distinct.back() - distinct.front()).length() <= sameCorner) {
        distinct.pop_back();
    }
    if (distinct.size() < 3) {
        setProblem(problem, "fewer than three distinct corners");
        return std::nullopt;
    }

    const Vector3 area = areaVector(distinct);
    const double twiceArea = area.length();
    double longestEdge = 0.0;
    Vector3 centre;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        longestEdge =
            std::max(longestEdge, (distinct[(i + 1) % distinct.size()] - distinct[i]).length());
        centre += distinct[i];
    }
    centre /= static_cast<double>(distinct.size());
    if (!std::isfinite(twiceArea) || twiceArea <= 0.0 || twiceArea / longestEdge < thinnest) {
        setProblem(problem, "collinear corners (no area)");
        return std::nullopt;
    }

    // The winding decides which way the edge planes face; the face normal
    // only decides which way the polygon's own plane faces.
    const Vector3 winding = area / twiceArea;
    CollisionPolygon polygon;
    const Vector3 facing = faceNormal.dot(winding) < 0.0 ? winding.negated() : winding;
    polygon.plane = planeThrough(facing, centre);
    polygon.edgePlanes.reserve(distinct.size());
    polygon.vertices.reserve(distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        const Vector3 edge = distinct[(i + 1) % distinct.size()] - distinct[i];
        Vector3 inward = winding.cross(edge);
        inward /= inward.length();
        polygon.edgePlanes.push_back(planeThrough(inward, distinct[i]));
        polygon.vertices.push_back(corner(distinct[i]));
    }
    for (const Plane& e : polygon.edgePlanes) {
        for (const Vector3& c : distinct) {
            if (e.distance(c) < -planeEpsilon) {
                setProblem(problem, "not convex");
                return std::nullopt;
            }
        }
    }
    return polygon;
}

double planarityError(const CollisionPolygon& polygon)
{
    double worst = 0.0;
    for (const Vertex& v : polygon.vertices) {
        worst = std::max(worst, std::fabs(polygon.plane.distance(position(v))));
    }
    return worst;
}

Side classify(const CollisionPolygon& polygon, const Plane& plane)
{
    bool front = false;
    bool back = false;
    for (const Vertex& v : polygon.vertices) {
        const double d = plane.distance(position(v));
        if (d > planeEpsilon) front = true;
        else if (d < -planeEpsilon) back = true;
    }
    if (front && back) return Side::Spanning;
    if (front) return Side::Front;
    if (back) return Side::Back;
    return Side::Coplanar;
}

namespace {

// A corner of a piece: an original corner or the crossing on an edge.
struct PieceCorner {
    Vector3 p;
    bool crossing = false;
    std::size_t index = 0;  // the original corner, or the edge crossed
};

// Whether the piece's edge from p to q runs along original edge p.index.
bool alongOriginalEdge(const PieceCorner& p, const PieceCorner& q, std::size_t n)
{
    const std::size_t next = (p.index + 1) % n;
    if (!p.crossing) return (!q.crossing && q.index == next) || (q.crossing && q.index == p.index);
    return !q.crossing && q.index == next;
}

// Working space for cutting polygons. The compiler cuts hundreds of
// thousands of them; keeping these buffers between cuts leaves the pieces'
// own corner and edge lists as the only allocations.
struct CutScratch {
    std::vector<double> distance;
    std::vector<int> side;
    std::vector<PieceCorner> front;
    std::vector<PieceCorner> back;
    std::vector<Vector3> points;
    std::vector<Plane> edges;
};

CutScratch& cutScratch()
{
    thread_local CutScratch scratch;
    return scratch;
}

CollisionPolygon makePiece(const CollisionPolygon& original,
                           const std::vector<PieceCorner>& corners, const Plane& cutEdge,
                           CutScratch& scratch)
{
    const std::size_t n = original.vertices.size();
    std::vector<Vector3>& points = scratch.points;
    std::vector<Plane>& edges = scratch.edges;
    points.clear();
    edges.clear();
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const PieceCorner& p = corners[k];
        const PieceCorner& q = corners[(k + 1) % corners.size()];
        const Plane edge = alongOriginalEdge(p, q, n) ? original.edgePlanes[p.index] : cutEdge;
        // A corner that repeats the previous one only hands on its edge.
        if (!points.empty() && (p.p - points.back()).length() <= sameCorner) {
            edges.back() = edge;
            continue;
        }
        points.push_back(p.p);
        edges.push_back(edge);
    }
    while (points.size() > 1 && (points.back() - points.front()).length() <= sameCorner) {
        points.pop_back();
        edges.pop_back();
    }
    CollisionPolygon piece;
    if (points.size() < 3) return piece;
    const double twiceArea = areaVector(points).length();
    if (!(twiceArea > 1.0e-14)) return piece;
    piece.plane = original.plane;
    piece.edgePlanes.assign(edges.begin(), edges.end());
    piece.vertices.reserve(points.size());
    for (const Vector3& p : points) piece.vertices.push_back(corner(p));
    return piece;
}

// Cuts a spanning polygon along the plane, building only the pieces asked for.
SplitPieces cut(const CollisionPolygon& polygon, const Plane& plane, bool wantFront, bool wantBack)
{
    CutScratch& scratch = cutScratch();
    const std::size_t n = polygon.vertices.size();
    std::vector<double>& distance = scratch.distance;
    std::vector<int>& side = scratch.side;
    distance.resize(n);
    side.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        distance[i] = plane.distance(position(polygon.vertices[i]));
        side[i] = distance[i] > planeEpsilon ? 1 : distance[i] < -planeEpsilon ? -1 : 0;
    }

    std::vector<PieceCorner>& front = scratch.front;
    std::vector<PieceCorner>& back = scratch.back;
    front.clear();
    back.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        const Vector3 vi = position(polygon.vertices[i]);
        if (side[i] >= 0) front.push_back({vi, false, i});
        if (side[i] <= 0) back.push_back({vi, false, i});
        if (side[i] * side[j] < 0) {
            const double t = distance[i] / (distance[i] - distance[j]);
            const Vector3 crossing = vi + (position(polygon.vertices[j]) - vi) * t;
            front.push_back({crossing, true, i});
            back.push_back({crossing, true, i});
        }
    }
    // A point on the cut, for the new edge planes.
    Vector3 pointOnCut;
    for (const PieceCorner& c : front) {
        if (c.crossing || side[c.index] == 0) {
            pointOnCut = c.p;
            break;
        }
    }

    // The new edge is the cut plane turned upright in the polygon's plane,
    // so its distances are measured within the polygon like the others.
    const Vector3 own = polygon.plane.normal();
    const Vector3 cutNormal = plane.normal();
    Vector3 upright = cutNormal - own * cutNormal.dot(own);
    Plane frontEdge = plane;
    if (upright.length() > 1.0e-12) {
        upright /= upright.length();
        frontEdge = {upright.x, upright.y, upright.z, -upright.dot(pointOnCut)};
    }
    const Plane backEdge{-frontEdge.a, -frontEdge.b, -frontEdge.c, -frontEdge.d};

    SplitPieces pieces;
    if (wantFront) pieces.front = makePiece(polygon, front, frontEdge, scratch);
    if (wantBack) pieces.back = makePiece(polygon, back, backEdge, scratch);
    return pieces;
}

}  // namespace

CollisionPolygon splittingPolygon(const Plane& plane, const Vector3& near)
{
    // Far wider than planeEpsilon, so that even the loosened edges leave
    // no point between them; far too small to see in the tree's view.
    constexpr double radius = 0.005;
    const Vector3 n = plane.normal();
    const Vector3 centre = near - n * plane.distance(near);
    const Vector3 helper = std::fabs(n.x) < 0.9 ? Vector3{1, 0, 0} : Vector3{0, 1, 0};
    Vector3 u = n.cross(helper);
    u /= u.length();
    const Vector3 w = n.cross(u);
    CollisionPolygon polygon;
    polygon.plane = plane;
    for (int k = 0; k < 3; ++k) {
        const double angle = k * 2.0943951023931953;  // a third of a turn
        polygon.vertices.push_back(
            Vertex::at(centre + (u * std::cos(angle) + w * std::sin(angle)) * radius));
    }
    for (int k = 0; k < 3; ++k) {
        const Vector3 a = polygon.vertices[static_cast<std::size_t>(k)].position;
        const Vector3 b = polygon.vertices[static_cast<std::size_t>((k + 1) % 3)].position;
        // Facing away from the centre: inside means beyond every edge.
        Vector3 outward = (b - a).cross(n);
        outward /= outward.length();
        if (outward.dot(centre - a) > 0.0) outward = outward * -1.0;
        polygon.edgePlanes.push_back({outward.x, outward.y, outward.z, -outward.dot(a)});
    }
    return polygon;
}

SplitPieces split(const CollisionPolygon& polygon, const Plane& plane)
{
    return cut(polygon, plane, true, true);
}

}  // namespace tools
