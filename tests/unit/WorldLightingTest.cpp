#include "EntityTestSupport.h"

#include "entities/Light.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace entity_test;

namespace {

void addLight(World& world, const Vector3& at, double range, Vector3 colour = {1, 1, 1})
{
    auto light = std::make_unique<Light>();
    light->position = at;
    light->range = range;
    light->red = colour.x;
    light->green = colour.y;
    light->blue = colour.z;
    world.add(std::move(light), EntityRole::light);
}

// A vertex at `at` facing `normal`, with a colour the lighting must replace.
Vertex vertexAt(const Vector3& at, const Vector3& normal = {0, 1, 0})
{
    Vertex v;
    v.position.x = at.x, v.position.y = at.y, v.position.z = at.z;
    v.normal.x = normal.x, v.normal.y = normal.y, v.normal.z = normal.z;
    v.r = v.g = v.b = 0.123;
    return v;
}

Vector3 colourOf(const Vertex& v) { return {v.r, v.g, v.b}; }

Vector3 lit(const World& world, const Vertex& vertex)
{
    Vertex v = vertex;
    world.lightVertex(v);
    return colourOf(v);
}

TEST(LightVertex, AmbientRangeFacingAndClamp)
{
    World world;
    world.ambientLight = {0.8, 0.1, -0.3};
    const Vertex up = vertexAt({0, 0, 0});
    EXPECT_EQ(lit(world, up), Vector3(0.8, 0.1, -0.3)) << "no lights: the ambient colour exactly";

    const struct {
        const char* name;
        Vector3 light;
        double range;
        Vector3 expected;
    } cases[] = {
        // Straight above, 2 of range 4: lambert 1, weight 0.5; red clamped
        // at 1.0, blue stays below 0 (no lower clamp).
        {"above, half range", {0, 2, 0}, 4, {1.0, 0.6, 0.2}},
        {"exactly at the range", {0, 4, 0}, 4, {0.8, 0.1, -0.3}},
        {"beyond the range", {0, 5, 0}, 4, {0.8, 0.1, -0.3}},
        {"behind the surface", {0, -2, 0}, 4, {0.8, 0.1, -0.3}},
        {"level with the surface", {2, 0, 0}, 4, {0.8, 0.1, -0.3}},
        // At 45 degrees, distance 2 of range 4: 0.7071 x 0.5.
        {"at 45 degrees",
         {std::sqrt(2.0), std::sqrt(2.0), 0},
         4,
         {1.0, 0.1 + 0.5 * std::sqrt(0.5), -0.3 + 0.5 * std::sqrt(0.5)}},
    };
    for (const auto& c : cases) {
        World one;
        one.ambientLight = world.ambientLight;
        addLight(one, c.light, c.range);
        const Vector3 got = lit(one, up);
        EXPECT_NEAR(got.x, c.expected.x, 1e-12) << c.name;
        EXPECT_NEAR(got.y, c.expected.y, 1e-12) << c.name;
        EXPECT_NEAR(got.z, c.expected.z, 1e-12) << c.name;
    }
}

TEST(LightVertex, ShadowedByWallsAndTerrain)
{
    const Vertex up = vertexAt({0.5, 0, 0.5});
    const Vector3 light{0.5, 3, 0.5};

    // A ceiling between the vertex and the light.
    auto walled = worldOf({wall(1, 1.5, -1)});
    walled->ambientLight = {0, 0, 0};
    addLight(*walled, light, 10);
    EXPECT_EQ(lit(*walled, up), Vector3(0, 0, 0));

    // Terrain at y = 1 in between (the vertex under it).
    World under;
    under.ambientLight = {0, 0, 0};
    under.add(geometry_test::makeField(3, 3, -1, -1, 1, [](int, int) { return 1.0; }),
              EntityRole::terrain);
    addLight(under, light, 10);
    EXPECT_EQ(lit(under, up), Vector3(0, 0, 0));

    // With nothing in between the same light adds 0.7.
    World clear;
    clear.ambientLight = {0, 0, 0};
    addLight(clear, light, 10);
    EXPECT_NEAR(lit(clear, up).x, 0.7, 1e-12);
}

TEST(LightVertex, AddsEveryLightAsAPlainSumWould)
{
    std::srand(17);
    auto random = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
    World world;
    world.ambientLight = {0.1, 0.05, 0.0};
    std::vector<std::pair<Vector3, double>> lights;
    for (int i = 0; i < 6; ++i) {
        const Vector3 at{random(-8, 8), random(-8, 8), random(-8, 8)};
        const double range = random(2, 12);
        addLight(world, at, range, {0.3, 0.2, 0.1});
        lights.emplace_back(at, range);
    }
    for (int i = 0; i < 2000; ++i) {
        Vector3 n{random(-1, 1), random(-1, 1), random(-1, 1)};
        n /= n.length();
        const Vector3 at{random(-8, 8), random(-8, 8), random(-8, 8)};
        double sum = 0.0;
        for (const auto& [position, range] : lights) {
            const double d = (position - at).length();
            const double lambert = n.dot((position - at) / d);
            if (d < range && lambert > 0) sum += lambert * (range - d) / range;
        }
        const Vector3 got = lit(world, vertexAt(at, n));
        ASSERT_NEAR(got.x, std::min(1.0, 0.1 + 0.3 * sum), 1e-12);
        ASSERT_NEAR(got.z, std::min(1.0, 0.1 * sum), 1e-12);
    }
}

}  // namespace
