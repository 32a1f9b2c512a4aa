#include "support/TestEnvironment.h"

#include "app/GameFiles.h"
#include "platform/GameFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using platform::EnvironmentLookup;

namespace {

// An environment of the test's own: only the variables given are set.
EnvironmentLookup environmentOf(std::map<std::string, std::string> variables)
{
    return [variables](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

}  // namespace

TEST(GameFolders, TheVersionAndTheShareFolderComeFromTheBuild)
{
    // MAJOR.MINOR.PATCH, digits and two dots.
    const std::string version = platform::applicationVersion;
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
    EXPECT_TRUE(std::all_of(version.begin(), version.end(), [](char c) {
        return c == '.' || (c >= '0' && c <= '9');
    })) << version;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(version.front())) &&
                std::isdigit(static_cast<unsigned char>(version.back())))
        << version;
    EXPECT_EQ(version.find(".."), std::string::npos) << version;
    EXPECT_STREQ(platform::installedContentFromProgram, "../share/games/arroyo");
    EXPECT_STREQ(platform::applicationName, "arroyo");
}

TEST(GameFolders, PicturesFollowTheVariableThenTheUserDirsFileThenPictures)
{
    TempDir dir;
    const std::string home = dir.file("home");
    // Nothing set: ~/Pictures.
    EXPECT_EQ(platform::userPicturesFolder(environmentOf({{"HOME", home}})), home + "/Pictures");
    // A relative variable is ignored, as XDG says.
    EXPECT_EQ(platform::userPicturesFolder(
                  environmentOf({{"HOME", home}, {"XDG_PICTURES_DIR", "Bilder"}})),
              home + "/Pictures");

    // The user-dirs file in ~/.config names another folder.
    dir.write("home/.config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\n"
              "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
              "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(platform::userPicturesFolder(environmentOf({{"HOME", home}})), home + "/Bilder");
    // $XDG_CONFIG_HOME moves the file.
    dir.write("config/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/shots\"\n");
    EXPECT_EQ(platform::userPicturesFolder(
                  environmentOf({{"HOME", home}, {"XDG_CONFIG_HOME", dir.file("config")}})),
              "/srv/shots");
    // The variable itself wins over the file.
    EXPECT_EQ(platform::userPicturesFolder(
                  environmentOf({{"HOME", home}, {"XDG_PICTURES_DIR", "/data/pictures"}})),
              "/data/pictures");
}

TEST(GameFolders, TheUserDirsFileIsReadAsXdgUserDirsWritesIt)
{
    const std::string home = "/home/ana";
    const std::string key = "XDG_PICTURES_DIR";
    EXPECT_EQ(platform::userDirFromFile("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", key, home),
              "/home/ana/Pictures");
    EXPECT_EQ(platform::userDirFromFile("  XDG_PICTURES_DIR=\"/abs/olute\"  \r\n", key, home),
              "/abs/olute");
    // "$HOME" alone: the folder is switched off and the home stands in.
    EXPECT_EQ(platform::userDirFromFile("XDG_PICTURES_DIR=\"$HOME\"", key, home), "/home/ana");
    // The last assignment wins.
    EXPECT_EQ(platform::userDirFromFile(
                  "XDG_PICTURES_DIR=\"$HOME/a\"\nXDG_PICTURES_DIR=\"$HOME/b\"\n", key, home),
              "/home/ana/b");
    // Comments, other keys, unquoted or relative values, other variables: none.
    for (const char* text : {"", "# XDG_PICTURES_DIR=\"$HOME/x\"", "XDG_PICTURES_DIRS=\"$HOME/x\"",
                             "XDG_PICTURES_DIR=$HOME/x", "XDG_PICTURES_DIR=\"x\"",
                             "XDG_PICTURES_DIR=\"$USER/x\"", "XDG_PICTURES_DIR=\""}) {
        EXPECT_EQ(platform::userDirFromFile(text, key, home), std::nullopt) << text;
    }
}

TEST(GameFolders, DataGoesUnderXdgDataHome)
{
    EXPECT_EQ(platform::userDataHome(environmentOf({{"HOME", "/home/ana"}})),
              "/home/ana/.local/share");
    EXPECT_EQ(
        platform::userDataHome(environmentOf({{"HOME", "/home/ana"}, {"XDG_DATA_HOME", "/d"}})),
        "/d");
    EXPECT_EQ(platform::userDataHome(
                  environmentOf({{"HOME", "/home/ana"}, {"XDG_DATA_HOME", "relative"}})),
              "/home/ana/.local/share");
    // Without $HOME, the password database's home.
    EXPECT_FALSE(platform::homeFolder(environmentOf({})).empty());
}

TEST(GameFolders, AnInstalledGameIsToldByItsShareFolder)
{
    TempDir dir;
    const auto environment = environmentOf({{"HOME", "/home/ana"}});
    fs::create_directories(dir.path() / "usr/games");
    fs::create_directories(dir.path() / "game/Bin");
    // No share folder beside: a build tree.
    EXPECT_EQ(platform::installedFolders(dir.file("usr/games"), environment), std::nullopt);
    EXPECT_EQ(platform::installedFolders(dir.file("game/Bin"), environment), std::nullopt);
    EXPECT_EQ(platform::installedFolders("", environment), std::nullopt);

    fs::create_directories(dir.path() / "usr/share/games/arroyo/Worlds");
    const auto folders = platform::installedFolders(dir.file("usr/games"), environment);
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->content, dir.file("usr/share/games/arroyo"));
    EXPECT_EQ(folders->screenshots, "/home/ana/Pictures/arroyo");
    EXPECT_EQ(folders->userData, "/home/ana/.local/share/arroyo");
    // The share folder as a file is no share folder.
    dir.write("opt/share/games/arroyo", "");
    fs::create_directories(dir.path() / "opt/games");
    EXPECT_EQ(platform::installedFolders(dir.file("opt/games"), environment), std::nullopt);
}

TEST(GameFolders, MessagesWriteTheHomeAsATilde)
{
    const auto environment = environmentOf({{"HOME", "/home/ana/"}});
    EXPECT_EQ(platform::withHomeAsTilde("/home/ana/Pictures/arroyo", environment),
              "~/Pictures/arroyo");
    EXPECT_EQ(platform::withHomeAsTilde("/home/ana", environment), "~");
    EXPECT_EQ(platform::withHomeAsTilde("/home/anatole/x", environment), "/home/anatole/x");
    EXPECT_EQ(platform::withHomeAsTilde("/srv/shots", environment), "/srv/shots");
    EXPECT_EQ(platform::withHomeAsTilde("/x", environmentOf({{"HOME", "/"}})), "/x");
}

TEST(GameFiles, TheBuildTreeKeepsItsNamesFromBin)
{
    const GameFiles files = buildTreeFiles("/games/build/game/Bin");
    EXPECT_EQ(files.skeleton, "test.skl");
    EXPECT_EQ(files.crosshair, "!..\\Textures\\crosshair.bmp");
    EXPECT_EQ(files.defaultWorld, "..\\Worlds\\canyon.wrl");
    EXPECT_FALSE(files.enterDefaultWorldFolder);
    EXPECT_EQ(files.screenshots, "/games/build/game/Screenshots");
    EXPECT_EQ(files.screenshotsLabel, "Screenshots");
}

TEST(GameFiles, AnInstalledGameNamesTheSameFilesInItsShareFolder)
{
    platform::InstalledFolders folders;
    folders.content = "/usr/share/games/arroyo";
    folders.screenshots = "/home/ana/Pictures/arroyo";
    folders.userData = "/home/ana/.local/share/arroyo";
    const GameFiles files = installedFiles(folders, environmentOf({{"HOME", "/home/ana"}}));
    EXPECT_EQ(files.skeleton, "/usr/share/games/arroyo/test.skl");
    EXPECT_EQ(files.crosshair, "!/usr/share/games/arroyo/Textures/crosshair.bmp");
    EXPECT_EQ(files.defaultWorld, "/usr/share/games/arroyo/Worlds/canyon.wrl");
    EXPECT_TRUE(files.enterDefaultWorldFolder);
    EXPECT_EQ(files.screenshots, "/home/ana/Pictures/arroyo");
    EXPECT_EQ(files.screenshotsLabel, "~/Pictures/arroyo");
}
