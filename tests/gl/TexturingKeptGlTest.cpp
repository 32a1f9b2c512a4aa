// What draws itself untextured (the vehicle, the player's body) leaves
// texturing as it found it: with texture mapping off (T), whatever is drawn
// after it in the frame (teapots, the rocket and its burst) must not pick up
// a stale texture; with it on, what follows is textured as usual.
#include "WorldGlSupport.h"

#include "entities/Vehicle.h"
#include "game/Frame.h"
#include "game/Player.h"
#include "skeleton/SkeletonReader.h"
#include "state/ProgramState.h"
#include "text/TokenReader.h"
#include "world/EntityKinds.h"
#include "world/World.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace worldgl;

namespace {

class TexturingKeptGl : public GameGlState {
protected:
    void TearDown() override
    {
        programState().settings.texturing = true;
        GameGlState::TearDown();
    }
};

TEST_F(TexturingKeptGl, UntexturedLooksLeaveTexturingAsTheyFoundIt)
{
    World world;
    auto vehicleAt = [](const Vector3& at, bool occupied) {
        auto vehicle = std::make_unique<Vehicle>();
        vehicle->placement.translate(at);
        vehicle->occupied = occupied;
        return vehicle;
    };
    const auto free = vehicleAt({0, 0, -5}, false);
    const auto driven = vehicleAt({0, 0, -5}, true);
    // A world whose last entity is a vehicle: the world draw ends with it.
    World withVehicle;
    withVehicle.add(vehicleAt({0, 0, -5}, false), EntityRole::scenery);

    Player player;
    player.placeAt({0, -1, -4});
    player.cameraMode = CameraMode::thirdPerson;
    TokenReader skl("1  1 0 0 0 1 0 0 0 0  0 0 0\n0\n");
    player.skeleton = readSkeleton(skl);
    ASSERT_TRUE(player.skeleton);
    player.skeleton->animate(0.0);

    struct Case {
        const char* what;
        std::function<void(DrawMode mode)> draw;
    };
    const Case cases[] = {
        {"a free vehicle",
         [&](DrawMode mode) { free->draw(mode, frameContext(programState(), world, nullptr)); }},
        {"a driven vehicle",
         [&](DrawMode mode) { driven->draw(mode, frameContext(programState(), world, nullptr)); }},
        {"the player's body",
         [&](DrawMode) { player.draw(frameContext(programState(), world, nullptr)); }},
        {"a world ending with a vehicle",
         [&](DrawMode) { withVehicle.draw(frameContext(programState(), withVehicle, nullptr)); }},
    };
    for (const Case& c : cases) {
        for (const bool texturing : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (texturing ? ", texturing on" : ", texturing off"));
            programState().settings.texturing = texturing;
            if (texturing) glEnable(GL_TEXTURE_2D);
            else glDisable(GL_TEXTURE_2D);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            c.draw(texturing ? DrawMode::textured : DrawMode::untextured);
            EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, texturing);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
