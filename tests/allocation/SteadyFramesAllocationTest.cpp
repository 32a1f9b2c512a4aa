// Heap allocations over steady-state frames of the game: the world update
// (drones roaming and relit by a light every frame), the player update with
// the fire button held (rocket flights, bursts on a drone and on the walls)
// and the particles; and the token reader, which reads a world's numbers
// and words without allocating per token. Counted by replacing the global
// operator new, which is why this is a program of its own.
#include "support/TestEnvironment.h"
#include "unit/ContentTestSupport.h"

#include "entities/Light.h"
#include "entities/RobotDrone.h"
#include "game/Frame.h"
#include "game/GameSounds.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "text/TokenReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

// The replaced new takes its memory from malloc, so free is the matching release.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

void installTestFakes(bool fakeTextureDevice);

namespace {

TEST(SteadyFrames, AllocateNothing)
{
    // Sound heard through a device that keeps only counts, as the real one
    // keeps nothing of ours per play; installed before the world loads.
    NullSoundDevice quiet(NullSoundDevice::History::countsOnly);
    installSoundDevice(&quiet);
    content_test::LoadedCanyon canyon;
    ASSERT_TRUE(canyon.world) << lastWorldLoadProblem();
    World& world = *canyon.world;
    const Vector3 start = world.playerStart;

    // A light over the start and a drone standing in the line of fire.
    auto light = std::make_unique<Light>();
    light->position = start + Vector3{0, 6, -10};
    light->red = light->green = light->blue = 1.0;
    light->range = 40.0;
    world.lights.push_back(std::move(light));
    TokenReader record(std::to_string(start.x + 0.5) + " " + std::to_string(start.y + 1.5) + " " +
                       std::to_string(start.z - 6) +
                       " -1 -1 -1 1 1 1 NULL 1\n"
                       "none 0 0 1 4  -1 -1 0 0 0 0 0 1 1 1 1  1 -1 0 1 0 0 0 1 1 1 1"
                       "  1 1 0 1 1 0 0 1 1 1 1  -1 1 0 0 1 0 0 1 1 1 1\n");
    world.add(readRobotDrone(record, world), EntityRole::moving);
    auto* target = static_cast<RobotDrone*>(world.movingObjects.back());

    ProgramState& state = programState();
    state.clock.timeStep = 0.4;
    state.clock.frameMilliseconds = 25;
    state.settings.leftButtonDown = true;
    Player player;
    player.placeAt(start);
    player.updateCamera(state);

    // With sound on: the canyon's and the game's sounds.
    GameSounds sounds;
    sounds.attach(world);

    Rider rider = player.rider();
    auto frame = [&] {
        world.update(frameContext(state, world, &rider));
        player.update(world, state);
        sounds.update(player, state);
        quiet.setListener(listenerAt(state.camera, state.settings.sound));
    };
    // The first shot builds the rocket.
    for (int i = 0; i < 20; ++i) frame();
    ASSERT_TRUE(player.rocket);

    int bursts = 0, destroyed = 0;
    int lastRocketState = player.rocket->state, lastTimer = target->stateTimer;
    allocations = 0;
    counting = true;
    for (int i = 0; i < 1000; ++i) {
        frame();
        bursts += player.rocket->state == Rocket::Exploded && lastRocketState != Rocket::Exploded;
        // The timer starts again at each destruction (even one in the frame it came back).
        destroyed += target->state == RobotDrone::Destroyed && target->stateTimer > lastTimer;
        lastRocketState = player.rocket->state;
        lastTimer = target->stateTimer;
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
    // The frames did what they were meant to: shots burst and the drone fell.
    EXPECT_GE(bursts, 4);
    EXPECT_GE(destroyed, 2);
    sounds.detach();
    canyon.world.reset();
    installSoundDevice(nullptr);
}

// Every kind of token, the general parse's too (a plus, an underflow, a
// long token), read inside nested scopes: nothing allocated once the reader
// and the word's string exist.
TEST(TokenReading, AllocatesNothingPerToken)
{
    const std::string longNumber = "0." + std::string(200, '0') + "5";
    std::string text;
    for (int k = 0; k < 2000; ++k) {
        text += std::to_string(k) + " -" + std::to_string(k * 0.37) +
                " 7.1891763067029634 +1.5 1e-400 " + longNumber + " word" + std::to_string(k) +
                "\n";
    }
    TokenReader in(text);
    std::string word;
    word.reserve(64);
    int whole = 0;
    double number = 0;
    allocations = 0;
    counting = true;
    for (int k = 0; k < 2000; ++k) {
        TokenReader::Scope line(in, "line", k);
        TokenReader::Scope record(in, "record", k, "name");
        in.readInt(whole);
        for (int n = 0; n < 5; ++n) in.readDouble(number);
        in.readWord(word);
    }
    const bool atEnd = in.atEnd();
    counting = false;
    EXPECT_EQ(allocations, 0);
    ASSERT_TRUE(in.ok()) << in.describeFailure("text");
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(word, "word1999");
    EXPECT_EQ(number, 5e-201);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    installTestFakes(true);
    return RUN_ALL_TESTS();
}
