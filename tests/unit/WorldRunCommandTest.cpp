#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/Commands.h"
#include "app/GameEngine.h"
#include "game/Player.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace worldtest;
namespace fs = std::filesystem;

namespace {

class WorldRunCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.path() / "game" / "Bin");
        dir.write("game/Worlds/first.wrl", "0 5 0  1 1 1  1 ..\\Textures\\wall.bmp  0  0");
        dir.write("game/Textures/wall.bmp", solidBitmap(4, 4, {255, 255, 255}));
        fs::current_path(dir.path() / "game" / "Bin");
    }

    TempDir dir;
    Player player;
    ProgramState& state = programState();
};

}  // namespace

TEST_F(WorldRunCommand, CancellingLeavesNoWorld)
{
    GameEngine engine(player, state);
    engine.loadWorld(defaultWorldPath);  // absent here
    EXPECT_FALSE(engine.world());
    fakePlatform().messages.clear();

    engine.loadWorld(dir.file("game/Worlds/first.wrl"));
    ASSERT_TRUE(engine.world());
    const unsigned textureName = engine.world()->textures.at(0)->glName();

    fakePlatform().fileChoices.push_back(std::nullopt);
    engine.runWorld();
    EXPECT_FALSE(engine.world());
    EXPECT_TRUE(fakePlatform().messages.empty());
    // The old world's GL names were given back before it went.
    const auto& released = recordingTextureDevice().released;
    EXPECT_NE(std::find(released.begin(), released.end(), textureName), released.end());

    // The dialog starts in the worlds folder next to the current one.
    ASSERT_EQ(fakePlatform().dialogStartFolders.size(), 1u);
    EXPECT_TRUE(
        fs::equivalent(fakePlatform().dialogStartFolders[0], dir.path() / "game" / "Worlds"));
    EXPECT_EQ(fakePlatform().dialogPatterns[0], "*.wrl");

    // Nothing to update or release without a world.
    engine.update();
    engine.releaseWorld();
}

TEST_F(WorldRunCommand, ChosenWorldResolvesItsTexturesFromItsOwnFolder)
{
    // A world elsewhere whose texture only exists relative to its folder.
    dir.write("elsewhere/pack/maps/other.wrl",
              "2 3 4  0.5 0.5 0.5  1 ..\\ART\\stone.bmp  1 worldspawn 0");
    dir.write("elsewhere/pack/art/Stone.BMP", solidBitmap(2, 2, {10, 20, 30}));

    GameEngine engine(player, state);
    state.settings.mouseControl = false;
    fakePlatform().fileChoices.push_back(dir.file("elsewhere/pack/maps/other.wrl"));
    engine.runWorld();

    ASSERT_TRUE(engine.world()) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path() / "elsewhere" / "pack" / "maps"));
    EXPECT_EQ(engine.world()->textures.size(), 1u);
    EXPECT_EQ(player.placement.position(), Vector3(2, 3, 4));
    EXPECT_TRUE(state.settings.mouseControl);
    EXPECT_TRUE(player.mouseCaptured);
}

TEST_F(WorldRunCommand, AFailedChoiceShowsOneErrorAndKeepsMouseSetting)
{
    dir.write("game/Worlds/broken.wrl", "0 0 0 1 1 1 0 1 skybox 0");
    GameEngine engine(player, state);
    state.settings.mouseControl = false;
    fakePlatform().fileChoices.push_back(dir.file("game/Worlds/broken.wrl"));
    engine.runWorld();
    EXPECT_FALSE(engine.world());
    ASSERT_EQ(fakePlatform().messages.size(), 1u);
    EXPECT_EQ(fakePlatform().messages[0].text, "Unable to load an object");
    EXPECT_FALSE(state.settings.mouseControl);
    EXPECT_FALSE(player.mouseCaptured);
}

TEST_F(WorldRunCommand, UpdateMovesTheWorldOnlyWhenLoaded)
{
    GameEngine engine(player, state);
    engine.loadWorld(dir.file("game/Worlds/first.wrl"));
    ASSERT_TRUE(engine.world());
    state.clock.timeStep = 0.4;
    engine.update();
    EXPECT_NEAR(engine.world()->cloudOffset.x, 0.08, 1e-12);
    EXPECT_NEAR(engine.world()->cloudOffset.y, 0.04, 1e-12);
}

TEST_F(WorldRunCommand, AQuickPressWithNoWorldIsNotActedOnByTheNextWorld)
{
    GameEngine engine(player, state);
    handleMouseButton(true, true, state.settings);
    handleMouseButton(true, false, state.settings);
    handleKeyDown('w', state);
    handleKeyUp('w', state.keys);
    engine.update();
    engine.loadWorld(dir.file("game/Worlds/first.wrl"));
    ASSERT_TRUE(engine.world());
    engine.update();
    EXPECT_FALSE(player.rocket);
    EXPECT_EQ(player.velocity, Vector3());
}

TEST_F(WorldRunCommand, HeldKeysAreDroppedAfterAMessageBoxOrLostFocus)
{
    // Releases made while a box had the keyboard never reach the window.
    GameEngine engine(player, state);
    engine.loadWorld(dir.file("game/Worlds/first.wrl"));
    ASSERT_TRUE(engine.world());
    auto holdKeys = [&] {
        state.keys.setKey('w', true, KeyState::characterTable);
        state.keys.setKey(101, true, KeyState::specialTable);
    };
    holdKeys();
    engine.update();
    EXPECT_TRUE(state.keys.isKeyDown('w', KeyState::characterTable)) << "nothing interrupted";

    fakePlatform().showMessageBox("      Message      ", "help");
    engine.update();
    EXPECT_FALSE(state.keys.isKeyDown('w', KeyState::characterTable));
    EXPECT_FALSE(state.keys.isKeyDown(101, KeyState::specialTable));

    holdKeys();
    engine.update();
    EXPECT_TRUE(state.keys.isKeyDown(101, KeyState::specialTable)) << "a new press counts";
    ++fakePlatform().interruptions;  // the window lost the focus
    engine.update();
    EXPECT_FALSE(state.keys.isKeyDown(101, KeyState::specialTable));
}
