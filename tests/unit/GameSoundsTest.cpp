// What the game makes heard, through the recording sound device: the player,
// its rocket, the drones and the vehicle watched from frame to frame.
#include "support/TestEnvironment.h"

#include "audio/SoundFile.h"
#include "content/Sounds.h"
#include "entities/RobotDrone.h"
#include "entities/Rocket.h"
#include "entities/Vehicle.h"
#include "game/GameSounds.h"
#include "game/Player.h"
#include "images/Image.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class GameSoundsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The game's sounds where a world in Worlds/ finds them.
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::create_directories(dir.path() / "Sounds");
        std::filesystem::current_path(dir.path() / "Bin");
        for (const tools::GeneratedFile& f : generated())
            tools::writeFile((dir.path() / "Sounds" / f.name).string(), f.bytes);

        auto drone = std::make_unique<RobotDrone>();
        drone->placement = Placement::at({-8, 2, 0});
        world->add(std::move(drone), EntityRole::moving);
        state.clock.timeStep = 0.4;
        state.clock.frameMilliseconds = 25;
        player.onGround = true;
        sounds.attach(*world);
    }

    static const std::vector<tools::GeneratedFile>& generated()
    {
        static const std::vector<tools::GeneratedFile> files = tools::generateSounds();
        return files;
    }

    // The buffer of a game sound, as the cache named it.
    unsigned buffer(const char* file) { return world->sounds.findOrLoad(file).buffer; }

    // Plays started during `frames` frames, by buffer.
    std::vector<unsigned> started(int frames)
    {
        NullSoundDevice& device = recordingSoundDevice();
        const std::size_t before = device.events.size();
        for (int i = 0; i < frames; ++i) sounds.update(player, state);
        std::vector<unsigned> out;
        for (std::size_t i = before; i < device.events.size(); ++i)
            if (device.events[i].kind == NullSoundDevice::Event::play)
                out.push_back(device.events[i].buffer);
        return out;
    }

    int count(const std::vector<unsigned>& plays, const char* file)
    {
        return static_cast<int>(std::count(plays.begin(), plays.end(), buffer(file)));
    }

    // The source playing that buffer now, or none.
    const NullSoundDevice::Source* playing(const char* file)
    {
        NullSoundDevice& device = recordingSoundDevice();
        for (unsigned s = 1; s <= 64; ++s)
            if (device.source(s).playing && device.source(s).buffer == buffer(file))
                return &device.source(s);
        return nullptr;
    }

    TempDir dir;
    std::unique_ptr<World> world = std::make_unique<World>();
    ProgramState& state = programState();
    Player player;
    GameSounds sounds;
};

TEST_F(GameSoundsTest, EveryGameSoundDecodesAndTheDronesHumFromTheStart)
{
    EXPECT_TRUE(world->sounds.problems().empty());
    const NullSoundDevice::Source* hum = playing(soundFile::droneHum);
    ASSERT_TRUE(hum);
    EXPECT_TRUE(hum->settings.loop);
    EXPECT_EQ(hum->settings.position.x, -8.0);
}

TEST_F(GameSoundsTest, RocketLaunchFlightBurstAndTheDroneDestroyedAndBack)
{
    player.rocket = std::make_unique<Rocket>(nullptr, nullptr);
    Rocket& rocket = *player.rocket;
    auto* drone = static_cast<RobotDrone*>(world->movingObjects[0]);

    rocket.launch(Placement::at({0, 1, 0}), 0.4);
    EXPECT_EQ(count(started(1), soundFile::rocketLaunch), 1);
    const NullSoundDevice::Source* flight = playing(soundFile::rocketFlight);
    ASSERT_TRUE(flight);
    EXPECT_TRUE(flight->settings.loop);
    // The flight follows the rocket.
    rocket.translate({0, 0, -5});
    started(1);
    EXPECT_EQ(flight->settings.position.z, -5.0);

    // It strikes the drone: the flight stops, the burst sounds there, the
    // drone falls silent.
    rocket.state = Rocket::Exploded;
    drone->setState(RobotDrone::Destroyed, 0.4);
    std::vector<unsigned> plays = started(1);
    EXPECT_EQ(count(plays, soundFile::burst), 1);
    EXPECT_FALSE(playing(soundFile::rocketFlight));
    EXPECT_FALSE(playing(soundFile::droneHum));
    for (const NullSoundDevice::Event& e : recordingSoundDevice().events)
        if (e.buffer == buffer(soundFile::burst)) {
            EXPECT_EQ(e.position.z, -5.0);
        }
    EXPECT_EQ(count(started(40), soundFile::burst), 0);

    // Back: it says so and hums again.
    drone->setState(RobotDrone::Active, 0.4);
    plays = started(1);
    EXPECT_EQ(count(plays, soundFile::droneBack), 1);
    EXPECT_TRUE(playing(soundFile::droneHum));
}

TEST_F(GameSoundsTest, FootstepsFollowTheSpeedJumpsAndLandingsAreHeard)
{
    // 200 frames walking at two speeds: the step rate follows.
    std::vector<int> steps;
    for (const double speed : {1.0, 0.5}) {
        player.velocity = {0, 0, -speed};
        steps.push_back(count(started(200), soundFile::footstep));
    }
    EXPECT_NEAR(steps[0], 200 * 0.4 / footstepStride, 1.0);
    EXPECT_NEAR(steps[1], steps[0] / 2.0, 1.0);
    player.velocity = {};
    EXPECT_EQ(count(started(50), soundFile::footstep), 0);

    // A jump, a flight, a landing; no footsteps in the air.
    player.velocity = {0, 0, -1};
    player.onGround = false;
    player.fallSpeed = -0.3;
    std::vector<unsigned> plays = started(1);
    EXPECT_EQ(count(plays, soundFile::jump), 1);
    EXPECT_EQ(count(started(20), soundFile::footstep), 0);
    player.onGround = true;
    EXPECT_EQ(count(started(1), soundFile::land), 1);

    // Walking off a small step (a frame or two in the air) lands silently.
    player.onGround = false;
    player.fallSpeed = 0.1;
    plays = started(2);
    player.onGround = true;
    plays = started(1);
    EXPECT_EQ(count(plays, soundFile::jump) + count(plays, soundFile::land), 0);
}

TEST_F(GameSoundsTest, BoardingDrivingAndLeaving)
{
    Vehicle vehicle;
    player.vehicle = &vehicle;
    EXPECT_EQ(count(started(1), soundFile::board), 1);
    const NullSoundDevice::Source* engine = playing(soundFile::engine);
    ASSERT_TRUE(engine);
    EXPECT_TRUE(engine->settings.loop);
    // No footsteps while driving; the engine's pitch follows the speed.
    player.velocity = {0, 0, -0.2};
    EXPECT_EQ(count(started(50), soundFile::footstep), 0);
    const double slow = engine->settings.pitch;
    player.velocity = {0, 0, -1};
    started(1);
    EXPECT_GT(engine->settings.pitch, slow + 0.3);

    player.vehicle = nullptr;
    EXPECT_EQ(count(started(1), soundFile::leave), 1);
    EXPECT_FALSE(playing(soundFile::engine));
}

TEST_F(GameSoundsTest, ToggleKeysTickAndAWorldSwapLeavesNothingBehind)
{
    ++state.settings.togglePresses;
    EXPECT_EQ(count(started(1), soundFile::tick), 1);
    EXPECT_EQ(count(started(1), soundFile::tick), 0);

    NullSoundDevice& device = recordingSoundDevice();
    EXPECT_GT(device.liveBuffers, 10);
    sounds.detach();
    world.reset();
    EXPECT_EQ(device.liveBuffers, 0);
    EXPECT_EQ(device.liveSources, 0);
    EXPECT_EQ(device.playingCount(), 0);
    // Detached, it plays nothing.
    ++state.settings.togglePresses;
    EXPECT_TRUE(started(5).empty());
}

}  // namespace
