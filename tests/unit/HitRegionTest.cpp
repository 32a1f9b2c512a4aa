// The region bounds and corners against a plain rendering of the same
// arithmetic, bit for bit: the query boxes built from them are only sound
// while every corner and rounding bound stays exactly what it was.

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

// The plain reference: every quantity written out where it is used.
std::optional<std::vector<HitCorner>> referenceCorners(const Plane& plane,
                                                       const std::vector<Plane>& edges)
{
    const std::size_t count = edges.size();
    if (count < 3 || count > 64) return std::nullopt;
    const Vector3 n = plane.normal();
    const double nn = n.dot(n);
    if (!(nn > 1e-12) || !std::isfinite(nn) || !std::isfinite(plane.d)) return std::nullopt;
    const Vector3 origin = n * (-plane.d / nn);
    const Vector3 helper =
        std::fabs(n.x) < 0.9 * std::sqrt(nn) ? Vector3{1, 0, 0} : Vector3{0, 1, 0};
    Vector3 u1 = n.cross(helper);
    u1 /= u1.length();
    Vector3 u2 = n.cross(u1);
    u2 /= u2.length();
    std::vector<double> gx(count), gy(count), c(count), g(count);
    for (std::size_t k = 0; k < count; ++k) {
        const Vector3 en = edges[k].normal();
        gx[k] = en.dot(u1);
        gy[k] = en.dot(u2);
        const double squared = gx[k] * gx[k] + gy[k] * gy[k];
        g[k] = squared > 1e-280 && squared < 1e280 ? std::sqrt(squared) : std::hypot(gx[k], gy[k]);
        c[k] = edges[k].distance(origin) + planeEpsilon + 1e-6 * en.length();
        if (!std::isfinite(c[k]) || !(g[k] > 1e-9 * en.length())) return std::nullopt;
    }
    for (std::size_t k = 0; k < count; ++k) {
        for (double sense : {1.0, -1.0}) {
            const double rx = -gy[k] * sense, ry = gx[k] * sense;
            bool blocked = false;
            for (std::size_t m = 0; m < count; ++m)
                blocked = blocked || gx[m] * rx + gy[m] * ry < -1e-9 * g[m] * g[k];
            if (!blocked) return std::nullopt;
        }
    }
    std::vector<HitCorner> corners;
    for (std::size_t p = 0; p < count; ++p) {
        for (std::size_t q = p + 1; q < count; ++q) {
            const double det = gx[p] * gy[q] - gy[p] * gx[q];
            if (std::fabs(det) <= 1e-12 * g[p] * g[q]) continue;
            const double s = (-c[p] * gy[q] + c[q] * gy[p]) / det;
            const double t = (-gx[p] * c[q] + gx[q] * c[p]) / det;
            bool inside = true;
            for (std::size_t m = 0; m < count; ++m) {
                const double tolerance =
                    1e-6 * (1 + std::fabs(c[m]) + g[m] * (std::fabs(s) + std::fabs(t)));
                inside = inside && gx[m] * s + gy[m] * t + c[m] >= -tolerance;
            }
            if (!inside) continue;
            const double sine = std::fabs(det) / (g[p] * g[q]);
            const double rounding = 1e-10 *
                                    (1 + std::fabs(c[p]) / g[p] + std::fabs(c[q]) / g[q] +
                                     std::fabs(s) + std::fabs(t)) /
                                    sine;
            const Vector3 x = origin + u1 * s + u2 * t;
            const double reach = std::max({std::fabs(x.x), std::fabs(x.y), std::fabs(x.z)});
            if (!(reach + rounding <= hitRegionReach)) return std::nullopt;
            corners.push_back({x, rounding});
        }
    }
    if (corners.empty()) return std::nullopt;
    return corners;
}

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
        std::vector<Vector3> corners;
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

TEST(HitRegion, BoundsAndCornersMatchThePlainArithmeticBitForBit)
{
    PolygonMaker maker{std::mt19937_64(20261207)};
    Plane plane;
    std::vector<Plane> edges;
    int bounded = 0;
    for (int run = 0; run < 40000; ++run) {
        maker.make(plane, edges);
        const std::optional<std::vector<HitCorner>> expected = referenceCorners(plane, edges);

        // Corners are appended after what the list holds, and nothing is
        // left behind on a refusal.
        std::vector<HitCorner> corners{{{7, 8, 9}, 0.5}};
        const bool appended = appendHitRegionCorners(plane, edges, corners);
        ASSERT_EQ(appended, expected.has_value()) << "run " << run;
        ASSERT_EQ(corners.size(), 1 + (expected ? expected->size() : 0)) << "run " << run;
        ASSERT_TRUE(same(corners[0].point, {7, 8, 9}));

        const std::optional<HitBox> box = hitRegionBounds(plane, edges);
        ASSERT_EQ(box.has_value(), expected.has_value()) << "run " << run;
        if (!expected) continue;
        ++bounded;
        HitBox expectedBox{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
        for (std::size_t k = 0; k < expected->size(); ++k) {
            const HitCorner& want = (*expected)[k];
            ASSERT_TRUE(same(corners[k + 1].point, want.point)) << "run " << run;
            ASSERT_TRUE(same(corners[k + 1].rounding, want.rounding)) << "run " << run;
            includeCorner(expectedBox, want);
        }
        ASSERT_TRUE(same(box->low, expectedBox.low) && same(box->high, expectedBox.high))
            << "run " << run;
    }
    // The mix reaches both answers in earnest.
    EXPECT_GT(bounded, 15000);
    EXPECT_LT(bounded, 38000);
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
