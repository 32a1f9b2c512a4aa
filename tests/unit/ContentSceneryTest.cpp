#include "ContentTestSupport.h"

#include "entities/Light.h"
#include "entities/Skybox.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "textures/Texture.h"

#include <gtest/gtest.h>

namespace {

using content_test::canyonWorld;
using content_test::LoadedCanyon;

template <typename T>
std::vector<const T*> all(const World& world)
{
    std::vector<const T*> out;
    for (const auto& object : world.objects)
        if (const auto* typed = dynamic_cast<const T*>(object.get())) out.push_back(typed);
    return out;
}

TEST(ContentScenery, TheCanyonHasASkyFirstWithEveryFaceTextured)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
    const World& world = *canyon.world;
    ASSERT_FALSE(world.objects.empty());
    const auto* sky = dynamic_cast<const Skybox*>(world.objects.front().get());
    ASSERT_TRUE(sky);
    ASSERT_EQ(sky->polygons.size(), 7u);  // six faces and the cloud layer
    for (std::size_t i = 0; i < sky->polygons.size(); ++i) {
        const Polygon& face = sky->polygons[i];
        ASSERT_TRUE(face.texture) << "polygon " << i;
        ASSERT_EQ(face.vertices.size(), 4u);
        // The faces' corners were moved half a texel inward; the clouds' not.
        const double shift = i < 6 ? 0.5 / face.texture->width() : 0.0;
        EXPECT_DOUBLE_EQ(face.vertices[0].u, shift) << "polygon " << i;
    }
    EXPECT_EQ(all<Skybox>(world).size(), 1u);
}

TEST(ContentScenery, LampsShowTheirCoronasFromWherePeopleStand)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const World& world = *canyon.world;
    const tools::CanyonLayout& layout = canyonWorld().layout;
    ASSERT_EQ(world.lights.size(), 4u);
    for (const auto& object : world.lights) {
        const auto& light = dynamic_cast<const Light&>(*object);
        EXPECT_TRUE(light.coronaTexture);
        EXPECT_GT(light.coronaSize, 0.0);
        EXPECT_GT(light.range, 5.0);
    }
    // Each lamp seen, unobstructed, from a place on the way to it.
    const Vector3 eye{0, 1.8, 0};
    const Vector3 doorFront = layout.ruinDoor + Vector3{0, 0, 6} + eye;
    const std::pair<Vector3, Vector3> sightLines[] = {
        {doorFront, layout.doorLamp},
        {world.playerStart + Vector3{0, 1.5, 0}, layout.bridgeLamps.at(0)},
        {world.playerStart + Vector3{0, 1.5, 0}, layout.bridgeLamps.at(1)},
        {layout.bridgeTop + eye, layout.plinthTop + Vector3{0, 2.2, 0}},
    };
    for (const auto& [from, lamp] : sightLines) {
        EXPECT_FALSE(world.traceSegment(from, lamp))
            << "lamp at " << lamp.x << " " << lamp.y << " " << lamp.z;
        bool listed = false;
        for (const auto& object : world.lights)
            listed = listed || dynamic_cast<const Light&>(*object).position == lamp;
        EXPECT_TRUE(listed);
    }
}

TEST(ContentScenery, AVehicleWaitsNearTheStartAndTeapotsStandOnThePlinth)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    const World& world = *canyon.world;
    const tools::CanyonLayout& layout = canyonWorld().layout;

    const auto vehicles = all<Vehicle>(world);
    ASSERT_EQ(vehicles.size(), 1u);
    const Vector3 at = vehicles[0]->placement.position();
    EXPECT_EQ(at, layout.vehicle);
    EXPECT_LT((at - world.playerStart).length(), 12.0);
    // In sight from the start, its ball resting on the ground.
    EXPECT_FALSE(world.traceSegment(world.playerStart + Vector3{0, 1.5, 0}, at));
    const std::optional<TraceHit> ground = world.traceSegment(at, at - Vector3{0, 5, 0});
    ASSERT_TRUE(ground);
    EXPECT_NEAR(ground->distance, 0.35 * vehicles[0]->scale.y, 0.05);

    const auto teapots = all<Teapot>(world);
    ASSERT_EQ(teapots.size(), 2u);
    EXPECT_EQ(teapots[0]->style, Teapot::solidStyle);
    EXPECT_EQ(teapots[1]->style, Teapot::wireStyle);
    for (const Teapot* teapot : teapots) {
        const std::optional<TraceHit> stand =
            world.traceSegment(teapot->position, teapot->position - Vector3{0, 2, 0});
        ASSERT_TRUE(stand);
        EXPECT_NEAR(stand->point.y, layout.plinthTop.y, 1e-9);
    }
}

}  // namespace
