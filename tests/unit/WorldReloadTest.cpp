#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/GameEngine.h"
#include "app/WorldReloadWatch.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// Live reload driven through the fake platform: the test writes the world
// file, reports the change as the file watch would, and moves the clock.

using namespace worldtest;
namespace fs = std::filesystem;

namespace {

// A world with one texture; the start differs so a placement at the start
// would show.
std::string worldNaming(const std::string& texture, double startX = 0)
{
    return std::to_string(startX) + " 5 0  0.5 0.5 0.5  1 ..\\Textures\\" + texture +
           "  1 worldspawn 0";
}

class WorldReload : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("game/Textures/red.bmp", solidBitmap(2, 2, {200, 0, 0}));
        dir.write("game/Textures/blue.bmp", solidBitmap(2, 2, {0, 0, 200}));
        path = dir.write("game/Worlds/live.wrl", worldNaming("red.bmp"));
        fs::create_directories(dir.path() / "game" / "Bin");
        fs::current_path(dir.path() / "game" / "Bin");
        // Nothing moves the player but the reload itself.
        state.settings.collision = false;
        engine.openWorld(path);
        fakePlatform().messages.clear();
    }

    // The file written and reported, then frames run until the settling
    // time has passed.
    void edit(const std::string& contents)
    {
        dir.write("game/Worlds/live.wrl", contents);
        fakePlatform().reportFileChange();
    }
    void runFor(std::uint64_t ms)
    {
        for (std::uint64_t t = 0; t < ms; t += 25) {
            fakePlatform().now += 25;
            engine.update();
        }
    }
    std::string textureShown() const
    {
        const World* world = engine.world();
        return world && world->textures.size() > 0 ? world->textures.at(0)->name() : "";
    }

    TempDir dir;
    std::string path;
    Player player;
    ProgramState& state = programState();
    GameEngine engine{player, state};
};

}  // namespace

TEST_F(WorldReload, TheCommandLineWorldIsWatchedFromItsOwnFolder)
{
    ASSERT_TRUE(engine.world());
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path() / "game" / "Worlds"));
    EXPECT_TRUE(fs::equivalent(fakePlatform().watchedFile, path));
    EXPECT_EQ(engine.watchedWorldPath(), fakePlatform().watchedFile);
}

TEST_F(WorldReload, ASettledChangeReplacesTheWorldAndKeepsThePlayer)
{
    // The player walked, turned and looked up; the camera followed.
    player.placement.translate({7, 1, -3});
    player.placement.rotate({0, 30, 0});
    const Matrix4 inverse = player.placement.inverse();
    player.pitch = 12;
    player.updateCamera(state);
    const Matrix4 placement = player.placement.transform();
    const Placement camera = state.camera.placement;
    Object held;
    player.vehicle = &held;  // stands for a vehicle of the old world

    const World* old = engine.world();
    edit(worldNaming("blue.bmp", 40) + "\n");
    runFor(WorldReloadWatch::settleMs - 50);
    EXPECT_EQ(engine.world(), old) << "loaded before the file stood still";
    runFor(100);

    ASSERT_NE(engine.world(), old);
    EXPECT_NE(textureShown().find("blue"), std::string::npos) << textureShown();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_EQ(player.placement.transform(), placement) << "moved to the new world's start";
    EXPECT_EQ(player.placement.inverse(), inverse);
    EXPECT_EQ(player.pitch, 12);
    EXPECT_EQ(state.camera.placement, camera);
    EXPECT_EQ(player.vehicle, nullptr) << "still points into the released world";
    EXPECT_EQ(state.ambientLight.red, 0.5);
}

TEST_F(WorldReload, AFailedVersionKeepsTheOldWorldAndSaysSoOnce)
{
    const World* old = engine.world();
    const Matrix4 placement = player.placement.transform();
    // Each row is a bad version; every one gets its one message, once.
    const struct {
        const char* contents;
        const char* message;
    } cases[] = {
        {"0 5 0  1 1 1  1 ..\\Textures\\missing.bmp  0  0", "Unable to read in texture"},
        {"0 5 0  1 1 1  1 ..\\Textures\\red.bmp  1 skybox 0", "Unable to load an object"},
        {"0 5 0  1 1 1  1 ..\\Textures\\red", "Unable to read in texture"},  // cut short
        {"0 5 0  1 1", "Unable to load an object"},
    };
    std::size_t expectedMessages = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        edit(c.contents);
        runFor(WorldReloadWatch::settleMs + 50);
        ASSERT_EQ(fakePlatform().messages.size(), ++expectedMessages);
        EXPECT_EQ(fakePlatform().messages.back().text.rfind(c.message, 0), 0u)
            << fakePlatform().messages.back().text;
        EXPECT_EQ(engine.world(), old);
        EXPECT_EQ(player.placement.transform(), placement);

        // The same version reported again (touched, saved unchanged): no
        // second load, no second box.
        fakePlatform().reportFileChange();
        runFor(WorldReloadWatch::settleMs + 50);
        EXPECT_EQ(fakePlatform().messages.size(), expectedMessages);
    }

    // Mended: it loads.
    edit(worldNaming("blue.bmp"));
    runFor(WorldReloadWatch::settleMs + 50);
    EXPECT_NE(engine.world(), old);
    EXPECT_EQ(fakePlatform().messages.size(), expectedMessages);
}

TEST_F(WorldReload, ABurstOfWritesLoadsOnce)
{
    // A slow writer: the file grows every 100 ms for a second, each write
    // reported, before it is whole.
    const std::string whole = worldNaming("blue.bmp");
    const auto uploadsBefore = recordingTextureDevice().uploads.size();
    for (std::size_t cut = 4; cut < whole.size(); cut += whole.size() / 10) {
        edit(whole.substr(0, cut));
        runFor(100);
    }
    edit(whole);
    runFor(WorldReloadWatch::settleMs + 100);
    EXPECT_TRUE(fakePlatform().messages.empty()) << fakePlatform().messages.front().text;
    EXPECT_NE(textureShown().find("blue"), std::string::npos);
    // One world's worth of uploads: its texture (no cloud file here).
    EXPECT_EQ(recordingTextureDevice().uploads.size() - uploadsBefore, 1u);
}

TEST_F(WorldReload, AWriteThatTheEventsMissStillRestartsTheWait)
{
    edit(worldNaming("red.bmp", 1));
    runFor(WorldReloadWatch::settleMs - 100);
    // Written again without an event yet: the size or time moved.
    dir.write("game/Worlds/live.wrl", worldNaming("blue.bmp", 22));
    runFor(WorldReloadWatch::settleMs - 50);
    EXPECT_EQ(textureShown().find("blue"), std::string::npos) << "did not wait for stillness";
    runFor(100);
    EXPECT_NE(textureShown().find("blue"), std::string::npos);
}

TEST_F(WorldReload, AFileThatDisappearsIsWaitedForWithoutAMessage)
{
    const World* old = engine.world();
    fs::remove(path);
    fakePlatform().reportFileChange();
    runFor(WorldReloadWatch::settleMs * 3);
    EXPECT_EQ(engine.world(), old);
    EXPECT_TRUE(fakePlatform().messages.empty());

    // Back, by a rename as editors write.
    dir.write("game/Worlds/live.tmp", worldNaming("blue.bmp"));
    fs::rename(dir.path() / "game/Worlds/live.tmp", path);
    fakePlatform().reportFileChange();
    runFor(WorldReloadWatch::settleMs + 50);
    EXPECT_NE(textureShown().find("blue"), std::string::npos);
}

TEST_F(WorldReload, OffChangesWaitAndOnCatchesUp)
{
    engine.setLiveReload(false);
    edit(worldNaming("blue.bmp"));
    runFor(WorldReloadWatch::settleMs * 2);
    EXPECT_EQ(textureShown().find("blue"), std::string::npos);

    engine.setLiveReload(true);
    runFor(WorldReloadWatch::settleMs + 50);
    EXPECT_NE(textureShown().find("blue"), std::string::npos);
}

TEST_F(WorldReload, AFailedStartLoadsOnceTheFileIsMended)
{
    // Started on a broken file: no world, and the player is placed at the
    // start once the mended world loads.
    dir.write("game/Worlds/broken.wrl", "0 0 0 1 1 1 0 1 skybox 0");
    engine.openWorld(dir.file("game/Worlds/broken.wrl"));
    ASSERT_FALSE(engine.world());
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    dir.write("game/Worlds/broken.wrl", worldNaming("blue.bmp", 3));
    fakePlatform().reportFileChange();
    runFor(WorldReloadWatch::settleMs + 50);
    ASSERT_TRUE(engine.world());
    EXPECT_EQ(player.placement.position(), Vector3(3, 5, 0));

    // Run World cancelled: nothing is watched any more.
    fakePlatform().fileChoices.push_back(std::nullopt);
    engine.runWorld();
    EXPECT_EQ(fakePlatform().watchedFile, "");
    fakePlatform().reportFileChange();
    runFor(WorldReloadWatch::settleMs + 50);
    EXPECT_FALSE(engine.world());
}

// A world chosen outside the game's dialog (the browser's picker): one that
// fails leaves the world and the working folder as they were; one that loads
// replaces the world, from its own folder.
TEST_F(WorldReload, AWorldChosenElsewhereReplacesTheWorldOnlyOnceWhole)
{
    const World* before = engine.world();
    const std::string broken = dir.write("other/Worlds/broken.wrl", "0 5 0  1 1 1  garbage");
    engine.switchWorld(broken);
    EXPECT_EQ(engine.world(), before);
    EXPECT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path() / "game" / "Worlds"));

    dir.write("other/Textures/blue.bmp", solidBitmap(2, 2, {0, 0, 200}));
    const std::string good = dir.write("other/Worlds/good.wrl", worldNaming("blue.bmp", 3));
    engine.switchWorld(good);
    EXPECT_EQ(textureShown(), "..\\Textures\\blue.bmp");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path() / "other" / "Worlds"));
    EXPECT_TRUE(fs::equivalent(fakePlatform().watchedFile, good));
}
