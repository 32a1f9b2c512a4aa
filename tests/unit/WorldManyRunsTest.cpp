// Run World many times between two worlds, through the menu command and the
// scripted file dialog: GL texture names and resident memory come back to
// the same level, so a long session does not creep, and what the player
// holds across a change (a rocket in flight, a vehicle boarded) never
// points into the world that was released.

#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/Commands.h"
#include "app/GameEngine.h"
#include "content/Demo.h"
#include "entities/Vehicle.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/WorldWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

using namespace worldtest;
namespace fs = std::filesystem;

namespace {

long residentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

bool inCache(const World& world, const Texture* texture)
{
    for (std::size_t i = 0; i < world.textures.size(); ++i) {
        if (world.textures.at(i) == texture) return true;
    }
    return false;
}

// Compares addresses before following any: a pointer into a released world
// is only recognised as not belonging to the current one. The new world may
// reuse the old one's memory, so a vehicle at the same address must also
// know it is boarded.
void expectNothingHeldOutside(const Player& player, const World& world, int run)
{
    if (player.vehicle) {
        const ControllableObject* held = nullptr;
        for (const auto& object : world.objects) {
            if (object.get() == player.vehicle)
                held = dynamic_cast<const ControllableObject*>(object.get());
        }
        EXPECT_TRUE(held && held->occupied)
            << "the vehicle is not the current world's, run " << run;
    }
    if (player.rocket) {
        for (const Polygon& polygon : player.rocket->polygons)
            EXPECT_TRUE(inCache(world, polygon.texture)) << "rocket texture, run " << run;
        EXPECT_TRUE(inCache(world, player.rocket->effects.texture)) << "burst texture, run " << run;
    }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;  // its quarantine holds freed memory on purpose
#else
constexpr bool addressSanitizer = false;
#endif

TEST(WorldManyRuns, NamesAndMemoryComeBackToLevel)
{
    TempDir dir;
    // Both worlds have a vehicle within reach of their start.
    const tools::DemoWorld demo = tools::generateDemo();
    const std::string vehicle = tools::vehicleBlock({1, 1, 1}, demo.playerStart, 100);
    std::string demoText = demo.text;
    const std::size_t entities = demoText.find("\n1\nworldspawn\n");
    ASSERT_NE(entities, std::string::npos);
    demoText.replace(entities, 3, "\n2\n" + vehicle);
    dir.write("game/Worlds/demo.wrl", demoText);
    dir.write("game/Textures/demo-tile.bmp", solidBitmap(16, 16, {200, 200, 200}));
    dir.write("game/TEXTURES/cloudShadows.bmp", solidBitmap(8, 8, {90, 90, 90}));
    dir.write("game/Textures/wall.bmp", solidBitmap(4, 4, {255, 255, 255}));
    dir.write("game/Worlds/walls.wrl",
              "0 5 0  1 1 1  2 ..\\Textures\\wall.bmp !..\\Textures\\demo-tile.bmp  2\n" +
                  tools::vehicleBlock({1, 1, 1}, {0, 5, 0}, 100) + "worldspawn 1\n" +
                  polygonRecord("..\\Textures\\wall.bmp", {0, 1, 0}, floorCorners(10)) + "0");
    dir.write("game/Textures/demo-tile-a.bmp", solidBitmap(16, 16, {9, 9, 9}));
    // The rocket's look and its burst.
    dir.write("game/Textures/cement-1.bmp", solidBitmap(4, 4, {120, 120, 120}));
    dir.write("game/Textures/corona.bmp", solidBitmap(4, 4, {255, 200, 50}));
    dir.write("game/Textures/corona-a.bmp", solidBitmap(4, 4, {128, 128, 128}));
    fs::create_directories(dir.path() / "game" / "Bin");
    fs::current_path(dir.path() / "game" / "Bin");

    Player player;
    ProgramState& state = programState();
    GameEngine engine(player, state);
    const RecordingTextureDevice& device = recordingTextureDevice();
    const auto liveNames = [&] {
        return static_cast<long>(device.nextName - 1) - static_cast<long>(device.released.size());
    };
    const std::string worlds[] = {dir.file("game/Worlds/demo.wrl"),
                                  dir.file("game/Worlds/walls.wrl")};
    // Demo: its tile and the clouds; walls: two textures and the clouds.
    const auto worldNames = [](int k) { return k % 2 == 0 ? 2L : 3L; };
    const auto runWorld = [&](int k) {
        fakePlatform().fileChoices.push_back(worlds[k % 2]);
        ASSERT_EQ(menuCommand(menuRunWorld), Command::RunWorld);
        engine.runWorld();
        ASSERT_TRUE(engine.world()) << lastWorldLoadProblem();
        expectNothingHeldOutside(player, *engine.world(), k);
        engine.update();
        ASSERT_EQ(liveNames(), worldNames(k)) << "run " << k;
    };
    // Boards the vehicle and fires, so both are held when the world goes.
    const auto boardAndFire = [&](int k) {
        state.keys.setKey(Vehicle::enterKey, true, KeyState::characterTable);
        state.settings.leftButtonDown = true;
        engine.update();
        state.settings.leftButtonDown = false;
        engine.update();
        ASSERT_NE(player.vehicle, nullptr) << "run " << k;
        ASSERT_TRUE(player.rocket) << "run " << k;
        ASSERT_NE(player.rocket->state, Rocket::Ready) << "run " << k;
        expectNothingHeldOutside(player, *engine.world(), k);
        // The rocket's mesh and burst textures join the world's.
        ASSERT_EQ(liveNames(), worldNames(k) + 2) << "run " << k;
    };

    for (int k = 0; k < 20; ++k) {
        runWorld(k);
        boardAndFire(k);
    }
    const long names = liveNames();
    const long resident = residentBytes();
    EXPECT_EQ(names, 5);
    for (int k = 20; k < 1020; ++k) {
        runWorld(k);
        boardAndFire(k);
    }
    EXPECT_EQ(liveNames(), names);
    EXPECT_TRUE(fakePlatform().messages.empty());
    if (!addressSanitizer) {
        // A world is a few hundred kilobytes; a thousand kept would be far more.
        EXPECT_LT(residentBytes() - resident, 4L << 20);
    }
    engine.releaseWorld();
    EXPECT_EQ(liveNames(), 0);
}

}  // namespace
