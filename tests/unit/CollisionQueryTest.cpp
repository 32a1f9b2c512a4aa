#include "GeometryTestSupport.h"

#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace geometry_test;

namespace {

std::unique_ptr<HeightField> flatField(const Plane& p)
{
    return makeMarkedField(2, 2, [&](int, int, int) { return p; });
}

// Claims to be terrain by name, but was not filed as terrain.
struct Impostor : Object {
    const char* className() const override { return "HeightField"; }
};

const Vector3 above{0.5, 5, 0.5};
const Vector3 below{0.5, -5, 0.5};

TEST(TraceSegment, EmptyWorldMissesAndWritesNothing)
{
    World world;
    world.add(std::make_unique<Object>(), EntityRole::staticGeometry);
    world.add(std::make_unique<Impostor>(), EntityRole::scenery);
    Hit h = trace(world, above, below);
    EXPECT_FALSE(h.hit);
    EXPECT_EQ(h.distance, -1);
    EXPECT_EQ(h.plane.a, 9);
}

TEST(TraceSegment, EqualDistancesKeepTheBspHit)
{
    World world;
    world.bspTree = node({everywhere(plane(0, 1, 0, 0))});
    world.add(flatField(plane(0, -1, 0, 0)), EntityRole::terrain);  // also y = 0, facing down
    Hit h = trace(world, above, below);
    ASSERT_TRUE(h.hit);
    EXPECT_EQ(h.distance, 5);
    EXPECT_EQ(h.plane.b, 1);

    World nearer;
    nearer.bspTree = node({everywhere(plane(0, 1, 0, 0))});
    nearer.add(flatField(plane(0, -1, 0, 0.1)), EntityRole::terrain);  // y = 0.1
    h = trace(nearer, above, below);
    ASSERT_TRUE(h.hit);
    EXPECT_DOUBLE_EQ(h.distance, 4.9);
    EXPECT_EQ(h.plane.b, -1);
    EXPECT_NEAR(h.point.y, 0.1, 1e-12);
}

TEST(TraceSegment, NearerHeightFieldWinsWhateverTheOrder)
{
    for (bool nearFirst : {true, false}) {
        World world;
        auto nearField = flatField(plane(0, 1, 0, -2));  // y = 2
        auto farField = flatField(plane(0, 1, 0, 1));    // y = -1
        world.add(nearFirst ? std::move(nearField) : std::move(farField), EntityRole::terrain);
        world.add(std::make_unique<Object>(), EntityRole::staticGeometry);
        world.add(nearFirst ? std::move(farField) : std::move(nearField), EntityRole::terrain);
        Hit h = trace(world, above, below);
        ASSERT_TRUE(h.hit);
        EXPECT_DOUBLE_EQ(h.distance, 3) << nearFirst;
        EXPECT_EQ(h.plane.d, -2);
    }
}

TEST(TraceSegment, AgreesWithBruteForceOverRoomsAndTerrain)
{
    std::srand(5);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    int hits = 0, segments = 0;
    for (int round = 0; round < 10; ++round) {
        World world;
        const std::vector<Rectangle> rectangles = randomRectangles(20, 5, random);
        world.bspTree = buildBsp(rectangles);
        world.add(makeField(9, 9, -8, -8, 2, [&](int, int) { return random(-6, -1); }),
                  EntityRole::terrain);
        world.add(makeField(5, 7, -3, -5, 1.5, [&](int, int) { return random(0, 4); }),
                  EntityRole::terrain);

        std::vector<const CollisionPolygon*> all;
        collectPolygons(world.bspTree.root(), all);
        for (const auto& object : world.objects) {
            for (const CollisionPolygon& t :
                 static_cast<const HeightField&>(*object).grid.triangles)
                all.push_back(&t);
        }
        for (int s = 0; s < 500; ++s, ++segments) {
            const Vector3 a{random(-12, 12), random(-12, 12), random(-12, 12)};
            // Half long, half player-sized.
            const Vector3 b = s % 2 ? Vector3{random(-12, 12), random(-12, 12), random(-12, 12)}
                                    : a + Vector3{random(-1, 1), random(-1, 1), random(-1, 1)};
            double nearest = 0;
            const bool expected = nearestCrossing(all, a, b, nearest);
            Hit h = trace(world, a, b);
            ASSERT_EQ(h.hit, expected) << "round " << round << " segment " << s;
            if (expected) {
                ++hits;
                EXPECT_NEAR(h.distance, nearest, 1e-9);
                EXPECT_NEAR(h.plane.distance(h.point), 0, 1e-9);
            }
        }
    }
    // The comparison means something only if many segments hit.
    EXPECT_GT(hits, segments / 4);
}

// slideMotion ------------------------------------------------------------------

const Vector3 up{0, 1, 0};

TEST(SlideMotion, EmptyOrBlockedMotionGoesNowhere)
{
    World world;
    const Vector3 a{1, 2, 3};
    EXPECT_EQ(slideMotion(a, a, up, world, 1.1, 1.2, true), Vector3{});
    EXPECT_EQ(slideMotion(a, a + Vector3{0, 0.000009, 0}, up, world, 1.1, 1.2, false), Vector3{});
    // Straight into a wall and straight away from it.
    const Vector3 wall{1, 0, 0};
    EXPECT_EQ(slideMotion(a, a + Vector3{-2, 0, 0}, wall, world, 1.1, 1.2, false), Vector3{});
    EXPECT_EQ(slideMotion(a, a + Vector3{2, 0, 0}, wall, world, 1.1, 1.2, false), Vector3{});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(slideMotion(a, Vector3{nan, 0, 0}, wall, world, 1.1, 1.2, false), Vector3{});
}

TEST(SlideMotion, SlidesOnlyWithinTheAngle)
{
    World world;
    const double rad = std::acos(-1.0) / 180.0;
    const Vector3 wall{1, 0, 0};
    // 80 degrees from the wall's normal: the part along the wall remains.
    const Vector3 m{std::cos(80 * rad) * -3, 0, std::sin(80 * rad) * 3};
    const Vector3 slid = slideMotion({}, m, wall, world, 1.1, 1.2, false);
    EXPECT_NEAR(slid.x, 0, 1e-15);
    EXPECT_DOUBLE_EQ(slid.z, m.z);
    // 20 degrees from the normal is steeper than the angle allows.
    const Vector3 steep{std::cos(20 * rad) * -3, 0, std::sin(20 * rad) * 3};
    EXPECT_EQ(slideMotion({}, steep, wall, world, 1.1, 1.2, false), Vector3{});
}

TEST(SlideMotion, KeepLevelNeverLeavesAnUpwardPart)
{
    World world;
    world.bspTree = node({everywhere(plane(-1, 0, 0, 4))});  // a wall at x = 4, facing -x
    std::srand(3);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    for (int k = 0; k < 1000; ++k) {
        Vector3 n{random(-1, 1), random(-1, 1), random(-1, 1)};
        n /= n.length();
        const Vector3 a{random(-3, 3), random(-3, 3), random(-3, 3)};
        const Vector3 b = a + Vector3{random(-3, 3), random(-3, 3), random(-3, 3)};
        EXPECT_EQ(slideMotion(a, b, n, world, 1.1, 1.2, true).y, 0.0);
    }
}

TEST(SlideMotion, StopsRadiusShortOfWhatTheProbeMeets)
{
    const Vector3 floorMotion{2, -1, 0};  // into the floor, sliding along +x
    {
        World open;
        open.bspTree = node({everywhere(plane(-1, 0, 0, 5))});  // wall at x = 5: out of reach
        const Vector3 m = slideMotion({}, floorMotion, up, open, 1.1, 1.2, true);
        EXPECT_EQ(m, (Vector3{2, 0, 0}));
    }
    {
        World near;
        near.bspTree = node({everywhere(plane(-1, 0, 0, 3))});  // wall at x = 3
        const Vector3 m = slideMotion({}, floorMotion, up, near, 1.1, 1.2, true);
        EXPECT_NEAR(m.x, 1.8, 1e-12);
        EXPECT_EQ(m.y, 0);
    }
    {
        World tight;
        tight.bspTree =
            node({everywhere(plane(-1, 0, 0, 1))});  // wall at x = 1, nearer than the radius
        const Vector3 m = slideMotion({}, floorMotion, up, tight, 1.1, 1.2, true);
        EXPECT_NEAR(m.x, -0.2, 1e-12);
    }
    {
        // Without keepLevel the slide keeps its slope along a tilted surface.
        World open;
        const Vector3 slope = Vector3{-1, 1, 0} / std::sqrt(2.0);
        const Vector3 m = slideMotion({}, {0, -1, 0}, slope, open, 1.0, 0.1, false);
        EXPECT_NEAR(m.x, -0.5, 1e-12);
        EXPECT_NEAR(m.y, -0.5, 1e-12);
    }
}

}  // namespace
