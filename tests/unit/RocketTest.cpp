#include "EntityTestSupport.h"
#include "support/TestEnvironment.h"

#include "app/Commands.h"
#include "entities/RobotDrone.h"
#include "entities/Rocket.h"
#include "game/Player.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace entity_test;

namespace {

std::unique_ptr<RobotDrone> readDrone(const Vector3& at, World& world,
                                      const std::string& behaviour = "NULL")
{
    return readAs<RobotDrone>(readRobotDrone, dynamicRecord(at, behaviour, {squareRecord()}),
                              world);
}

// A rocket launched from the origin along -z at the given time step.
std::unique_ptr<Rocket> launched(double timeStep = 0.4)
{
    auto rocket = std::make_unique<Rocket>(nullptr, nullptr);
    EXPECT_TRUE(rocket->launch(Placement(), timeStep));
    return rocket;
}

TEST(RocketMesh, IsTheTabledPyramidReadyAndAPlainDynamicObjectByName)
{
    const Rocket rocket(nullptr, nullptr);
    EXPECT_STREQ(rocket.className(), "DynamicObject");
    EXPECT_EQ(rocket.state, Rocket::Ready);
    ASSERT_EQ(rocket.polygons.size(), 5u);
    const std::size_t counts[] = {3, 3, 3, 3, 4};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(rocket.polygons[i].vertices.size(), counts[i]);
    EXPECT_EQ(positionOf(rocket.polygons[0].vertices[0]), Vector3(0, 0, -0.5));
    EXPECT_EQ(rocket.polygons[2].vertices[2].v, 1.0);
    EXPECT_EQ(positionOf(rocket.polygons[4].vertices[3]), Vector3(-0.3, 0, 0.3));
    EXPECT_EQ(rocket.polygons[4].vertices[3].normal.z, 1.0);
    EXPECT_EQ(rocket.restVertices.size(), 16u);
    ASSERT_TRUE(rocket.boundingBox);
    const BoundingBox& b = *rocket.boundingBox;
    EXPECT_EQ(Vector3(b.minX, b.minY, b.minZ), Vector3(-0.3, -0.3, -0.5));
    EXPECT_EQ(Vector3(b.maxX, b.maxY, b.maxZ), Vector3(0.3, 0.3, 0.3));
}

TEST(RocketFlight, BurstsHalfAUnitShortOfAWallTenAhead)
{
    auto world = worldOf({wall(2, -10, 1)});
    auto rocket = launched(0.4);
    EXPECT_EQ(rocket->velocity, Vector3(0, 0, -2));
    // Four free steps of 2; the fifth probe (step + 0.5) reaches the wall.
    for (int frame = 1; frame <= 4; ++frame) {
        rocket->update(frameIn(*world, 0.4));
        EXPECT_EQ(rocket->state, Rocket::Flying);
        EXPECT_NEAR(rocket->position().z, -2.0 * frame, 1e-12);
    }
    rocket->update(frameIn(*world, 0.4));
    EXPECT_EQ(rocket->state, Rocket::Exploded);
    EXPECT_NEAR(rocket->position().z, -9.5, 1e-9);
    EXPECT_EQ(rocket->velocity, Vector3());
    ASSERT_EQ(rocket->effects.particles.size(), 30u);
    const Particle& p = rocket->effects.particles[0];
    EXPECT_NEAR(p.position.z, -9.5, 0.41);  // spawned where it stopped, then moved once
    EXPECT_EQ(p.size, 0.3);
    EXPECT_EQ(p.green, 0.7);
    // Nothing moves it afterwards; the mesh stays placed where it burst.
    rocket->update(frameIn(*world, 0.4));
    EXPECT_NEAR(rocket->position().z, -9.5, 1e-9);
}

TEST(RocketFlight, KeepsTheFiringFramesStepAndBacksOffANearSurface)
{
    // Fired in a slow frame: the larger step holds through quick ones.
    World open;
    auto rocket = launched(1.6);
    for (int i = 0; i < 3; ++i) rocket->update(frameIn(open, 0.4));
    EXPECT_NEAR(rocket->position().z, -24.0, 1e-9);

    auto world = worldOf({wall(2, -0.3, 1)});
    auto nearWall = launched(0.4);
    nearWall->update(frameIn(*world, 0.4));
    EXPECT_EQ(nearWall->state, Rocket::Exploded);
    EXPECT_NEAR(nearWall->position().z, 0.2, 1e-9);
}

TEST(RocketFlight, DestroysADroneItHitsInTheSameFrame)
{
    World world;
    world.add(readDrone({0, 0, -2.2}, world), EntityRole::moving);
    auto* drone = static_cast<RobotDrone*>(world.movingObjects[0]);
    drone->update(frameIn(world));  // its box: the placed square, within this frame's reach
    auto rocket = launched(0.4);
    rocket->update(frameIn(world, 0.4));
    EXPECT_EQ(rocket->state, Rocket::Exploded);
    EXPECT_NEAR(rocket->position().z, -2.0, 1e-12);  // the whole step, then the burst
    EXPECT_EQ(drone->state, RobotDrone::Destroyed);
    EXPECT_EQ(drone->stateTimer, 10000);
    ASSERT_EQ(drone->effects.particles.size(), 40u);
    EXPECT_EQ(drone->effects.particles[0].green, 0.2);
}

TEST(RocketFlight, BurstsOnADestroyedDroneWithoutTouchingIt)
{
    World world;
    world.add(readDrone({0, 0, -2.2}, world), EntityRole::moving);
    auto* drone = static_cast<RobotDrone*>(world.movingObjects[0]);
    drone->update(frameIn(world));
    drone->setState(RobotDrone::Destroyed, 0.4);
    for (int i = 0; i < 10; ++i) drone->update(frameIn(world));
    const Particle particle = drone->effects.particles[0];
    auto rocket = launched(0.4);
    rocket->update(frameIn(world, 0.4));
    EXPECT_EQ(rocket->state, Rocket::Exploded);
    EXPECT_EQ(drone->state, RobotDrone::Destroyed);
    EXPECT_EQ(drone->stateTimer, 10000 - 250);
    EXPECT_EQ(drone->effects.particles[0].position, particle.position);  // no new burst
}

TEST(FindObjectOnSegment, GoesByListOrderAndExactNamesAndNeverTheExcluded)
{
    struct Named : DynamicObject {
        const char* name;
        explicit Named(const char* n) : name(n) { boundingBox = BoundingBox{-1, -1, -5, 1, 1, -3}; }
        const char* className() const override { return name; }
    };
    World world;
    for (const char* name : {"dynamicobject", "Vehicle", "RobotDrone", "DynamicObject"}) {
        world.add(std::make_unique<Named>(name), EntityRole::moving);
    }
    const Vector3 a{0, 0, 0}, b{0, 0, -10};
    EXPECT_EQ(world.findObjectOnSegment(a, b, nullptr), world.movingObjects[2]);
    EXPECT_EQ(world.findObjectOnSegment(a, b, world.movingObjects[2]), world.movingObjects[3]);
    EXPECT_EQ(world.findObjectOnSegment(a, {0, 0, -2}, nullptr), nullptr);
    World one;
    one.add(std::make_unique<Named>("DynamicObject"), EntityRole::moving);
    EXPECT_EQ(one.findObjectOnSegment(a, b, one.movingObjects[0]), nullptr);
}

TEST(RobotDroneState, ComesBackHomeFacingMinusZAfterTenSecondsOfPlay)
{
    World world;
    auto drone = readDrone({3, 1, -4}, world, "rotateY");
    for (int i = 0; i < 5; ++i) drone->update(frameIn(world, 0.4, 25));
    const Vector3 firstCorner = positionOf(drone->polygons[0].vertices[0]);
    drone->setState(RobotDrone::Destroyed, 0.4);
    EXPECT_EQ(drone->stateTimer, 10000);
    // 25 ms frames: destroyed for 399 frames, back in the 400th.
    for (int frame = 1; frame < 400; ++frame) {
        drone->update(frameIn(world, 0.4, 25));
        ASSERT_EQ(drone->state, RobotDrone::Destroyed) << "frame " << frame;
    }
    // While destroyed nothing moved: polygons and box stay.
    EXPECT_EQ(positionOf(drone->polygons[0].vertices[0]), firstCorner);
    drone->update(frameIn(world, 0.4, 25));
    EXPECT_EQ(drone->state, RobotDrone::Active);
    EXPECT_EQ(drone->stateTimer, 0);
    // Reset to its home, then updated in the same frame (one 2-degree turn).
    Matrix4 expected;
    expected.postTranslate({3, 1, -4});
    expected.postRotate({0, 2, 0});
    EXPECT_TRUE(near(drone->placement.transform(), expected));
    const Vector3 corner = transformPoint(positionOf(drone->restVertices[0]), expected);
    EXPECT_NEAR((positionOf(drone->polygons[0].vertices[0]) - corner).length(), 0.0, 1e-9);
}

TEST(RobotDroneState, SettingTheSameStateChangesNothing)
{
    World world;
    auto drone = readDrone({0, 0, 0}, world);
    drone->setState(RobotDrone::Active, 0.4);
    EXPECT_TRUE(drone->effects.particles.empty());
    drone->setState(RobotDrone::Destroyed, 0.4);
    for (int i = 0; i < 4; ++i) drone->update(frameIn(world, 0.4, 25));
    const std::vector<Particle> before = drone->effects.particles;
    drone->setState(RobotDrone::Destroyed, 0.4);
    EXPECT_EQ(drone->stateTimer, 9900);
    EXPECT_EQ(drone->effects.particles[7].position, before[7].position);
    EXPECT_EQ(drone->effects.particles[7].alpha, before[7].alpha);
}

// The player's side: fire held, the reload, and a world change.
class PlayerFiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.clock.timeStep = 0.4;
        state.clock.frameMilliseconds = 25;
        state.settings.collision = false;
        player.placeAt({0, 0, 0});
        player.updateCamera(state);
    }
    ProgramState& state = programState();
    Player player;
    World world;
};

TEST_F(PlayerFiring, TheFirstClickBuildsAndFiresFromThePreviousCamera)
{
    const Camera camera = state.camera;
    state.settings.leftButtonDown = true;
    player.update(world, state);
    ASSERT_TRUE(player.rocket);
    EXPECT_EQ(player.rocket->state, Rocket::Flying);
    EXPECT_EQ(player.rocket->stateTimer, 5000 - 25);
    Matrix4 launch = camera.placement.transform();
    launch.postTranslate({0.5, 0, 0});
    launch.postRotate({0, 0.2, 0});
    launch.postTranslate({0, 0, -2});  // and its first step
    EXPECT_TRUE(near(player.rocket->placement.transform(), launch));
    EXPECT_TRUE(near(player.rocket->placement.transform() * player.rocket->placement.inverse(),
                     Matrix4::identity()));
}

TEST_F(PlayerFiring, AClickBetweenTwoFramesFires)
{
    handleMouseButton(true, true, state.settings);
    handleMouseButton(true, false, state.settings);
    player.update(world, state);
    ASSERT_TRUE(player.rocket);
    EXPECT_EQ(player.rocket->state, Rocket::Flying);
    EXPECT_FALSE(state.settings.leftButtonDown);
}

TEST_F(PlayerFiring, HoldingFireDuringTheReloadDoesNothing)
{
    state.settings.leftButtonDown = true;
    player.update(world, state);
    // Frames 2 to 199 of 25 ms: still on its first flight.
    for (int i = 2; i < 200; ++i) {
        player.update(world, state);
        ASSERT_EQ(player.rocket->state, Rocket::Flying) << "frame " << i;
    }
    EXPECT_LT(player.rocket->position().z, -390.0);
    // The 200th frame makes it ready (5000 ms of play); the next fires again.
    player.update(world, state);
    EXPECT_EQ(player.rocket->state, Rocket::Ready);
    player.update(world, state);
    EXPECT_EQ(player.rocket->state, Rocket::Flying);
    EXPECT_GT(player.rocket->position().z, -3.0);
}

TEST_F(PlayerFiring, AWorldChangeEndsTheFlightAndTheNextShotUsesTheNewWorld)
{
    state.settings.leftButtonDown = true;
    player.update(world, state);
    ASSERT_TRUE(player.rocket);
    player.forgetWorld();
    EXPECT_FALSE(player.rocket);
    state.settings.leftButtonDown = false;
    World next;
    player.update(next, state);
    EXPECT_FALSE(player.rocket);
    state.settings.leftButtonDown = true;
    player.update(next, state);
    ASSERT_TRUE(player.rocket);
    EXPECT_EQ(player.rocket->state, Rocket::Flying);
}

}  // namespace
