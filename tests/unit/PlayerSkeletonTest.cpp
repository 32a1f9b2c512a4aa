// The player's body follows the wall clock in every camera mode, whatever
// the time step says.
#include "game/Player.h"
#include "skeleton/SkeletonReader.h"
#include "state/ProgramState.h"
#include "support/TestEnvironment.h"
#include "text/TokenReader.h"
#include "world/World.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerSkeleton, AnimatedOnTheWallClockAsTheLastStepOfEveryUpdate)
{
    ProgramState& state = programState();
    state.settings.collision = false;
    World world;
    Player player;
    player.placeAt({0, 0, 0});
    player.update(world, state);  // no body: nothing to animate, nothing fails

    TokenReader in("1  1 0 0 0 1 0 0 0 0  0 90 0\n1\n3 0 0 1 1 2 0\n");
    player.skeleton = readSkeleton(in);
    ASSERT_TRUE(player.skeleton);
    struct Frame {
        CameraMode cameraMode;
        std::uint64_t wallMs;
        double timeStep;
        double blend;
    };
    const Frame frames[] = {
        {CameraMode::firstPerson, 500, 0.4, 0.5},
        {CameraMode::thirdPerson, 1000, 1.6, 1.0},
        {CameraMode::rotatingThirdPerson, 2250, 0.016, 0.25},
        {CameraMode::firstPerson, 3750, 1.6, 0.25},
    };
    for (const Frame& f : frames) {
        player.cameraMode = f.cameraMode;
        fakePlatform().now = f.wallMs;
        state.clock.timeStep = f.timeStep;
        player.update(world, state);
        EXPECT_DOUBLE_EQ(player.skeleton->root().blend, f.blend) << f.wallMs << " ms";
        EXPECT_EQ(player.skeleton->root().poseMatrix, Matrix4::rotation(90 * f.blend, 1, 0, 0));
    }
}

}  // namespace
