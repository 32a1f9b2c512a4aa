// The player's controls and cameras: keys, mouse look, speed, the three
// camera modes. The world here is empty and collision mostly off, so only
// the steering itself is under test.
#include "game/Player.h"
#include "game/PlayerKeys.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

void expectNear(const Vector3& actual, const Vector3& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectIdentity(const Matrix4& m, double tolerance = 1e-9)
{
    const Matrix4 identity;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], identity[i], tolerance) << "element " << i;
}

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

class PlayerControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.clock.timeStep = 0.4;
        state.settings.collision = false;
        player.placeAt({0.0, 0.0, 0.0});
    }
    void step(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) player.update(world, state);
    }
    void hold(int code, bool down = true)
    {
        state.keys.setKey(code, down, KeyState::characterTable);
    }
    void holdSpecial(int code, bool down = true)
    {
        state.keys.setKey(code, down, KeyState::specialTable);
    }
    Vector3 position() const { return player.placement.position(); }
    Vector3 forward() const { return transformDirection({0, 0, -1}, player.placement.transform()); }

    ProgramState& state = programState();
    World world;
    Player player;
};

TEST_F(PlayerControl, HoldingWReachesTopSpeedHoldsItAndDecaysAfterRelease)
{
    hold(playerKeys::forward);
    step();
    // 0.2 added, then 12 % friction at timeStep 0.4.
    EXPECT_NEAR(player.velocity.z, -0.176, 1e-12);
    EXPECT_NEAR(position().z, -0.176 * 0.4, 1e-12);

    step(20);
    for (int i = 0; i < 10; ++i) {
        step();
        EXPECT_NEAR(player.velocity.length(), 1.0, 1e-12);
        EXPECT_LT(player.velocity.z, 0.0);
    }

    hold(playerKeys::forward, false);
    double previous = player.velocity.length();
    int frames = 0;
    while (player.velocity.length() > 0.0 && frames < 100) {
        step();
        ++frames;
        const double speed = player.velocity.length();
        if (speed > 0.0) {
            EXPECT_NEAR(speed, previous * 0.88, 1e-12);
        } else {
            EXPECT_LT(previous, 0.12);  // only a speed under 0.3 x timeStep stops dead
        }
        previous = speed;
    }
    EXPECT_EQ(player.velocity, Vector3{});
    EXPECT_GT(frames, 10);
}

TEST_F(PlayerControl, OppositeKeysAddNothingAndUpperCaseDoesNothing)
{
    player.velocity = {0.0, 0.0, -0.5};
    hold(playerKeys::forward);
    hold(playerKeys::backward);
    hold(playerKeys::strafeLeft);
    hold(playerKeys::strafeRight);
    step();
    expectNear(player.velocity, {0.0, 0.0, -0.44}, 1e-12);
    step(30);
    EXPECT_EQ(player.velocity, Vector3{});

    // Shift or Caps Lock: the upper-case codes do nothing.
    for (int key : {'W', 'D'}) hold(key);
    for (int key : {'w', 's', 'a', 'd'}) hold(key, false);
    step(3);
    EXPECT_EQ(player.velocity, Vector3{});
}

TEST_F(PlayerControl, PlainArrowsWalkAndTurn)
{
    holdSpecial(playerKeys::up);
    step();
    EXPECT_NEAR(player.velocity.z, -0.176, 1e-12);
    holdSpecial(playerKeys::up, false);

    holdSpecial(playerKeys::right);
    step();
    // 5 degrees per unit of timeStep, to the right.
    expectNear(forward(), {std::sin(radians(2.0)), 0.0, -std::cos(radians(2.0))});
    holdSpecial(playerKeys::right, false);

    holdSpecial(playerKeys::left);
    step(2);
    expectNear(forward(), {-std::sin(radians(2.0)), 0.0, -std::cos(radians(2.0))});
    expectIdentity(player.placement.inverse() * player.placement.transform());
}

TEST_F(PlayerControl, ControlMovesUpDownAndSidewaysAndWinsOverAlt)
{
    fakePlatform().controlDown = true;
    fakePlatform().altDown = true;
    holdSpecial(playerKeys::up);
    step(5);
    EXPECT_GT(player.velocity.y, 0.0);
    EXPECT_GT(position().y, 0.0);
    expectNear(forward(), {0.0, 0.0, -1.0});  // Alt's tilt did not happen
    holdSpecial(playerKeys::up, false);

    holdSpecial(playerKeys::left);
    step();
    EXPECT_LT(player.velocity.x, 0.0);
    expectNear(forward(), {0.0, 0.0, -1.0});
}

TEST_F(PlayerControl, AltTiltsTheNoseAndRollsTheBody)
{
    fakePlatform().altDown = true;
    holdSpecial(playerKeys::up);
    step();
    expectNear(forward(), {0.0, std::sin(radians(2.0)), -std::cos(radians(2.0))});
    EXPECT_EQ(player.velocity, Vector3{});
    holdSpecial(playerKeys::up, false);
    player.placeAt({});

    holdSpecial(playerKeys::right);
    step();
    const Vector3 up = transformDirection({0, 1, 0}, player.placement.transform());
    expectNear(up, {std::sin(radians(2.0)), std::cos(radians(2.0)), 0.0});  // rolled right
    expectIdentity(player.placement.inverse() * player.placement.transform());
}

TEST_F(PlayerControl, ModifiersAreReadFromTheKeyboardNotFromStaleTableEntries)
{
    // freeglut's codes for the left Control and Alt keys, left set in the
    // table as a release missed during a message box would leave them.
    constexpr int tableControl = 0x72, tableAlt = 0x74;
    struct Case {
        bool staleControl, staleAlt, controlDown, altDown;
        Vector3 velocity;  // after one frame of Up
        double noseUp;     // degrees
    };
    const double push = 0.5 * 0.4;
    const Case cases[] = {
        {true, true, false, false, {0, 0, -push * (1 - 0.3 * 0.4)}, 0.0},  // stale: plain walk
        {false, false, true, false, {0, push * (1 - 0.3 * 0.4), 0}, 0.0},  // live Control
        {true, false, false, true, {}, 2.0},                               // live Alt tilts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.controlDown << c.altDown);
        player = Player{};
        state.keys.clear();
        state.keys.setKey(tableControl, c.staleControl, KeyState::specialTable);
        state.keys.setKey(tableAlt, c.staleAlt, KeyState::specialTable);
        fakePlatform().controlDown = c.controlDown;
        fakePlatform().altDown = c.altDown;
        holdSpecial(playerKeys::up);
        step();
        expectNear(player.velocity, c.velocity);
        expectNear(forward(), {0.0, std::sin(radians(c.noseUp)), -std::cos(radians(c.noseUp))});
    }
}

TEST_F(PlayerControl, AMoveFarPastTheWindowEdgeTurnsAsFarAsInSmallSteps)
{
    // The pointer is read where it is, even outside the window, so one
    // 690-pixel burst turns the body as far as 23 moves of 30 pixels.
    Matrix4 burst, steps;
    for (Matrix4* p : {&burst, &steps}) {
        player = Player{};
        player.setMouseCaptured(true, state);
        if (p == &burst) {
            fakePlatform().cursor.x += 690;
            step();
        } else {
            for (int i = 0; i < 23; ++i) {
                fakePlatform().cursor.x += 30;
                step();
            }
        }
        player.setMouseCaptured(false, state);
        *p = player.placement.transform();
    }
    const Vector3 a = transformDirection({0, 0, -1}, burst);
    const Vector3 b = transformDirection({0, 0, -1}, steps);
    expectNear(a, b);
    // 690 degrees to the right is 30 to the left.
    expectNear(a, {-std::sin(radians(30.0)), 0, -std::cos(radians(30.0))});
}

// A system that lands the warped cursor a pixel off.
class SlightlyOffPlatform : public FakePlatform {
    void warpCursor(int x, int y) override { FakePlatform::warpCursor(x + 1, y); }
};

TEST_F(PlayerControl, TheReferenceIsWhereTheCursorLanded)
{
    SlightlyOffPlatform os;
    platform::install(&os);
    player.setMouseCaptured(true, state);
    EXPECT_EQ(player.mouseReferenceX, 401);
    step();
    EXPECT_EQ(player.pitch, 0.0);
    expectNear(forward(), {0, 0, -1});
    platform::install(&fakePlatform());
}

TEST_F(PlayerControl, CaptureCentresHidesAndRemembersTheCursor)
{
    FakePlatform& os = fakePlatform();
    os.cursor = {10, 10};
    step();  // not captured: the mouse is ignored
    EXPECT_EQ(player.pitch, 0.0);
    expectNear(forward(), {0, 0, -1});

    state.window = {801, 601};
    player.setMouseCaptured(true, state);
    ASSERT_EQ(os.warps.size(), 1u);
    EXPECT_EQ(os.warps[0].x, 400);
    EXPECT_EQ(os.warps[0].y, 300);
    EXPECT_FALSE(os.cursorVisible);
    EXPECT_TRUE(player.mouseCaptured);
    EXPECT_EQ(player.mouseReferenceX, 400);
    EXPECT_EQ(player.mouseReferenceY, 300);

    player.setMouseCaptured(true, state);  // already captured: nothing at all
    EXPECT_EQ(os.warps.size(), 1u);

    player.setMouseCaptured(false, state);
    EXPECT_TRUE(os.cursorVisible);
    EXPECT_FALSE(player.mouseCaptured);
    EXPECT_EQ(os.warps.size(), 1u);
}

TEST_F(PlayerControl, MouseLookTurnsPitchesClampsAndRecentres)
{
    FakePlatform& os = fakePlatform();
    player.setMouseCaptured(true, state);

    os.cursor = {400, 270};  // 30 pixels up
    step();
    EXPECT_DOUBLE_EQ(player.pitch, 30.0);
    EXPECT_EQ(os.cursor.x, 400);
    EXPECT_EQ(os.cursor.y, 300);

    player.pitch = 85.0;
    os.cursor = {400, 290};
    step();
    EXPECT_DOUBLE_EQ(player.pitch, 90.0);
    os.cursor = {400, 600};
    step();
    EXPECT_DOUBLE_EQ(player.pitch, -90.0);

    os.cursor = {390, 300};  // 10 pixels left turns 10 degrees left
    step();
    expectNear(forward(), {-std::sin(radians(10.0)), 0.0, -std::cos(radians(10.0))});
    // The pitch belongs to the camera only.
    EXPECT_NEAR(transformDirection({0, 1, 0}, player.placement.transform()).y, 1.0, 1e-12);
}

// ---- cameras ----

class PlayerCamera : public PlayerControl {
protected:
    Vector3 cameraPosition() const { return state.camera.placement.position(); }
    Vector3 cameraForward() const
    {
        return transformDirection({0, 0, -1}, state.camera.placement.transform());
    }
};

TEST_F(PlayerCamera, FirstPersonEyeIsOneAndAHalfAboveTheBodyAndPitches)
{
    player.placeAt({3, 4, 5});
    step();
    expectNear(cameraPosition(), {3, 5.5, 5});
    expectIdentity(state.camera.placement.inverse() * state.camera.placement.transform());

    // Pitch tilts the camera about its own position.
    player.pitch = 30.0;
    player.updateCamera(state);
    expectNear(cameraPosition(), {3, 5.5, 5});
    expectNear(cameraForward(), {0, std::sin(radians(30.0)), -std::cos(radians(30.0))});
    expectIdentity(state.camera.placement.inverse() * state.camera.placement.transform());
}

TEST_F(PlayerCamera, ThirdPersonSitsBehindAndAboveTheTurnedBody)
{
    player.cameraMode = CameraMode::thirdPerson;
    player.placement.rotate({0, 90, 0});
    player.updateCamera(state);
    expectNear(cameraPosition(), {4, 2, 0});
    expectNear(cameraForward(), {-1, 0, 0});
    expectIdentity(state.camera.placement.inverse() * state.camera.placement.transform());
}

TEST_F(PlayerCamera, RotatingCameraFollowsTheWallClockNotTheTimeStep)
{
    player.cameraMode = CameraMode::rotatingThirdPerson;
    for (double timeStep : {0.4, 1.6}) {
        state.clock.timeStep = timeStep;
        fakePlatform().now = 1500;  // a quarter of the six-second turn
        player.placeAt({});
        step();
        expectNear(cameraPosition(), {4, 2, 0});
        expectNear(cameraForward(), {-1, 0, 0});
        expectIdentity(state.camera.placement.inverse() * state.camera.placement.transform());
    }
    fakePlatform().now = 6000 * 1000 + 4500;  // whole turns drop out
    player.updateCamera(state);
    expectNear(cameraPosition(), {-4, 2, 0});
    fakePlatform().now = 6000;
    player.updateCamera(state);
    expectNear(cameraPosition(), {0, 2, 4});
}

}  // namespace
