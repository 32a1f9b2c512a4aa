// Run World many times between two worlds, through the menu command and the
// scripted file dialog: GL texture names and resident memory come back to
// the same level, so a long session does not creep.

#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/Commands.h"
#include "app/GameEngine.h"
#include "content/Demo.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;  // its quarantine holds freed memory on purpose
#else
constexpr bool addressSanitizer = false;
#endif

TEST(WorldManyRuns, NamesAndMemoryComeBackToLevel)
{
    TempDir dir;
    const tools::DemoWorld demo = tools::generateDemo();
    dir.write("game/Worlds/demo.wrl", demo.text);
    dir.write("game/Textures/demo-tile.bmp", solidBitmap(16, 16, {200, 200, 200}));
    dir.write("game/TEXTURES/cloudShadows.bmp", solidBitmap(8, 8, {90, 90, 90}));
    dir.write("game/Textures/wall.bmp", solidBitmap(4, 4, {255, 255, 255}));
    dir.write("game/Worlds/walls.wrl",
              "0 5 0  1 1 1  2 ..\\Textures\\wall.bmp !..\\Textures\\demo-tile.bmp  1\n"
              "worldspawn 1\n" +
                  polygonRecord("..\\Textures\\wall.bmp", {0, 1, 0}, floorCorners(10)) + "0");
    dir.write("game/Textures/demo-tile-a.bmp", solidBitmap(16, 16, {9, 9, 9}));
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
    const auto runWorld = [&](int k) {
        fakePlatform().fileChoices.push_back(worlds[k % 2]);
        ASSERT_EQ(menuCommand(menuRunWorld), Command::RunWorld);
        engine.runWorld();
        ASSERT_TRUE(engine.world()) << lastWorldLoadProblem();
        engine.update();
    };

    for (int k = 0; k < 20; ++k) runWorld(k);
    const long names = liveNames();
    const long resident = residentBytes();
    // Demo: its tile and the clouds; walls (loaded last): two textures and the clouds.
    EXPECT_EQ(names, 3);
    for (int k = 20; k < 1020; ++k) {
        runWorld(k);
        ASSERT_EQ(liveNames(), k % 2 == 0 ? 2 : 3) << "run " << k;
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
