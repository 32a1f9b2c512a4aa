// The region's corners and box hold every point the polygon accepts, so
// that the query boxes and side bounds built from them pass over nothing
// a trace could report.

#include "geometry/HitRegion.h"
#include "math/OutwardFloat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

namespace {

bool same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
bool same(const Vector3& a, const Vector3& b)
{
    return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z);
}

Vector3 unit(const Vector3& v) { return v / v.length(); }

// Polygons of every kind the loader meets and some it should refuse:
// convex ones from points around a circle in a random plane (at any scale
// and distance, some nearly degenerate), then with an edge plane disturbed,
// flipped, duplicated or made non-finite, and sets of random planes.
struct PolygonMaker {
    std::mt19937_64 engine;
    std::vector<Vector3> corners;  // of the polygon as built, before any disturbance
    double uniform(double low, double high)
    {
        return std::uniform_real_distribution<>(low, high)(engine);
    }
    int integer(int low, int high) { return std::uniform_int_distribution<>(low, high)(engine); }
    Vector3 direction()
    {
        for (;;) {
            const Vector3 v{uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
            if (v.dot(v) > 1e-6 && v.dot(v) <= 1) return unit(v);
        }
    }

    void make(Plane& plane, std::vector<Plane>& edges)
    {
        edges.clear();
        corners.clear();
        const Vector3 n = integer(0, 3) == 0 ? Vector3{0, 1, 0} : direction();
        const double scale = std::pow(10.0, uniform(-4, 5));
        const Vector3 centre =
            direction() * (scale * uniform(0, 3) + (integer(0, 9) == 0 ? 2e6 : 0));
        plane = {n.x, n.y, n.z, -n.dot(centre)};
        const Vector3 helper = std::fabs(n.x) < 0.5 ? Vector3{1, 0, 0} : Vector3{0, 0, 1};
        const Vector3 u = unit(n.cross(helper)), w = n.cross(u);
        const int kind = integer(0, 9);
        if (kind == 0) {  // loose random planes: unbounded, empty or odd
            const int count = integer(0, 9);
            for (int k = 0; k < count; ++k) {
                const Vector3 e = direction();
                edges.push_back({e.x, e.y, e.z, uniform(-2, 2) * scale});
            }
            return;
        }
        const int count = kind == 1 ? integer(60, 70) : integer(3, 8);
        std::vector<double> angles(static_cast<std::size_t>(count));
        for (double& a : angles) a = uniform(0, 6.283185307179586);
        std::sort(angles.begin(), angles.end());
        for (double a : angles)
            corners.push_back(centre + (u * std::cos(a) + w * std::sin(a)) * scale);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const Vector3 from = corners[k], to = corners[(k + 1) % corners.size()];
            const Vector3 inward = unit(n.cross(to - from));
            edges.push_back({inward.x, inward.y, inward.z, -inward.dot(from)});
        }
        Plane& victim = edges[static_cast<std::size_t>(integer(0, count - 1))];
        switch (kind) {
        case 2: victim.d += uniform(-1e-5, 1e-5) * scale; break;
        case 3: victim = {-victim.a, -victim.b, -victim.c, -victim.d}; break;
        case 4: edges.push_back(victim); break;
        case 5:
            victim.a = integer(0, 1) ? std::numeric_limits<double>::quiet_NaN() : HUGE_VAL;
            break;
        case 6: victim = {victim.a * 1e-12, victim.b * 1e-12, victim.c * 1e-12, victim.d}; break;
        case 7: plane = {plane.a * uniform(0.5, 2), plane.b, plane.c, plane.d}; break;
        default: break;
        }
    }
};

bool accepts(const std::vector<Plane>& edges, const Vector3& p)
{
    return std::all_of(edges.begin(), edges.end(),
                       [&](const Plane& e) { return e.distance(p) >= -planeEpsilon; });
}

Vector3 ontoPlane(const Plane& plane, const Vector3& p)
{
    const Vector3 n = plane.normal();
    return p - n * (plane.distance(p) / n.dot(n));
}

TEST(HitRegion, CornersAndBoxHoldEveryAcceptedPoint)
{
    PolygonMaker maker;
    maker.engine.seed(20261207);
    Plane plane;
    std::vector<Plane> edges;
    int bounded = 0, samplesChecked = 0;
    for (int run = 0; run < 20000; ++run) {
        maker.make(plane, edges);
        // Appended after what the list holds (nothing for an empty region);
        // nothing is left on a refusal.
        std::vector<HitCorner> corners{{{7, 8, 9}, 0.5}};
        const bool appended = appendHitRegionCorners(plane, edges, corners);
        const std::optional<BoundingBox> box = hitRegionBounds(plane, edges);
        ASSERT_EQ(appended, box.has_value()) << "run " << run;
        if (!appended) {
            ASSERT_EQ(corners.size(), 1u) << "run " << run;
        }
        ASSERT_TRUE(same(corners[0].point, {7, 8, 9}));
        if (!box) continue;
        ++bounded;
        corners.erase(corners.begin());
        if (corners.empty()) {
            // An empty region: not even the points it was made from are accepted.
            for (const Vector3& c : maker.corners)
                ASSERT_FALSE(accepts(edges, ontoPlane(plane, c))) << "run " << run;
            continue;
        }
        BoundingBox ofCorners = BoundingBox::empty();
        for (const HitCorner& c : corners) includeCorner(ofCorners, c);
        ASSERT_TRUE(same(box->low(), ofCorners.low()) && same(box->high(), ofCorners.high()));

        // Points the polygon accepts, most of them at its rim: its corners
        // (as built, and as found) pushed out a little, and points between.
        std::vector<Vector3> seeds = maker.corners;
        for (const HitCorner& c : corners) seeds.push_back(c.point);
        std::vector<Vector3> accepted;
        for (int k = 0; k < 40; ++k) {
            const Vector3 seed = seeds[static_cast<std::size_t>(
                maker.integer(0, static_cast<int>(seeds.size()) - 1))];
            const Vector3 other = seeds[static_cast<std::size_t>(
                maker.integer(0, static_cast<int>(seeds.size()) - 1))];
            const Vector3 between = seed + (other - seed) * maker.uniform(0, 1) * (k % 2);
            const Vector3 p = ontoPlane(
                plane, between + maker.direction() * (3 * planeEpsilon * maker.uniform(0, 1)));
            if (accepts(edges, p)) accepted.push_back(p);
        }
        // Any linear measure over them is bounded by the corners with their
        // rounding (the box is the case of the axes).
        const Vector3 axes[] = {
            {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, maker.direction(), maker.direction()};
        for (const Vector3& m : axes) {
            const double spread = std::fabs(m.x) + std::fabs(m.y) + std::fabs(m.z);
            double least = HUGE_VAL, most = -HUGE_VAL;
            for (const HitCorner& c : corners) {
                least = std::min(least, m.dot(c.point) - c.rounding * spread);
                most = std::max(most, m.dot(c.point) + c.rounding * spread);
            }
            for (const Vector3& p : accepted) {
                ASSERT_GE(m.dot(p), least) << "run " << run;
                ASSERT_LE(m.dot(p), most) << "run " << run;
                ++samplesChecked;
            }
        }
    }
    // The mix reaches both answers in earnest, and the rims are sampled.
    EXPECT_GT(bounded, 7500);
    EXPECT_LT(bounded, 19000);
    EXPECT_GT(samplesChecked, 1000000);
}

// The float bounds against the library's own step to the next float.
float referenceDown(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) > v ? std::nextafter(f, -HUGE_VALF) : f;
}

float referenceUp(double v)
{
    const auto f = static_cast<float>(v);
    return static_cast<double>(f) < v ? std::nextafter(f, HUGE_VALF) : f;
}

TEST(OutwardFloat, MatchesTheLibraryStepAndBoundsTheDouble)
{
    const double fltMax = std::numeric_limits<float>::max();
    const double denorm = std::numeric_limits<float>::denorm_min();
    std::vector<double> values{0.0,
                               -0.0,
                               denorm,
                               -denorm,
                               denorm / 3,
                               -denorm / 3,
                               1e-50,
                               -1e-50,
                               fltMax,
                               -fltMax,
                               HUGE_VAL,
                               -HUGE_VAL,
                               0.1,
                               -0.1,
                               1.0 / 3,
                               std::nextafter(fltMax, 0.0),
                               -std::nextafter(fltMax, 0.0),
                               std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 engine(7);
    for (int k = 0; k < 200000; ++k) {
        // Doubles of every exponent the floats reach and beyond, and
        // floats themselves (which round to no neighbour).
        const double magnitude = std::ldexp(std::uniform_real_distribution<>(1, 2)(engine),
                                            std::uniform_int_distribution<>(-160, 135)(engine));
        const double v = (engine() & 1) ? magnitude : -magnitude;
        values.push_back((engine() & 7) == 0 ? static_cast<float>(v) : v);
    }
    for (double v : values) {
        const float down = roundedDown(v), up = roundedUp(v);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(down),
                  std::bit_cast<std::uint32_t>(referenceDown(v)))
            << v;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(up), std::bit_cast<std::uint32_t>(referenceUp(v)))
            << v;
        if (std::isnan(v)) continue;
        EXPECT_LE(static_cast<double>(down), v);
        EXPECT_GE(static_cast<double>(up), v);
    }
}

}  // namespace
