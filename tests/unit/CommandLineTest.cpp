#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "app/CommandLine.h"
#include "app/GameEngine.h"
#include "game/Player.h"
#include "platform/GameFolders.h"
#include "state/ProgramState.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace worldtest;
namespace fs = std::filesystem;

TEST(CommandLine, Forms)
{
    using Action = CommandLine::Action;
    using Args = std::vector<std::string>;
    const struct {
        Args arguments;
        Action action;
        std::optional<std::string> world;
        Args glut;  // after the program name
    } cases[] = {
        {{"game"}, Action::run, std::nullopt, {}},
        {{"game", "my.wrl"}, Action::run, "my.wrl", {}},
        {{"game", "../Worlds/a b.wrl"}, Action::run, "../Worlds/a b.wrl", {}},
        {{"game", "--help"}, Action::help, std::nullopt, {}},
        {{"game", "-h", "my.wrl"}, Action::help, "my.wrl", {}},
        {{"game", "my.wrl", "--help"}, Action::help, "my.wrl", {}},
        {{"game", "--version"}, Action::version, std::nullopt, {}},
        {{"game", "--version", "--help"}, Action::help, std::nullopt, {}},
        {{"game", "--help", "--version"}, Action::help, std::nullopt, {}},
        // GLUT's own options pass through, with their values, in any place.
        {{"game", "-display", ":3", "w.wrl", "-iconic"},
         Action::run,
         "w.wrl",
         {"-display", ":3", "-iconic"}},
        {{"game", "-geometry", "640x480+0+0", "-sync", "-gldebug", "-direct", "-indirect"},
         Action::run,
         std::nullopt,
         {"-geometry", "640x480+0+0", "-sync", "-gldebug", "-direct", "-indirect"}},
        // After --, a world whose name starts with a dash.
        {{"game", "--", "-odd.wrl"}, Action::run, "-odd.wrl", {}},
        {{"game", "-"}, Action::run, "-", {}},
        // Usage errors.
        {{"game", "--bogus"}, Action::usageError, std::nullopt, {}},
        {{"game", "-x", "my.wrl"}, Action::usageError, std::nullopt, {}},
        {{"game", "a.wrl", "b.wrl"}, Action::usageError, std::nullopt, {}},
        {{"game", "-display"}, Action::usageError, std::nullopt, {}},
        {{"game", "--display=:1"}, Action::usageError, std::nullopt, {}},
        {{"game", ""}, Action::usageError, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.arguments) joined += "[" + a + "]";
        SCOPED_TRACE(joined);
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action);
        if (c.action == Action::usageError) {
            EXPECT_FALSE(line.problem.empty());
            continue;
        }
        EXPECT_EQ(line.world, c.world);
        Args glut{"game"};
        glut.insert(glut.end(), c.glut.begin(), c.glut.end());
        EXPECT_EQ(line.glutArguments, glut);
    }
}

TEST(CommandLine, HelpNamesTheUsageTheKeysAndTheExitStatus)
{
    const std::string help = helpPageText("game");
    for (const char* part : {"usage: game [OPTIONS] [WORLD]", "F12", "Escape", "Exit status",
                             "  2  the command line was wrong", "--help"}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(help.rfind(usageText("game"), 0), 0u);
}

TEST(CommandLine, HelpShowsTheVersionAndWhereTheFilesAre)
{
    const std::string help = helpPageText("arroyo");
    const std::string version = std::string("arroyo ") + platform::applicationVersion;
    for (const std::string& part :
         {version, std::string("--version"), std::string("Files:"),
          std::string("/usr/games/arroyo"), std::string("PREFIX/share/games/arroyo"),
          std::string("$XDG_PICTURES_DIR/arroyo"), std::string("~/Pictures/arroyo"),
          std::string("$XDG_DATA_HOME/arroyo"), std::string("../Screenshots")}) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(versionText("arroyo"), version + "\n");
    EXPECT_EQ(versionText("game"),
              std::string("game (arroyo) ") + platform::applicationVersion + "\n");
}

namespace {

class CommandLineWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir.path() / "game" / "Bin");
        fs::current_path(dir.path() / "game" / "Bin");
    }
    TempDir dir;
    Player player;
    ProgramState& state = programState();
};

}  // namespace

TEST_F(CommandLineWorld, ANamedWorldLoadsFromItsOwnFolderAsRunWorldDoes)
{
    dir.write("pack/maps/Other.wrl", "2 3 4  0.5 0.5 0.5  1 ..\\ART\\stone.bmp  1 worldspawn 0");
    dir.write("pack/art/Stone.BMP", solidBitmap(2, 2, {10, 20, 30}));
    // Relative to the folder the game starts in, with the case of a
    // Windows-written name.
    GameEngine engine(player, state);
    engine.openWorld("../../pack/maps/other.wrl");
    ASSERT_TRUE(engine.world()) << fakePlatform().messages.size();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir.path() / "pack" / "maps"));
    EXPECT_EQ(player.placement.position(), Vector3(2, 3, 4));
}

TEST_F(CommandLineWorld, AMissingWorldShowsTheDialogsMessageAndRunsWithout)
{
    const char* missing[] = {"nowhere.wrl", "../../no/such/folder/x.wrl"};
    for (const char* path : missing) {
        SCOPED_TRACE(path);
        fakePlatform().messages.clear();
        GameEngine engine(player, state);
        engine.openWorld(path);
        EXPECT_FALSE(engine.world());
        ASSERT_EQ(fakePlatform().messages.size(), 1u);
        EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
        EXPECT_EQ(fakePlatform().messages[0].text, "Unable to open input file");
        engine.update();  // runs without a world
    }
}
