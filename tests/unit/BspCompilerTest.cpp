#include "bsp/BspCompiler.h"
#include "bsp/CollisionBuilder.h"
#include "content/Random.h"
#include "geometry/BspTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using tools::SourcePolygon;

namespace {

struct Hit {
    bool hit = false;
    double distance = 0.0;
    Vector3 point;
    Plane plane;
};

// The same crossing rule as the tree's query, over every polygon.
Hit bruteForce(const std::vector<CollisionPolygon>& polygons, const Vector3& a, const Vector3& b)
{
    Hit best;
    for (const CollisionPolygon& p : polygons) {
        const double dA = p.plane.distance(a);
        const double dB = p.plane.distance(b);
        if (dA > -planeEpsilon && dB > -planeEpsilon) continue;
        if (dA < planeEpsilon && dB < planeEpsilon) continue;
        const Vector3 at = a + (b - a) * (dA / (dA - dB));
        if (!p.contains(at)) continue;
        const double d = (at - a).length();
        if (!best.hit || d < best.distance) best = {true, d, at, p.plane};
    }
    return best;
}

Hit trace(const BspTree& tree, const Vector3& a, const Vector3& b)
{
    const std::optional<TraceHit> found = tree.intersectSegment(a, b);
    if (!found) return {};
    return {true, found->distance, found->point, found->plane};
}

Hit trace(const BspNode* root, const Vector3& a, const Vector3& b)
{
    const std::optional<TraceHit> found =
        root ? root->referenceIntersectSegment(a, b) : std::nullopt;
    if (!found) return {};
    return {true, found->distance, found->point, found->plane};
}

// Whether the segment touches some polygon at its rim or with an end point,
// where the tolerance of planeEpsilon may decide either way. Where nearly
// coplanar polygons meet, the query's planeEpsilon slab round a node plane
// reaches a little further along the surface (planeEpsilon over the sine of
// the angle between them); the query searches both sides of a crossed
// plane, and what remains stays within twenty planeEpsilon of an edge.
bool grazes(const std::vector<CollisionPolygon>& polygons, const Vector3& a, const Vector3& b)
{
    constexpr double rim = 20 * planeEpsilon;
    for (const CollisionPolygon& p : polygons) {
        const double dA = p.plane.distance(a);
        const double dB = p.plane.distance(b);
        if ((dA > rim && dB > rim) || (dA < -rim && dB < -rim)) continue;
        const double denominator = dA - dB;
        const Vector3 at = std::fabs(denominator) > 1e-300 ? a + (b - a) * (dA / denominator) : a;
        if (std::fabs(dA) <= rim || std::fabs(dB) <= rim) {
            // An end on or next to the plane: near the polygon at all?
            const Vector3 end = std::fabs(dA) <= rim ? a : b;
            bool inside = true;
            for (const Plane& e : p.edgePlanes) inside = inside && e.distance(end) > -rim;
            if (inside) return true;
        }
        double nearestEdge = std::numeric_limits<double>::infinity();
        for (const Plane& e : p.edgePlanes) nearestEdge = std::min(nearestEdge, e.distance(at));
        if (std::fabs(nearestEdge) <= rim) return true;
    }
    return false;
}

Vector3 randomPoint(tools::Random& random, double extent)
{
    return {random.uniform(-extent, extent), random.uniform(-extent, extent),
            random.uniform(-extent, extent)};
}

SourcePolygon box(const Vector3& lo, const Vector3& hi, int face)
{
    // Faces of an axis-aligned box facing outwards, wound counter-clockwise
    // seen from outside.
    const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
    switch (face) {
    case 0: return {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}, {1, 0, 0}};
    case 1: return {{{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}, {-1, 0, 0}};
    case 2: return {{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}, {0, 1, 0}};
    case 3: return {{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, {0, -1, 0}};
    case 4: return {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}, {0, 0, 1}};
    default: return {{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}, {0, 0, -1}};
    }
}

// A soup like a level's: boxes standing on one floor (so many polygons
// share planes), a large floor that every wall plane cuts, a floor facing
// down in the same plane as one facing up, and convex polygons at random
// angles through all of it.
std::vector<SourcePolygon> levelSoup(std::uint64_t seed)
{
    tools::Random random(seed);
    std::vector<SourcePolygon> soup;
    soup.push_back({{{-10, 0, -10}, {-10, 0, 10}, {10, 0, 10}, {10, 0, -10}}, {0, 1, 0}});
    soup.push_back({{{-3, 0, -3}, {3, 0, -3}, {3, 0, 3}, {-3, 0, 3}}, {0, -1, 0}});
    for (int i = 0; i < 12; ++i) {
        const Vector3 lo{random.uniform(-9, 6), 0.0, random.uniform(-9, 6)};
        const Vector3 hi =
            lo + Vector3{random.uniform(0.5, 3), random.uniform(0.5, 4), random.uniform(0.5, 3)};
        for (int face = 0; face < 5; ++face) soup.push_back(box(lo, hi, face));
    }
    // A bumpy sheet of triangles, like a rock face: neighbours meet at
    // shallow angles, some nearly flat.
    constexpr int cells = 8;
    double bump[cells + 1][cells + 1];
    for (auto& row : bump) {
        for (double& h : row) h = random.below(3) == 0 ? 0.0 : random.uniform(-0.15, 0.15);
    }
    auto sheet = [&](int i, int k) {
        return Vector3{-8.0 + 2.0 * i, 6.0 + bump[i][k], -8.0 + 2.0 * k};
    };
    for (int i = 0; i < cells; ++i) {
        for (int k = 0; k < cells; ++k) {
            soup.push_back({{sheet(i, k), sheet(i, k + 1), sheet(i + 1, k)}, {0, 1, 0}});
            soup.push_back({{sheet(i, k + 1), sheet(i + 1, k + 1), sheet(i + 1, k)}, {0, 1, 0}});
        }
    }
    for (int i = 0; i < 120; ++i) {
        const Vector3 centre = randomPoint(random, 8);
        Vector3 normal = randomPoint(random, 1);
        if (normal.length() < 0.1) normal = {0, 1, 0};
        normal /= normal.length();
        Vector3 u = normal.cross(std::fabs(normal.x) < 0.9 ? Vector3{1, 0, 0} : Vector3{0, 1, 0});
        u /= u.length();
        const Vector3 v = normal.cross(u);
        const int corners = 3 + static_cast<int>(random.below(5));
        const double radius = random.uniform(0.3, 3.0);
        SourcePolygon p;
        for (int k = 0; k < corners; ++k) {
            // Angles spread round the circle keep the polygon convex.
            const double angle = (k + random.uniform(0.1, 0.9)) * 6.283185307179586 / corners;
            p.corners.push_back(centre + u * (radius * std::cos(angle)) +
                                v * (radius * std::sin(angle)));
        }
        p.faceNormal = random.below(2) ? normal : normal.negated();
        soup.push_back(p);
    }
    return soup;
}

// Polygons that hold a surface; the compiler's empty splitting triangles
// (edges facing outwards) accept no point, not even their own middle.
bool holdsSurface(const CollisionPolygon& p)
{
    Vector3 middle{};
    for (const Vertex& v : p.vertices)
        middle += v.position / static_cast<double>(p.vertices.size());
    return p.contains(middle);
}

void checkEdgePlanesFaceInwards(const BspNode& node)
{
    for (const CollisionPolygon& p : node.polygons) {
        ASSERT_EQ(p.edgePlanes.size(), p.vertices.size());
        ASSERT_GE(p.vertices.size(), 3u);
        for (const Vertex& v : p.vertices) {
            EXPECT_NEAR(p.plane.distance(tools::position(v)), 0.0, 1e-9);
            if (!holdsSurface(p)) continue;
            for (const Plane& e : p.edgePlanes) EXPECT_GE(e.distance(tools::position(v)), -1e-9);
        }
        // Every polygon lies in the node's plane.
        for (const Vertex& v : p.vertices) {
            EXPECT_NEAR(node.polygons.front().plane.distance(tools::position(v)), 0.0,
                        planeEpsilon);
        }
    }
    if (node.front) checkEdgePlanesFaceInwards(*node.front);
    if (node.back) checkEdgePlanesFaceInwards(*node.back);
}

void checkPolygonsLieInTheNodePlane(const BspNode& node)
{
    for (const CollisionPolygon& p : node.polygons) {
        ASSERT_GE(p.vertices.size(), 3u);
        for (const Vertex& v : p.vertices) {
            EXPECT_NEAR(node.polygons.front().plane.distance(tools::position(v)), 0.0,
                        planeEpsilon);
        }
    }
    if (node.front) checkPolygonsLieInTheNodePlane(*node.front);
    if (node.back) checkPolygonsLieInTheNodePlane(*node.back);
}

std::string written(const BspNode* root)
{
    std::string text;
    writeBspTree(text, root);
    return text;
}

TEST(BspCompilerProperty, TracesFindTheSameFirstHitAsBruteForce)
{
    const std::vector<SourcePolygon> soup = levelSoup(7);
    auto result = tools::compileBsp(soup);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_TRUE(result.root);
    EXPECT_GT(result.stats.splits, 0u);
    EXPECT_LE(result.stats.depth, maximumBspDepth);
    checkEdgePlanesFaceInwards(*result.root);
    const BspTree tree(std::move(result.root));

    const std::vector<CollisionPolygon> source = tools::collisionPolygons(soup);
    ASSERT_EQ(source.size(), soup.size());

    tools::Random random(99);
    int hits = 0;
    int grazing = 0;
    int mismatches = 0;
    constexpr int segments = 30000;
    for (int i = 0; i < segments; ++i) {
        Vector3 a = randomPoint(random, 11);
        Vector3 b = randomPoint(random, 11);
        // Some segments axis-aligned, the way the player probes.
        if (i % 4 == 0) b = {a.x, random.uniform(-11, 11), a.z};
        // Some aimed at a corner or an edge of a polygon, or just beside it,
        // where cut pieces meet and tolerances decide.
        if (i % 3 == 0) {
            const CollisionPolygon& p = source[random.below(source.size())];
            const std::size_t k = random.below(p.vertices.size());
            const Vector3 c0 = tools::position(p.vertices[k]);
            const Vector3 c1 = tools::position(p.vertices[(k + 1) % p.vertices.size()]);
            const double t = random.below(4) == 0 ? 0.0 : random.unit();
            const double nudge = random.below(2) ? 0.0 : random.uniform(-1e-4, 1e-4);
            const Vector3 target = c0 + (c1 - c0) * t + randomPoint(random, 1) * nudge;
            b = target + (target - a) * random.uniform(0.01, 1.0);
        }
        const Hit expected = bruteForce(source, a, b);
        const Hit found = trace(tree, a, b);
        const bool same = expected.hit == found.hit &&
                          (!expected.hit || std::fabs(expected.distance - found.distance) <= 1e-6);
        if (expected.hit) ++hits;
        if (same) continue;
        if (grazes(source, a, b)) {
            ++grazing;
            continue;
        }
        if (++mismatches <= 5) {
            ADD_FAILURE() << "segment " << i << " (" << a.x << ", " << a.y << ", " << a.z
                          << ") to (" << b.x << ", " << b.y << ", " << b.z << "): brute force "
                          << (expected.hit ? std::to_string(expected.distance) : "miss")
                          << ", tree " << (found.hit ? std::to_string(found.distance) : "miss");
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(hits, segments / 4);  // the test means something
    // A third of the segments are aimed at rims; only a few of those may differ.
    EXPECT_LT(grazing, segments / 100);
}

// Smooth surfaces (rolling, steep, finely tessellated) large enough that
// splitters are judged on a sample, every triangle leaning on its
// neighbours at a degree or two: the player's downward probes, and slanted
// ones, must find the surface everywhere inside it, right beside a shared
// vertex or edge too (1e-7 to 1e-2 off), at the distance brute force finds.
// The one band left out is the surface's outer rim, within 1e-3 of it,
// where the edge tolerance decides whether a probe touches at all. Beside a
// shared edge either neighbour may report the crossing: a point accepted
// within planeEpsilon outside its edges lies on its plane, a few
// planeEpsilon from where brute force meets the other, hence the distance
// tolerance.
TEST(BspCompilerProperty, ProbesOnSmoothSurfacesFindWhatBruteForceFinds)
{
    struct Surface {
        const char* name;
        int cells;
        double cell;
        double amplitude;  // of the hills; 3.2 over 0.31 per unit is a 32 degree slope at most
    };
    const Surface surfaces[] = {
        {"rolling", 26, 1.0, 2.0}, {"steep", 20, 1.0, 3.2}, {"fine", 40, 0.25, 0.4}};
    for (const Surface& shape : surfaces) {
        SCOPED_TRACE(shape.name);
        auto at = [&](int i, int j) {
            const double x = i * shape.cell, z = j * shape.cell;
            return Vector3{x, shape.amplitude * std::sin(x * 0.31) * std::cos(z * 0.23) + 0.02 * x,
                           z};
        };
        std::vector<SourcePolygon> surface;
        for (int j = 0; j < shape.cells; ++j) {
            for (int i = 0; i < shape.cells; ++i) {
                surface.push_back({{at(i, j), at(i + 1, j), at(i + 1, j + 1)}, {0, 1, 0}});
                surface.push_back({{at(i, j), at(i + 1, j + 1), at(i, j + 1)}, {0, 1, 0}});
            }
        }
        auto result = tools::compileBsp(surface);
        ASSERT_TRUE(result.ok()) << result.error;
        checkPolygonsLieInTheNodePlane(*result.root);
        const BspTree tree(std::move(result.root));
        const std::vector<CollisionPolygon> source = tools::collisionPolygons(surface);

        tools::Random random(31);
        const double size = shape.cells * shape.cell;
        int mismatches = 0;
        constexpr int probes = 12000;
        for (int i = 0; i < probes; ++i) {
            // Through a random point, or beside a grid corner, a grid line
            // or a diagonal (the shared vertices and edges), off by a
            // distance spread evenly over the scales from 1e-7 to 1e-2.
            const double off = std::pow(10.0, random.uniform(-7, -2)) * (random.below(2) ? 1 : -1);
            const int ci =
                1 + static_cast<int>(random.below(static_cast<std::size_t>(shape.cells - 1)));
            const int cj =
                1 + static_cast<int>(random.below(static_cast<std::size_t>(shape.cells - 1)));
            double x = random.uniform(1e-3, size - 1e-3), z = random.uniform(1e-3, size - 1e-3);
            switch (i % 4) {
            case 1: x = ci * shape.cell + off; break;
            case 2: {
                const double along = random.unit() * shape.cell;
                x = (ci - 1) * shape.cell + along + off;
                z = (cj - 1) * shape.cell + along - off;
                break;
            }
            case 3:
                x = ci * shape.cell + off;
                z = cj * shape.cell + off * random.uniform(-1, 1);
                break;
            default: break;
            }
            const Vector3 a{x, 8.0, z};
            Vector3 b{x, -8.0, z};
            if (i % 3 == 0) b = a + (randomPoint(random, 0.4) + Vector3{0, -1, 0}) * 16.0;
            const Hit expected = bruteForce(source, a, b);
            const Hit found = trace(tree, a, b);
            const Vector3 end = expected.hit ? expected.point : b;
            const bool nearRim = std::min({end.x, end.z, size - end.x, size - end.z}) < 1e-3;
            if (nearRim || (expected.hit == found.hit &&
                            (!expected.hit ||
                             std::fabs(expected.distance - found.distance) <= 10 * planeEpsilon)))
                continue;
            if (++mismatches <= 5) {
                ADD_FAILURE() << "probe " << i << " through (" << x << ", " << z << ") to (" << b.x
                              << ", " << b.z << "): brute force "
                              << (expected.hit ? std::to_string(expected.distance) : "miss")
                              << ", tree " << (found.hit ? std::to_string(found.distance) : "miss");
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(BspCompilerProperty, TreeReadBackAnswersExactlyLikeTheCompiledOne)
{
    const auto result = tools::compileBsp(levelSoup(11));
    ASSERT_TRUE(result.ok());
    const std::string text = written(result.root.get());
    TokenReader in(text);
    auto read = readBspTree(in);
    ASSERT_TRUE(in.ok()) << in.describeFailure("tree");
    ASSERT_TRUE(in.atEnd());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->nodeCount(), result.stats.nodes);
    EXPECT_EQ(read->polygonCount(), result.stats.treePolygons);
    EXPECT_EQ(read->depth(), result.stats.depth);
    EXPECT_EQ(written(read.get()), text);

    tools::Random random(5);
    for (int i = 0; i < 5000; ++i) {
        const Vector3 a = randomPoint(random, 11);
        const Vector3 b = randomPoint(random, 11);
        const Hit compiled = trace(result.root.get(), a, b);
        const Hit reread = trace(read.get(), a, b);
        ASSERT_EQ(compiled.hit, reread.hit);
        if (compiled.hit) {
            EXPECT_EQ(compiled.distance, reread.distance);
            EXPECT_EQ(compiled.plane.d, reread.plane.d);
        }
    }
}

TEST(BspCompilerProperty, SameInputGivesTheSameTree)
{
    const auto soup = levelSoup(3);
    EXPECT_EQ(written(tools::compileBsp(soup).root.get()),
              written(tools::compileBsp(soup).root.get()));
}

TEST(BspCompiler, DropsDegeneratePolygonsWithAWarningEach)
{
    const std::vector<SourcePolygon> input = {
        {{{0, 0, 0}, {1, 0, 0}, {1, 0, 1}}, {0, 1, 0}},                 // fine
        {{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {0, 1, 0}},                 // collinear
        {{{0, 0, 0}, {1, 0, 0}}, {0, 1, 0}},                            // two corners
        {{{0, 5, 0}, {0, 5, 0}, {0, 5, 0}, {0, 5, 0}}, {0, 1, 0}},      // one point
        {{{0, 2, 0}, {4, 2, 0}, {1, 2, 1}, {4, 2, 4}, {0, 2, 4}}, {}},  // not convex
        {{{0, 3, 0}, {0, 3, 0}, {1, 3, 0}, {1, 3, 1}}, {0, 1, 0}},      // repeated corner: fine
        {{{0, 1e9, 0}, {1, 1e9, 0}, {1, 1e9, 1}}, {0, 1, 0}},           // too far out
    };
    const auto result = tools::compileBsp(input);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.stats.inputPolygons, 7u);
    EXPECT_EQ(result.stats.droppedPolygons, 5u);
    ASSERT_EQ(result.warnings.size(), 5u);
    EXPECT_NE(result.warnings[0].find("polygon 1"), std::string::npos);
    EXPECT_NE(result.warnings[0].find("collinear"), std::string::npos);
    EXPECT_NE(result.warnings[3].find("not convex"), std::string::npos);
    ASSERT_TRUE(result.root);
    EXPECT_EQ(result.root->polygonCount(), 2u);
    // The repeated corner is merged: a triangle with three edge planes.
    const CollisionPolygon& merged = result.root->polygons.front().plane.d == -3
                                         ? result.root->polygons.front()
                                     : result.root->front ? result.root->front->polygons.front()
                                                          : result.root->back->polygons.front();
    EXPECT_EQ(merged.edgePlanes.size(), 3u);
}

TEST(BspCompiler, NearlyCoplanarNeighbourIsFoundRightBesideTheSharedEdge)
{
    // Two triangles of a nearly flat surface: the second rises 0.003 at its
    // far corner, so next to the shared edge it lies within planeEpsilon of
    // the first one's plane, yet well inside its own edges.
    const std::vector<SourcePolygon> input = {
        {{{0, 0, 0}, {0, 0, 10}, {10, 0, 0}}, {0, 1, 0}},
        {{{0, 0, 10}, {10, 0.003, 10}, {10, 0, 0}}, {0, 1, 0}},
    };
    const auto result = tools::compileBsp(input);
    ASSERT_TRUE(result.root);
    const auto source = tools::collisionPolygons(input);
    for (double beyond : {0.002, 0.005, 0.01}) {
        // A point on the second triangle, `beyond` past the shared edge x + z = 10.
        const double x = 5.0 + beyond / std::sqrt(2.0), z = 5.0 + beyond / std::sqrt(2.0);
        for (const Vector3& from : {Vector3{x, 5, z}, Vector3{x - 3, 4, z + 1}}) {
            const Vector3 to = from + (Vector3{x, 0, z} - from) * 2.0;
            const Hit expected = bruteForce(source, from, to);
            const Hit found = trace(result.root.get(), from, to);
            ASSERT_TRUE(expected.hit);
            ASSERT_TRUE(found.hit) << beyond;
            EXPECT_NEAR(found.distance, expected.distance, 1e-6);
            EXPECT_EQ(found.plane.d, expected.plane.d);
        }
    }
}

TEST(BspCompiler, NothingToCompileGivesNoTree)
{
    const auto empty = tools::compileBsp({});
    EXPECT_TRUE(empty.ok());
    EXPECT_FALSE(empty.root);
    EXPECT_EQ(written(empty.root.get()), "0\n");

    const auto allDegenerate = tools::compileBsp({{{{0, 0, 0}, {1, 0, 0}}, {}}});
    EXPECT_TRUE(allDegenerate.ok());
    EXPECT_FALSE(allDegenerate.root);
}

TEST(BspCompiler, OppositeFacingPolygonsInOnePlaneShareANodeAndReportTheirOwnPlane)
{
    // A floor facing up over x < 0 and a ceiling facing down over x > 0, in y = 1.
    const std::vector<SourcePolygon> input = {
        {{{-4, 1, -1}, {-4, 1, 1}, {0, 1, 1}, {0, 1, -1}}, {0, 1, 0}},
        {{{0, 1, -1}, {4, 1, -1}, {4, 1, 1}, {0, 1, 1}}, {0, -1, 0}},
    };
    const auto result = tools::compileBsp(input);
    ASSERT_TRUE(result.root);
    EXPECT_EQ(result.stats.nodes, 1u);
    ASSERT_EQ(result.root->polygons.size(), 2u);

    const Hit down = trace(result.root.get(), {2, 3, 0}, {2, -3, 0});
    ASSERT_TRUE(down.hit);
    EXPECT_DOUBLE_EQ(down.distance, 2.0);
    EXPECT_DOUBLE_EQ(down.plane.b, -1.0);  // the ceiling's own plane
    const Hit other = trace(result.root.get(), {-2, 3, 0}, {-2, -3, 0});
    ASSERT_TRUE(other.hit);
    EXPECT_DOUBLE_EQ(other.plane.b, 1.0);
}

TEST(BspCompiler, PlaneFacesLikeTheRecordsNormalAndEdgePlanesFaceInwards)
{
    // Wound to face up, but the record says it faces down.
    const auto built =
        tools::makeCollisionPolygon({{0, 0, 0}, {0, 0, 2}, {2, 0, 2}, {2, 0, 0}}, {0, -1, 0});
    ASSERT_TRUE(built);
    EXPECT_DOUBLE_EQ(built->plane.b, -1.0);
    EXPECT_TRUE(built->contains({1, 0, 1}));
    EXPECT_FALSE(built->contains({3, 0, 1}));
    EXPECT_FALSE(built->contains({1, 0, -0.001}));
    // A zero face normal leaves the facing to the winding.
    const auto wound = tools::makeCollisionPolygon({{0, 0, 0}, {0, 0, 2}, {2, 0, 2}}, {});
    ASSERT_TRUE(wound);
    EXPECT_DOUBLE_EQ(wound->plane.b, 1.0);
}

TEST(BspCompiler, StraddlingPolygonIsCutIntoPiecesThatCoverIt)
{
    // A wall across a floor: the floor plane or the wall plane cuts the other.
    const std::vector<SourcePolygon> input = {
        {{{-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5}}, {0, 1, 0}},
        {{{0, -2, -5}, {0, -2, 5}, {0, 3, 5}, {0, 3, -5}}, {-1, 0, 0}},
    };
    const auto result = tools::compileBsp(input);
    ASSERT_TRUE(result.root);
    EXPECT_EQ(result.stats.splits, 1u);
    EXPECT_EQ(result.root->polygonCount(), 3u);
    checkEdgePlanesFaceInwards(*result.root);
    // Down through the floor on both sides of the wall, and into the wall
    // above and below the floor.
    for (double x : {-2.0, 2.0}) {
        const Hit h = trace(result.root.get(), {x, 4, 1}, {x, -1, 1});
        ASSERT_TRUE(h.hit) << x;
        EXPECT_DOUBLE_EQ(h.distance, 4.0);
    }
    for (double y : {-1.0, 2.0}) {
        const Hit h = trace(result.root.get(), {-3, y, 0}, {3, y, 0});
        ASSERT_TRUE(h.hit) << y;
        EXPECT_NEAR(h.distance, 3.0, 1e-12);
    }
}

TEST(BspCompiler, RefusesATreeDeeperThanTheLimit)
{
    // Facets round a cylinder all face out: each plane has every other facet
    // behind it, so the tree is as deep as there are facets.
    std::vector<SourcePolygon> facets;
    constexpr int count = 24;
    for (int k = 0; k < count; ++k) {
        const double a0 = k * 6.283185307179586 / count;
        const double a1 = (k + 1) * 6.283185307179586 / count;
        const Vector3 p0{std::cos(a0) * 5, 0, std::sin(a0) * 5};
        const Vector3 p1{std::cos(a1) * 5, 0, std::sin(a1) * 5};
        facets.push_back({{p0, p1, p1 + Vector3{0, 3, 0}, p0 + Vector3{0, 3, 0}}, {}});
    }
    tools::BspCompileOptions options;
    options.maximumDepth = count;
    const auto fits = tools::compileBsp(facets, options);
    ASSERT_TRUE(fits.ok()) << fits.error;
    EXPECT_EQ(fits.stats.depth, count);

    options.maximumDepth = count - 1;
    const auto tooDeep = tools::compileBsp(facets, options);
    EXPECT_FALSE(tooDeep.ok());
    EXPECT_FALSE(tooDeep.root);
    EXPECT_NE(tooDeep.error.find("deeper than 23"), std::string::npos);
}

}  // namespace
