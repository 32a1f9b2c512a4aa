// The flat query form of the BSP tree against the node-by-node walk it
// replaces: the same nearest hit, bit for bit, on compiled soups, rectangle
// rooms and trees built to defeat its boxes.

#include "GeometryTestSupport.h"
#include "bsp/BspCompiler.h"
#include "bsp/CollisionBuilder.h"
#include "geometry/BspTree.h"
#include "support/SameHit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

using namespace geometry_test;

namespace {

std::string describe(const std::optional<TraceHit>& h)
{
    if (!h) return "miss";
    char text[160];
    std::snprintf(text, sizeof text, "hit %.17g at (%.17g %.17g %.17g)", h->distance, h->point.x,
                  h->point.y, h->point.z);
    return text;
}

// The walk as the tree is described, node by node, except that with
// `bothSides` a segment lying in a node plane is searched in front and then
// behind; `skipped` tells whether a back side was left out for that reason.
std::optional<TraceHit> describedWalk(const BspNode* node, const Vector3& a, const Vector3& b,
                                      bool bothSides, bool& skipped)
{
    if (!node || node->polygons.empty()) return std::nullopt;
    const double dA = node->polygons.front().plane.distance(a);
    const double dB = node->polygons.front().plane.distance(b);
    if (dA > -planeEpsilon && dB > -planeEpsilon) {
        const bool inPlane = dA < planeEpsilon && dB < planeEpsilon && node->back;
        skipped = skipped || inPlane;
        std::optional<TraceHit> hit = describedWalk(node->front.get(), a, b, bothSides, skipped);
        if (inPlane && bothSides) {
            const std::optional<TraceHit> behind =
                describedWalk(node->back.get(), a, b, true, skipped);
            if (behind && (!hit || behind->distance < hit->distance)) hit = behind;
        }
        return hit;
    }
    if (dA < planeEpsilon && dB < planeEpsilon)
        return describedWalk(node->back.get(), a, b, bothSides, skipped);
    const Vector3 p = a + (b - a) * (dA / (dA - dB));
    const bool startInFront = dA > -planeEpsilon;
    const BspNode* nearSide = startInFront ? node->front.get() : node->back.get();
    const BspNode* farSide = startInFront ? node->back.get() : node->front.get();
    // Both sides with the whole segment; the nearest wins, the earlier on a tie.
    std::optional<TraceHit> hit = describedWalk(nearSide, a, b, bothSides, skipped);
    auto offer = [&](const std::optional<TraceHit>& other) {
        if (other && (!hit || other->distance < hit->distance)) hit = other;
    };
    const bool usable = std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    for (const CollisionPolygon& polygon : node->polygons) {
        if (usable && polygon.contains(p)) {
            offer(TraceHit{(p - a).length(), p, polygon.plane});
            break;
        }
    }
    offer(describedWalk(farSide, a, b, bothSides, skipped));
    return hit;
}

// What the flat query must answer: the described walk's hit; failing any,
// and only when a segment in a plane left a back side out, the hit of the
// walk that searches both sides.
std::optional<TraceHit> expectedHit(const BspNode& root, const Vector3& a, const Vector3& b)
{
    bool skipped = false;
    std::optional<TraceHit> hit = describedWalk(&root, a, b, false, skipped);
    // The described walk is the node walk the tools and the debug view use.
    EXPECT_TRUE(sameHit(hit, root.referenceIntersectSegment(a, b)));
    if (hit || !skipped) return hit;
    return describedWalk(&root, a, b, true, skipped);
}

struct Random {
    std::mt19937 engine;
    double operator()(double lo, double hi)
    {
        return std::uniform_real_distribution<double>(lo, hi)(engine);
    }
    std::size_t below(std::size_t n) { return engine() % n; }
    Vector3 point(double half)
    {
        return {(*this)(-half, half), (*this)(-half, half), (*this)(-half, half)};
    }
    Vector3 direction()
    {
        for (;;) {
            const Vector3 d = point(1);
            const double length = d.length();
            if (length > 0.1) return d / length;
        }
    }
};

std::vector<tools::SourcePolygon> randomSoup(Random& random, int count, double extent)
{
    std::vector<tools::SourcePolygon> soup;
    for (int k = 0; k < count; ++k) {
        const Vector3 centre = random.point(extent);
        tools::SourcePolygon polygon;
        const int corners = random.below(4) == 0 ? 4 : 3;
        if (corners == 4) {
            // A flat quad: two edge vectors, four corners in order.
            const Vector3 u = random.direction() * random(0.5, 3);
            const Vector3 v = random.direction() * random(0.5, 3);
            polygon.corners = {centre, centre + u, centre + u + v, centre + v};
        } else {
            for (int c = 0; c < 3; ++c) polygon.corners.push_back(centre + random.point(2));
        }
        soup.push_back(std::move(polygon));
    }
    return soup;
}

CollisionPolygon withEdges(const Plane& p, std::vector<Plane> edges)
{
    CollisionPolygon polygon = everywhere(p);
    polygon.edgePlanes = std::move(edges);
    return polygon;
}

// Trees whose polygons give the boxes no hold or a poor one: no edge planes,
// too few, parallel ones, contradictory ones, non-unit and degenerate planes,
// regions far out, a node without polygons, a chain deeper than the walk's
// own stack, and polygons on the wrong sides of their parents' planes.
std::vector<std::unique_ptr<BspNode>> hostileTrees(Random& random)
{
    std::vector<std::unique_ptr<BspNode>> trees;
    const Plane floor = plane(0, 1, 0, 0);
    const Plane wall = plane(1, 0, 0, -3);
    const Plane box[4] = {plane(1, 0, 0, 2), plane(-1, 0, 0, 2), plane(0, 0, 1, 2),
                          plane(0, 0, -1, 2)};
    auto boxed = [&](const Plane& p) { return withEdges(p, {box[0], box[1], box[2], box[3]}); };
    // A bounded floor whose back holds an edgeless wall, and a strip.
    trees.push_back(node(
        {boxed(floor)}, nullptr,
        node({everywhere(wall)}, nullptr, node({withEdges(plane(0, 0, 1, 1), {box[0], box[1]})}))));
    // Two polygons in one node: a bounded one first, an unbounded second.
    trees.push_back(node({boxed(floor), withEdges(floor, {plane(1, 0, 0, -1)})},
                         node({boxed(plane(0, 1, 0, -2))}), node({boxed(plane(0, 1, 0, 2))})));
    // Contradictory edges (an empty region), and a region of a single line.
    trees.push_back(node({withEdges(floor, {box[0], plane(-1, 0, 0, -5), box[2], box[3]})},
                         node({withEdges(plane(0, 1, 0, -1),
                                         {plane(1, 0, 0, 0), plane(-1, 0, 0, 0), box[2], box[3]})}),
                         node({boxed(plane(0, 1, 0, 1))})));
    // Non-unit planes, edge planes with tiny and huge normals.
    trees.push_back(
        node({withEdges(plane(0, 3, 0, -3), {plane(1e-7, 0, 0, 2e-7), plane(-1e6, 0, 0, 1e6),
                                             plane(0, 0, 1e-3, 1e-3), plane(0, 0, -1, 1)})},
             node({boxed(plane(0, 0.5, 0.5, -1))}), node({boxed(plane(1, 1, 1, 0))})));
    // A region far out, and one beyond the reach of any box.
    trees.push_back(
        node({withEdges(floor, {plane(1, 0, 0, -1e8), plane(-1, 0, 0, 1e8 + 1), box[2], box[3]})},
             node({boxed(plane(0, 1, 0, -1e5))}),
             node({withEdges(plane(0, -1, 0, -1e9), {box[0], box[1], box[2], box[3]})})));
    // A zero normal, and a node without polygons (ends the walk).
    trees.push_back(node({boxed(floor)}, node({everywhere(plane(0, 0, 0, 1))}, node({boxed(wall)})),
                         node({}, node({everywhere(wall)}))));
    // A chain of slanted walls, deeper than the walk keeps on its stack,
    // alternating sides so that most levels cross.
    std::unique_ptr<BspNode> chain;
    for (int k = 0; k < 150; ++k) {
        const Vector3 n = random.direction();
        const Plane p = {n.x, n.y, n.z, random(-4, 4)};
        auto link = node({boxed(p)});
        (k % 2 ? link->front : link->back) = std::move(chain);
        chain = std::move(link);
    }
    trees.push_back(std::move(chain));
    // Small triangles hung in a bushy tree with no regard to its planes, so
    // a subtree's hits lie on both sides of its parent's plane, near or far.
    std::function<std::unique_ptr<BspNode>(int)> scattered = [&](int depth) {
        std::unique_ptr<BspNode> tree;
        while (!tree) {
            const Vector3 centre = random.point(6);
            const std::vector<Vector3> corners{
                centre + random.point(1.5), centre + random.point(1.5), centre + random.point(1.5)};
            if (auto triangle = tools::makeCollisionPolygon(corners, {}))
                tree = node({std::move(*triangle)});
        }
        if (depth > 0) {
            if (random.below(5) != 0) tree->front = scattered(depth - 1);
            if (random.below(5) != 0) tree->back = scattered(depth - 1);
        }
        return tree;
    };
    trees.push_back(scattered(9));
    return trees;
}

// Segments of every kind the tree's polygons invite: short and long, along
// the axes, lying in a polygon's plane, through corners and edges, and with
// ends far outside everything or beyond the range the boxes are used in.
void forEachSegment(const BspNode& root, Random& random, int count,
                    const std::function<void(const Vector3&, const Vector3&)>& check)
{
    std::vector<const CollisionPolygon*> polygons;
    collectPolygons(&root, polygons);
    std::vector<Vector3> corners;
    for (const CollisionPolygon* p : polygons)
        for (const Vertex& v : p->vertices) corners.push_back(v.position);
    if (corners.empty()) corners.push_back({0, 0, 0});
    auto near = [&](double spread) {
        return corners[random.below(corners.size())] + random.point(spread);
    };

    for (int s = 0; s < count; ++s) {
        Vector3 a, b;
        switch (s % 9) {
        case 0:
            a = near(3);
            b = a + random.direction() * random(1, 2);
            break;
        case 1:
            a = near(3);
            b = a + random.direction() * random(50, 200);
            break;
        case 2: {
            a = near(2);
            const int axis = static_cast<int>(random.below(3));
            b = a + unit(axis, random(-40, 40));
            break;
        }
        case 3: {
            // In a polygon's plane, within rounding.
            const CollisionPolygon& p = *polygons[random.below(polygons.size())];
            const Vector3 n = p.plane.normal();
            const double nn = n.dot(n);
            if (!(nn > 0)) continue;
            auto onPlane = [&](Vector3 q) { return q - n * (p.plane.distance(q) / nn); };
            a = onPlane(near(4));
            b = onPlane(a + random.direction() * random(0.5, 30));
            break;
        }
        case 4: {
            // Through a corner, or through a point on an edge.
            const Vector3 c = corners[random.below(corners.size())];
            const Vector3 d = corners[random.below(corners.size())];
            const Vector3 through = random.below(2) ? c : c + (d - c) * random(0, 1);
            const Vector3 dir = random.direction();
            a = through - dir * random(0.5, 20);
            b = through + dir * random(0.5, 20);
            break;
        }
        case 5:
            a = random.point(400);
            b = random.point(400);
            break;
        case 6:
            a = near(1) * 1e5;
            b = a + random.direction() * 1e7;
            break;
        case 7:
            a = near(1);
            b = a + random.direction() * 3e6;
            break;
        default:
            a = near(0.01);
            b = near(0.01);
            break;
        }
        check(a, b);
    }
}

TEST(BspTreeQuery, ReportsExactlyWhatTheNodeWalkReports)
{
    Random random{std::mt19937(1431)};
    std::vector<std::unique_ptr<BspNode>> trees;
    for (int world = 0; world < 6; ++world) {
        const auto soup = randomSoup(random, 40 + 150 * world, 4.0 + 4.0 * world);
        tools::BspCompileResult compiled = tools::compileBsp(soup);
        ASSERT_TRUE(compiled.ok()) << compiled.error;
        trees.push_back(std::move(compiled.root));
    }
    std::srand(5);
    auto uniform = [&](double lo, double hi) { return random(lo, hi); };
    for (int room = 0; room < 4; ++room)
        trees.push_back(buildBsp(randomRectangles(30, 6, uniform)));
    const std::size_t wellFormed = trees.size();
    for (auto& tree : hostileTrees(random)) trees.push_back(std::move(tree));

    int hits = 0, total = 0;
    for (std::size_t k = 0; k < trees.size(); ++k) {
        const BspNode& reference = *trees[k];
        const BspTree flat(std::move(trees[k]));
        ASSERT_EQ(flat.root(), &reference);
        // Compiled polygons follow their corners: every node has a box.
        if (k < wellFormed) {
            EXPECT_EQ(flat.boundedNodeCount(), reference.nodeCount()) << "tree " << k;
        }

        forEachSegment(reference, random, 4000, [&](const Vector3& a, const Vector3& b) {
            const std::optional<TraceHit> expected = expectedHit(reference, a, b);
            const std::optional<TraceHit> found = flat.intersectSegment(a, b);
            hits += expected.has_value();
            ++total;
            ASSERT_TRUE(sameHit(found, expected))
                << "tree " << k << std::hexfloat << " from (" << a.x << " " << a.y << " " << a.z
                << ") to (" << b.x << " " << b.y << " " << b.z << "): " << describe(found)
                << ", expected " << describe(expected);
        });
        if (testing::Test::HasFatalFailure()) return;
    }
    // The segments meet the geometry often enough for the comparison to mean something.
    EXPECT_GT(hits, total / 5);
    EXPECT_LT(hits, total - total / 5);
}

TEST(BspTreeQuery, ASegmentInAPlaneFindsThePolygonJustBehindItOnlyFailingAnyOtherHit)
{
    // A crate's side in the plane x = 5.125 facing +x splits; the crate's top
    // (y = 1, x from 4 to 5.125) lies behind it. A vertical probe 9e-6 inside
    // the crate's edge lies in the split plane and goes to the front only.
    const Plane side = plane(1, 0, 0, -5.125);
    const Plane top = plane(0, 1, 0, -1);
    const CollisionPolygon crateTop = withEdges(
        top, {plane(1, 0, 0, -4), plane(-1, 0, 0, 5.125), plane(0, 0, 1, 1), plane(0, 0, -1, 1)});
    const CollisionPolygon crateSide = withEdges(
        side, {plane(0, 1, 0, 0), plane(0, -1, 0, 1), plane(0, 0, 1, 1), plane(0, 0, -1, 1)});
    const Vector3 above{5.125 - 9e-6, 3, 0}, below{5.125 - 9e-6, -1, 0};
    struct Case {
        const char* name;
        std::unique_ptr<BspNode> tree;
        double distance;  // expected; negative for a miss
    };
    Case cases[] = {
        {"the crate top behind the plane", node({crateSide}, nullptr, node({crateTop})), 2.0},
        // A floor in front of the plane is hit by the walk itself; it stays.
        {"a floor in front wins",
         node({crateSide}, node({withEdges(plane(0, 1, 0, -2), {plane(0, 0, 1, 1)})}),
              node({crateTop})),
         1.0},
        {"nothing behind",
         node({crateSide}, nullptr, node({withEdges(top, {plane(-1, 0, 0, 4.5)})})), -1.0},
    };
    for (Case& c : cases) {
        const BspNode& reference = *c.tree;
        const std::optional<TraceHit> described = reference.referenceIntersectSegment(above, below);
        const BspTree tree(std::move(c.tree));
        const std::optional<TraceHit> hit = tree.intersectSegment(above, below);
        ASSERT_EQ(hit.has_value(), c.distance >= 0) << c.name;
        if (hit) {
            EXPECT_DOUBLE_EQ(hit->distance, c.distance) << c.name;
        }
        // The described walk misses only the crate top behind the plane.
        if (described) {
            EXPECT_TRUE(sameHit(hit, described)) << c.name;
        }
    }
}

TEST(BspTreeQuery, NonFiniteEndsAndAnEmptyTree)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::unique_ptr<BspNode> root =
        node({everywhere(plane(0, 1, 0, 0))}, nullptr, node({everywhere(plane(1, 0, 0, 0))}));
    const BspNode& reference = *root;
    const BspTree flat(std::move(root));
    const Vector3 ends[] = {{0, 1, 0},    {0, -1, 0},   {inf, 1, 0},
                            {nan, -1, 0}, {1, -inf, 2}, {-1, 1e308, 0}};
    for (const Vector3& a : ends)
        for (const Vector3& b : ends)
            EXPECT_TRUE(
                sameHit(flat.intersectSegment(a, b), reference.referenceIntersectSegment(a, b)));
    EXPECT_FALSE(BspTree().intersectSegment({0, 1, 0}, {0, -1, 0}));
    EXPECT_TRUE(BspTree().empty());
}

}  // namespace
