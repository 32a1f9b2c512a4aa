#include "WorldGlSupport.h"

#include "entities/ParticleEffect.h"
#include "entities/RobotDrone.h"
#include "world/FrameContext.h"
#include "world/World.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

using namespace worldgl;

bool isRed(const Rgb& c) { return c.r > 100 && c.g < 60 && c.b < 60; }
bool isGreen(const Rgb& c) { return c.g > 100 && c.r < 60 && c.b < 60; }

class ParticleGl : public GameGlState {
protected:
    // The camera at the origin looking down -z; a red burst 5 units ahead
    // that has not moved yet.
    void SetUp() override
    {
        GameGlState::SetUp();
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        effect.spawn(20, {}, {0, 0, -5}, 0.5, 0.0, 1, 0, 0, 0.4);
    }
    int redPixels() { return countPixels(0, 0, width, height, isRed); }

    ParticleEffect effect;
    const Camera& camera = programState().camera;
};

TEST_F(ParticleGl, ShowsFacingSquaresInTheFirstTwoModesOnly)
{
    const struct {
        DrawMode mode;
        bool shown;
    } cases[] = {
        {DrawMode::textured, true}, {DrawMode::untextured, true}, {DrawMode::cloudShadows, false}};
    for (const auto& c : cases) {
        clear(0, 0, 0);
        effect.draw(c.mode, camera);
        EXPECT_EQ(redPixels() > 1000, c.shown) << "mode " << static_cast<int>(c.mode);
    }
    // Faded out: nothing.
    for (Particle& p : effect.particles) p.alpha = 0.0;
    clear(0, 0, 0);
    effect.draw(DrawMode::untextured, camera);
    EXPECT_EQ(redPixels(), 0);
}

TEST_F(ParticleGl, LeavesBlendingAsItFoundIt)
{
    for (const bool on : {false, true}) {
        if (on) glEnable(GL_BLEND);
        else glDisable(GL_BLEND);
        effect.draw(DrawMode::untextured, camera);
        EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, on);
    }
}

TEST_F(ParticleGl, ADestroyedDroneShowsOnlyItsBurst)
{
    World world;
    RobotDrone drone;
    drone.polygons.resize(1);
    for (const auto& [x, y] : {std::pair{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}}) {
        Vertex v;
        v.position.x = x, v.position.y = y, v.position.z = -6;
        v.r = 0, v.g = 1, v.b = 0;
        drone.polygons[0].vertices.push_back(v);
    }
    ProgramState& s = programState();
    const FrameContext frame{.timeStep = 0.4,
                             .frameMilliseconds = 25,
                             .wallMilliseconds = 0,
                             .settings = s.settings,
                             .camera = s.camera,
                             .keys = s.keys,
                             .world = world,
                             .rider = nullptr};
    clear(0, 0, 0);
    drone.draw(DrawMode::untextured, frame);
    EXPECT_GT(countPixels(0, 0, width, height, isGreen), 1000);
    drone.effects.spawn(10, {}, {0, 0, -3}, 0.2, 0.0, 1, 0, 0, 0.4);
    drone.state = RobotDrone::Destroyed;
    clear(0, 0, 0);
    drone.draw(DrawMode::untextured, frame);
    EXPECT_EQ(countPixels(0, 0, width, height, isGreen), 0);
    EXPECT_GT(redPixels(), 100);
}

}  // namespace
