// The canyon's moving things: drones that start clear of the rock and roam
// the floor for a minute of play without leaving it or passing through
// anything, and the turning crystals.
#include "ContentTestSupport.h"
#include "EntityTestSupport.h"

#include "content/CanyonShape.h"
#include "entities/RobotDrone.h"

#include <cstring>

namespace {

using content_test::canyonWorld;
using content_test::LoadedCanyon;

std::vector<RobotDrone*> dronesOf(const World& world)
{
    std::vector<RobotDrone*> drones;
    for (Object* object : world.movingObjects) {
        if (std::strcmp(object->className(), "RobotDrone") == 0)
            drones.push_back(static_cast<RobotDrone*>(object));
    }
    return drones;
}

TEST(ContentDrones, SixOrMoreTexturedRobotsStartClearOfTheRock)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
    const std::vector<RobotDrone*> drones = dronesOf(*canyon.world);
    ASSERT_GE(drones.size(), 6u);
    EXPECT_EQ(drones.size(), canyonWorld().layout.drones.size());
    for (RobotDrone* drone : drones) {
        EXPECT_EQ(drone->behaviour(), "drone");
        EXPECT_GE(drone->polygons.size(), 24u);
        EXPECT_LE(drone->polygons.size(), 60u);
        for (const Polygon& p : drone->polygons) {
            ASSERT_TRUE(p.texture);
            EXPECT_EQ(p.texture->name(), "..\\Textures\\drone.bmp");
        }
        EXPECT_TRUE(drone->effects.texture) << "the burst's texture";
        // Placed: no edge or diagonal of its box meets the world, and the
        // floor is right below it.
        drone->refreshVertices(*canyon.world, false);
        const BoundingBox& b = *drone->boundingBox;
        std::vector<Vector3> corners;
        for (int i = 0; i < 8; ++i) {
            corners.push_back(
                {i & 1 ? b.maxX : b.minX, i & 2 ? b.maxY : b.minY, i & 4 ? b.maxZ : b.minZ});
        }
        for (const Vector3& p : corners) {
            for (const Vector3& q : corners) {
                const std::optional<TraceHit> hit = canyon.world->traceSegment(p, q);
                EXPECT_FALSE(hit) << "drone at " << drone->position().x << " "
                                  << drone->position().y << " " << drone->position().z << " hit at "
                                  << hit->point.y;
            }
        }
        const Vector3 at = drone->position();
        const std::optional<TraceHit> ground =
            canyon.world->traceSegment(at, at - Vector3{0, 10, 0});
        ASSERT_TRUE(ground);
        EXPECT_NEAR(ground->distance, 2.0, 0.05);
    }
}

TEST(ContentDrones, RoamAMinuteOfPlayWithoutLeavingTheCanyonOrPassingThroughRock)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    World& world = *canyon.world;
    const std::vector<RobotDrone*> drones = dronesOf(world);
    std::vector<Vector3> start, previous;
    std::vector<double> travelled(drones.size(), 0.0);
    for (RobotDrone* drone : drones) start.push_back(drone->position());
    previous = start;
    // A minute at 40 frames a second.
    for (int frame = 0; frame < 2400; ++frame) {
        world.update(entity_test::frameIn(world, 0.4, 25));
        for (std::size_t i = 0; i < drones.size(); ++i) {
            const Vector3 at = drones[i]->position();
            ASSERT_FALSE(world.traceSegment(previous[i], at))
                << "drone " << i << " frame " << frame;
            ASSERT_LT(tools::canyon::outside(at.x, at.z), -1.0)
                << "drone " << i << " frame " << frame;
            ASSERT_EQ(at.y, start[i].y);
            travelled[i] += (at - previous[i]).length();
            previous[i] = at;
        }
    }
    for (std::size_t i = 0; i < drones.size(); ++i)
        EXPECT_GT(travelled[i], 100.0)
            << "drone " << i << " from " << start[i].x << " " << start[i].y << " " << start[i].z;
}

TEST(ContentDrones, CrystalsTurnInPlace)
{
    LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world);
    World& world = *canyon.world;
    int spinning = 0;
    for (Object* object : world.movingObjects) {
        if (std::strcmp(object->className(), "DynamicObject") != 0) continue;
        auto* crystal = static_cast<DynamicObject*>(object);
        EXPECT_EQ(crystal->behaviour().rfind("rotate", 0), 0u);
        const Vector3 at = crystal->position();
        const Matrix4 before = crystal->placement.transform();
        crystal->update(entity_test::frameIn(world, 0.4, 25));
        EXPECT_EQ(crystal->position(), at);
        EXPECT_FALSE(entity_test::near(crystal->placement.transform(), before));
        ++spinning;
    }
    EXPECT_GE(spinning, 2);
    EXPECT_LE(spinning, 3);
}

}  // namespace
