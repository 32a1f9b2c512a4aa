// The player against small worlds built here: floors, walls, a ceiling,
// slopes, a ledge and a terrain patch. Frames run at timeStep 0.4 (40 fps).
#include "GeometryTestSupport.h"

#include "entities/HeightField.h"
#include "entities/Vehicle.h"
#include "game/Frame.h"
#include "game/Player.h"
#include "game/PlayerKeys.h"
#include "geometry/BspNode.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using geometry_test::convexPolygon;

namespace {

constexpr double timeStep = 0.4;

// Level ground at height y over x0..x1, z0..z1, facing up.
CollisionPolygon floorAt(double y, double x0 = -50, double x1 = 50, double z0 = -50, double z1 = 50)
{
    return convexPolygon({{x0, y, z0}, {x1, y, z0}, {x1, y, z1}, {x0, y, z1}}, {0, 1, 0});
}

// A ceiling at height y over the same kind of rectangle, facing down.
CollisionPolygon ceilingAt(double y)
{
    return convexPolygon({{-50, y, -50}, {50, y, -50}, {50, y, 50}, {-50, y, 50}}, {0, -1, 0});
}

// A wall across the z axis at z, facing +z (towards a player at z > wall).
CollisionPolygon wallAt(double z)
{
    return convexPolygon({{-50, -10, z}, {50, -10, z}, {50, 10, z}, {-50, 10, z}}, {0, 0, 1});
}

// Ground through the origin falling towards +z at the given angle.
CollisionPolygon slope(double degrees)
{
    const double t = std::tan(degrees * std::numbers::pi / 180.0);
    return convexPolygon(
        {{-50, 50 * t, -50}, {50, 50 * t, -50}, {50, -50 * t, 50}, {-50, -50 * t, 50}}, {0, 1, 0});
}

// Every polygon gets a node whose both sides hold all later polygons: a
// valid partition for any placement of a handful of polygons.
std::unique_ptr<BspNode> treeOf(const std::vector<CollisionPolygon>& polygons, std::size_t from = 0)
{
    if (from == polygons.size()) return nullptr;
    auto node = std::make_unique<BspNode>();
    node->polygons.push_back(polygons[from]);
    node->front = treeOf(polygons, from + 1);
    node->back = treeOf(polygons, from + 1);
    return node;
}

class PlayerCollision : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.clock.timeStep = timeStep;
        player.placeAt({0.0, 0.3, 0.0});
    }
    void build(const std::vector<CollisionPolygon>& polygons) { world.bspTree = treeOf(polygons); }
    void step(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) player.update(world, state);
    }
    void hold(int code, bool down = true)
    {
        state.keys.setKey(code, down, KeyState::characterTable);
    }
    Vector3 position() const { return player.placement.position(); }

    ProgramState& state = programState();
    World world;
    Player player;
};

TEST_F(PlayerCollision, StandingOnAFloorStaysOnIt)
{
    build({floorAt(0.0)});
    for (int i = 0; i < 20; ++i) {
        step();
        EXPECT_NEAR(position().y, 0.3, 1e-9);
        EXPECT_TRUE(player.onGround);
        EXPECT_DOUBLE_EQ(player.fallSpeed, 0.08);  // the next probe reaches 0.08 x timeStep
    }
    EXPECT_NEAR(position().x, 0.0, 1e-12);
    EXPECT_NEAR(position().z, 0.0, 1e-12);
}

TEST_F(PlayerCollision, FallingAcceleratesUpToACap)
{
    // From the start speed 1 the fall after a time t is (1 - 0.04) t +
    // 0.04 t^2 until the speed reaches 6, and then grows by that speed.
    double time = 0.0;
    for (int i = 0; i < 300; ++i) {  // nothing below at all
        const double height = position().y;
        const double speed = player.fallSpeed;
        step();
        time += timeStep;
        if (speed < 6.0) {
            ASSERT_NEAR(0.3 - position().y, 0.96 * time + 0.04 * time * time, 1e-9);
            ASSERT_NEAR(player.fallSpeed, speed + 0.08 * timeStep, 1e-12);
        } else {
            ASSERT_NEAR(height - position().y, speed * timeStep, 1e-9);
            ASSERT_EQ(player.fallSpeed, speed);
        }
    }
    EXPECT_FALSE(player.onGround);
    EXPECT_GE(player.fallSpeed, 6.0);
    EXPECT_LT(player.fallSpeed, 6.0 + 0.08 * timeStep);
}

TEST_F(PlayerCollision, WalkingOffALedgeFalls)
{
    build({floorAt(0.0, -50, 50, -2, 50)});
    hold(playerKeys::forward);
    step(5);
    EXPECT_TRUE(player.onGround);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    step(20);
    EXPECT_LT(position().z, -2.0);
    EXPECT_FALSE(player.onGround);
    EXPECT_LT(position().y, -1.0);
}

TEST_F(PlayerCollision, WithoutGravityTheGroundIsFollowedOnlyWithinReach)
{
    state.settings.gravity = false;
    build({floorAt(0.0)});
    player.placeAt({0.0, 0.2, 0.0});
    step();
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    EXPECT_TRUE(player.onGround);

    player.placeAt({0.0, 0.7, 0.0});
    step(10);
    EXPECT_NEAR(position().y, 0.7, 1e-9);
    EXPECT_FALSE(player.onGround);

    // A low ceiling shortens the head room, not the reach below the body.
    build({floorAt(0.0), ceilingAt(1.0)});
    player.placeAt({0.0, 0.5, 0.0});
    step();
    EXPECT_NEAR(position().y, 0.5, 1e-9);
    EXPECT_FALSE(player.onGround);
}

TEST_F(PlayerCollision, WithoutGravityTheHeightIsKeptOverADrop)
{
    state.settings.gravity = false;
    build({floorAt(0.0, -50, 50, -2, 50)});
    hold(playerKeys::forward);
    step(30);
    EXPECT_LT(position().z, -5.0);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    EXPECT_FALSE(player.onGround);
}

TEST_F(PlayerCollision, WithoutGravityARampIsStillClimbed)
{
    state.settings.gravity = false;
    build({slope(5.0)});  // rises towards -z
    hold(playerKeys::forward);
    step(20);
    const double ground = -position().z * std::tan(5.0 * std::numbers::pi / 180.0);
    EXPECT_LT(position().z, -3.0);
    EXPECT_NEAR(position().y, ground + 0.3, 1e-9);
}

TEST_F(PlayerCollision, AWallCloserThanTheClearancePushesBack)
{
    build({floorAt(0.0), wallAt(-1.0)});
    hold(playerKeys::forward);
    for (int i = 0; i < 10; ++i) {
        step();
        EXPECT_NEAR(position().z, 0.2, 1e-9);  // 1.2 from the wall
        EXPECT_NEAR(position().y, 0.3, 1e-9);
    }

    build({floorAt(0.0), wallAt(-10.0)});  // a far wall stops the walk as close
    step(60);
    EXPECT_NEAR(position().z, -8.8, 1e-9);
}

TEST_F(PlayerCollision, WithCollisionOffWallsAndGravityDoNothing)
{
    state.settings.collision = false;
    build({wallAt(-3.0)});
    player.onGround = true;  // even a jump does not lift the body
    hold(playerKeys::jump);
    hold(playerKeys::forward);
    step(40);
    EXPECT_LT(position().z, -6.0);
    EXPECT_EQ(position().y, 0.3);
}

TEST_F(PlayerCollision, WalkingAslantIntoAWallSlidesAlongIt)
{
    build({floorAt(0.0), wallAt(-3.0)});
    hold(playerKeys::forward);
    hold(playerKeys::strafeRight);
    double previousX = 0.0;
    for (int i = 0; i < 40; ++i) {
        step();
        EXPECT_GT(position().z, -3.0 + 0.8);
        EXPECT_GT(position().x, previousX);
        EXPECT_NEAR(position().y, 0.3, 1e-9);
        previousX = position().x;
    }
    EXPECT_GT(position().x, 8.0);
}

// Walking nearly along a wall 2 thick, at every frame rate: the clearance
// is kept across the wall (the full 1.2 down to 30 degrees, more glancing
// at least twice its sine), so the body never ends a frame on its face, from
// where the next probe would miss it, nor inside it.
TEST_F(PlayerCollision, AGlancingWalkKeepsTheClearanceAcrossAWall)
{
    // The wall's near face at z = -3, facing +z; its back at z = -5.
    auto box = [](double near, double far) {
        return std::vector<CollisionPolygon>{
            convexPolygon({{-1e3, -10, near}, {1e3, -10, near}, {1e3, 10, near}, {-1e3, 10, near}},
                          {0, 0, 1}),
            convexPolygon({{-1e3, -10, far}, {1e3, -10, far}, {1e3, 10, far}, {-1e3, 10, far}},
                          {0, 0, -1})};
    };
    for (const double degrees : {0.5, 2.0, 5.0, 15.0, 45.0}) {
        const double keep =
            std::min(1.2, 2.0 * std::sin(degrees * std::numbers::pi / 180.0)) - 1e-9;
        for (const double frameStep : {0.1, 0.4, 1.6}) {
            SCOPED_TRACE(::testing::Message()
                         << degrees << " degrees off the wall, timeStep " << frameStep);
            state.clock.timeStep = frameStep;
            player = Player{};
            player.placeAt({0.0, 0.3, 0.0});
            std::vector<CollisionPolygon> polygons = box(-3.0, -5.0);
            polygons.push_back(floorAt(0.0, -1e3, 1e3, -1e3, 1e3));
            build(polygons);
            // Facing along +x, turned towards the wall by the angle.
            player.placement.rotate({0.0, -90.0 + degrees, 0.0});
            hold(playerKeys::forward);
            for (int i = 0; i < 400; ++i) {
                step();
                ASSERT_GT(position().z, -3.0 + keep) << "frame " << i;
            }
            EXPECT_GT(position().x, 20.0);  // and the walk goes on along it
        }
    }
}

TEST_F(PlayerCollision, WallsStopTheBodyInTheDirectionItFaces)
{
    // Turned left a quarter by the mouse, "w" walks along -x.
    build({floorAt(0.0),
           convexPolygon({{-4, -10, -50}, {-4, -10, 50}, {-4, 10, 50}, {-4, 10, -50}}, {1, 0, 0})});
    player.setMouseCaptured(true, state);
    fakePlatform().cursor = {400 - 90, 300 - 80};  // also look up: the camera only
    step();
    hold(playerKeys::forward);
    step(40);
    EXPECT_NEAR(position().x, -4.0 + 1.2, 1e-9);
    EXPECT_NEAR(position().z, 0.0, 1e-9);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
}

TEST_F(PlayerCollision, ALowCeilingKeepsTheBodyOnTheFloorBelowIt)
{
    build({floorAt(0.0), ceilingAt(0.8)});
    hold(playerKeys::forward);
    step(10);
    EXPECT_LT(position().z, -1.0);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    EXPECT_TRUE(player.onGround);
}

TEST_F(PlayerCollision, HoldingSpaceJumpsOnceAndANewPressJumpsAgain)
{
    build({floorAt(0.0)});
    step();
    ASSERT_TRUE(player.onGround);

    hold(playerKeys::jump);
    step();
    EXPECT_NEAR(position().y, 0.3 + timeStep, 0.02);  // about a unit up per unit of time
    EXPECT_LT(player.fallSpeed, 0.0);
    EXPECT_FALSE(player.onGround);
    EXPECT_FALSE(state.keys.isKeyDown(playerKeys::jump, KeyState::characterTable));

    double highest = 0.0;
    int frames = 0;
    while (!player.onGround && frames < 200) {
        step();
        highest = std::max(highest, position().y);
        ++frames;
    }
    ASSERT_TRUE(player.onGround);
    EXPECT_GT(highest, 2.0);
    EXPECT_NEAR(position().y, 0.3, 1e-9);

    step(20);  // still held, but no new press
    EXPECT_NEAR(position().y, 0.3, 1e-9);

    hold(playerKeys::jump);
    step();
    EXPECT_GT(position().y, 0.5);
}

TEST_F(PlayerCollision, JumpsRiseFullyInOpenAirAndStopUnderARoof)
{
    // Open air, and roofs (slabs 0.5 thick) 2, 1.5 and 1.2 above the floor:
    // the body rises as high as the push carries it, but never past a roof,
    // whether the head room found it before the jump or not.
    for (const double roof : {0.0, 2.0, 1.5, 1.2}) {
        for (const double frameStep : {0.4, 1.2, 1.6}) {
            SCOPED_TRACE(::testing::Message() << "roof " << roof << ", timeStep " << frameStep);
            state.clock.timeStep = frameStep;
            player = Player{};
            player.placeAt({0.0, 0.3, 0.0});
            if (roof > 0.0) build({floorAt(0.0), ceilingAt(roof), floorAt(roof + 0.5)});
            else build({floorAt(0.0)});
            step();
            hold(playerKeys::jump);
            double highest = 0.0;
            for (int i = 0; i < 80; ++i) {
                step();
                highest = std::max(highest, position().y - 0.3);
                if (roof > 0.0) {
                    ASSERT_LT(position().y, roof) << "frame " << i;
                }
            }
            if (roof == 0.0) {
                EXPECT_NEAR(highest, 6.76, 0.05);  // the apex of a jump at any frame rate
            }
            EXPECT_NEAR(position().y, 0.3, 1e-9);
            EXPECT_TRUE(player.onGround);
            hold(playerKeys::jump, false);
        }
    }
}

// A jump from level ground in open air at every frame rate, and with slow
// and fast frames mixed: the apex and the time until the feet are down again
// are those of the jump at timeStep 1 (apex 6.76, on the ground again after 27),
// within 5 %. The landing frame ends up to a frame after the touch-down.
TEST_F(PlayerCollision, AJumpIsTheSameAtEveryFrameRate)
{
    struct Case {
        const char* what;
        std::vector<double> frames;  // time steps, repeated
    };
    const Case cases[] = {
        {"timeStep 1", {1.0}},
        {"timeStep 0.05", {0.05}},
        {"timeStep 0.1", {0.1}},
        {"timeStep 0.25", {0.25}},
        {"timeStep 0.4", {0.4}},
        {"timeStep 0.7", {0.7}},
        {"timeStep 1.3", {1.3}},
        {"timeStep 1.6", {1.6}},
        {"one slow frame, then fast ones", {1.6, 0.05, 0.05, 0.05, 0.05, 0.05, 0.05}},
        {"irregular frames", {0.33, 1.6, 0.05, 0.9, 0.12, 1.45, 0.6}},
    };
    double referenceApex = 0.0, referenceAirtime = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        player = Player{};
        player.placeAt({0.0, 0.3, 0.0});
        build({floorAt(0.0)});
        state.clock.timeStep = c.frames.front();
        step();
        ASSERT_TRUE(player.onGround);
        hold(playerKeys::jump);
        double apex = 0.0, airtime = 0.0;
        for (std::size_t frame = 0; frame < 2000; ++frame) {
            state.clock.timeStep = c.frames[frame % c.frames.size()];
            step();
            airtime += state.clock.timeStep;
            apex = std::max(apex, position().y - 0.3);
            if (player.onGround) break;
        }
        hold(playerKeys::jump, false);
        ASSERT_TRUE(player.onGround);
        EXPECT_NEAR(position().y, 0.3, 1e-9);
        if (referenceAirtime == 0.0) {
            // The jump as it has always been at timeStep 1.
            EXPECT_NEAR(apex, 6.76, 1e-9);
            referenceApex = apex;
            referenceAirtime = airtime;
        }
        EXPECT_NEAR(apex, referenceApex, 0.05 * referenceApex);
        EXPECT_NEAR(airtime, referenceAirtime, 0.05 * referenceAirtime);
    }
}

TEST_F(PlayerCollision, ATiltedBodyUnderALowCeilingStaysUnderIt)
{
    // The head room ends on the ceiling 0.7 above the body; tilted nose up
    // by Alt, a walk forward (or a rise with Control) heads into it from
    // there, and must not come out on top of it.
    for (const bool rise : {false, true}) {
        for (const double frameStep : {0.4, 1.6}) {
            for (const double tilt : {10.0, 30.0, 60.0, 85.0}) {
                SCOPED_TRACE(::testing::Message() << (rise ? "Control+Up" : "w") << ", timeStep "
                                                  << frameStep << ", tilt " << tilt);
                state.clock.timeStep = frameStep;
                state.keys = KeyState{};
                fakePlatform().controlDown = false;
                player = Player{};
                player.placeAt({0.0, 0.3, 0.0});
                build({floorAt(0.0), ceilingAt(1.0), floorAt(1.5)});
                player.placement.rotate({tilt, 0.0, 0.0});
                if (rise) {
                    fakePlatform().controlDown = true;
                    state.keys.setKey(playerKeys::up, true, KeyState::specialTable);
                } else {
                    hold(playerKeys::forward);
                }
                for (int i = 0; i < 30; ++i) {
                    step();
                    ASSERT_LT(position().y, 1.0) << "frame " << i;
                    ASSERT_GT(position().y, 0.0) << "frame " << i;
                }
            }
        }
    }
    fakePlatform().controlDown = false;
}

TEST_F(PlayerCollision, NoJumpInMidAir)
{
    build({floorAt(0.0)});
    player.placeAt({0.0, 5.0, 0.0});
    hold(playerKeys::jump);
    step();
    EXPECT_LT(position().y, 5.0);
    EXPECT_GT(player.fallSpeed, 0.0);
    EXPECT_TRUE(state.keys.isKeyDown(playerKeys::jump, KeyState::characterTable));
}

TEST_F(PlayerCollision, AnInclineTooSteepToWalkUpIsNotClimbed)
{
    // Rises at 60 degrees towards -z from z = -3.
    const double t = std::tan(60.0 * std::numbers::pi / 180.0);
    build({floorAt(0.0),
           convexPolygon({{-50, 0, -3}, {50, 0, -3}, {50, 20 * t, -23}, {-50, 20 * t, -23}},
                         {0, 0, 1})});
    hold(playerKeys::forward);
    step(40);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    EXPECT_GT(position().z, -3.0);
}

TEST_F(PlayerCollision, GentleSlopesHoldAndSteepOnesSlide)
{
    build({slope(20.0)});
    step(20);
    EXPECT_NEAR(position().z, 0.0, 1e-9);
    EXPECT_NEAR(position().y, 0.3, 1e-9);
    EXPECT_TRUE(player.onGround);

    const double t = std::tan(50.0 * std::numbers::pi / 180.0);
    build({slope(50.0)});
    player.placeAt({0.0, 0.3, 0.0});
    step(10);
    EXPECT_TRUE(player.onGround);
    EXPECT_GT(position().z, 1.0);                             // downhill
    EXPECT_NEAR(position().y, 0.3 - position().z * t, 1e-9);  // and on the surface
    // Sliding gathers fall speed at half the free-fall rate, up to a cap.
    EXPECT_NEAR(player.fallSpeed, 0.08 * (1.0 + 0.5 * 10), 1e-12);
    step(80);
    EXPECT_TRUE(player.onGround);
    EXPECT_GE(player.fallSpeed, 3.0);
    EXPECT_LT(player.fallSpeed, 3.0 + 0.04);
}

TEST_F(PlayerCollision, TerrainIsFollowedLikeTheStaticWorld)
{
    // A 3 x 3 grid rising along x: y = 0.1 x.
    auto corner = [](int i, int j) {
        return Vector3{-20.0 + 20.0 * i, 0.1 * (-20.0 + 20.0 * i), -20.0 + 20.0 * j};
    };
    auto terrain = geometry_test::gridField(3, 3, [&](int i, int j) {
        const Vector3 c = corner(i, j);
        return Vertex::at(c);
    });
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            terrain->grid.triangles.push_back(
                convexPolygon({corner(i, j), corner(i + 1, j), corner(i + 1, j + 1)}, {0, 1, 0}));
            terrain->grid.triangles.push_back(
                convexPolygon({corner(i, j), corner(i + 1, j + 1), corner(i, j + 1)}, {0, 1, 0}));
        }
    }
    world.add(std::move(terrain), EntityRole::terrain);

    hold(playerKeys::strafeRight);
    step(30);
    EXPECT_GT(position().x, 5.0);
    EXPECT_NEAR(position().y, 0.1 * position().x + 0.3, 1e-9);
    EXPECT_TRUE(player.onGround);
}

// Leaving a vehicle sets the body down 2 to its own left and 1 behind. The
// step is traced: beside a wall the body stops with the wall its clearance
// (1.2, the walk's) away, measured across the wall, and never moves towards
// one that is already nearer; in open space it is the plain step.
TEST_F(PlayerCollision, LeavingAVehicleStopsClearOfWhatStandsThere)
{
    // Walls facing the player at the start: across x at x, across z at z.
    auto wallAcrossX = [](double x) {
        return convexPolygon({{x, -10, -50}, {x, -10, 50}, {x, 10, 50}, {x, 10, -50}},
                             {x < 0 ? 1.0 : -1.0, 0, 0});
    };
    auto wallAcrossZ = [](double z) {
        return convexPolygon({{-50, -10, z}, {50, -10, z}, {50, 10, z}, {-50, 10, z}},
                             {0, 0, z < 0 ? 1.0 : -1.0});
    };
    constexpr double clearance = 1.2;
    struct Case {
        const char* what;
        double turn;  // degrees about y while aboard
        std::vector<CollisionPolygon> walls;
        bool collision;
        Vector3 expected;
    };
    const Case cases[] = {
        {"open space", 0, {}, true, {-2, 0.3, 1}},
        {"open space, turned a quarter left", 90, {}, true, {1, 0.3, 2}},
        // Along (-2, 0, 1) / sqrt(5) until x is -1.5 + 1.2.
        {"a wall on the left", 0, {wallAcrossX(-1.5)}, true, {-0.3, 0.3, 0.15}},
        {"a wall behind", 0, {wallAcrossZ(1.5)}, true, {-0.6, 0.3, 0.3}},
        {"a wall on the left, turned", 90, {wallAcrossZ(1.5)}, true, {0.15, 0.3, 0.3}},
        {"a wall nearer than the clearance", 0, {wallAcrossX(-1.0)}, true, {0, 0.3, 0}},
        {"a wall on the left, collision off", 0, {wallAcrossX(-1.5)}, false, {-2, 0.3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CollisionPolygon> polygons{floorAt(0.0)};
        polygons.insert(polygons.end(), c.walls.begin(), c.walls.end());
        World here;
        here.bspTree = treeOf(polygons);
        state.settings.collision = c.collision;

        // Aboard a vehicle, turned as the case says; then Enter leaves it.
        Player rider;
        rider.placeAt({0.0, 0.3, 0.0});
        Vehicle vehicle;
        vehicle.placement = rider.placement;
        vehicle.occupied = true;
        rider.vehicle = &vehicle;
        rider.placement.rotate({0, c.turn, 0});
        Rider record = rider.rider();
        state.keys.setKey(Vehicle::enterKey, true, KeyState::characterTable);
        vehicle.update(frameContext(state, here, &record));

        EXPECT_FALSE(vehicle.occupied);
        EXPECT_EQ(rider.vehicle, nullptr);
        const Vector3 at = rider.placement.position();
        EXPECT_NEAR((at - c.expected).length(), 0.0, 1e-9) << at.x << ", " << at.y << ", " << at.z;
        EXPECT_NEAR(transformPoint(at, rider.placement.inverse()).length(), 0.0, 1e-9);
        // Outside every wall by the clearance, or no nearer than it was.
        for (const CollisionPolygon& wall : c.walls) {
            if (!c.collision) break;
            const double before = wall.plane.distance({0, 0.3, 0});
            EXPECT_GE(wall.plane.distance(at), std::min(clearance, before) - 1e-9);
        }
    }
    state.settings.collision = true;
}

}  // namespace
