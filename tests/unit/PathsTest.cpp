#include "platform/Paths.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

using platform::resolvePath;

namespace {

// The runtime tree the game works in: it runs from Bin/ and names its files
// the Windows way, in whatever case the world's author typed.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("Bin/test.skl", "");
        dir.write("Textures/crosshair.bmp", "");
        dir.write("Textures/cloudShadows.bmp", "");
        dir.write("Worlds/canyon.wrl", "");
        std::filesystem::current_path(dir.path() / "Bin");
    }

    TempDir dir;
};

TEST_F(PathsTest, ExistingPathsComeBackAsWritten)
{
    EXPECT_EQ(resolvePath("test.skl"), "test.skl");
    EXPECT_EQ(resolvePath("../Worlds/canyon.wrl"), "../Worlds/canyon.wrl");
    EXPECT_EQ(resolvePath("./test.skl"), "./test.skl");
    EXPECT_EQ(resolvePath("../Textures/"), "../Textures/");
}

TEST_F(PathsTest, BackslashesAndCaseOfTheWorldsAreMatched)
{
    // Both spellings the engine uses for the one texture folder.
    EXPECT_EQ(resolvePath("..\\TEXTURES\\cloudShadows.bmp"), "../Textures/cloudShadows.bmp");
    EXPECT_EQ(resolvePath("..\\Textures\\crosshair.bmp"), "../Textures/crosshair.bmp");
    EXPECT_EQ(resolvePath("..\\textures\\CROSSHAIR.BMP"), "../Textures/crosshair.bmp");
    EXPECT_EQ(resolvePath("..\\WORLDS\\Canyon.WRL"), "../Worlds/canyon.wrl");
    EXPECT_EQ(resolvePath("TEST.SKL"), "test.skl");
}

TEST_F(PathsTest, DotComponentsAreKeptAndWalkedThrough)
{
    EXPECT_EQ(resolvePath(".\\..\\bin\\..\\worlds\\CANYON.wrl"), "./../Bin/../Worlds/canyon.wrl");
}

TEST_F(PathsTest, AbsolutePathsAreMatchedFromTheRoot)
{
    const std::string root = dir.path().string();
    EXPECT_EQ(resolvePath(root + "\\TEXTURES\\Crosshair.bmp"), root + "/Textures/crosshair.bmp");
}

TEST_F(PathsTest, UnmatchedPathsComeBackWithSlashesOnly)
{
    EXPECT_EQ(resolvePath("..\\Maps\\none.wrl"), "../Maps/none.wrl");
    // The folder matches but the file does not: nothing half-resolved.
    EXPECT_EQ(resolvePath("..\\TEXTURES\\missing.bmp"), "../TEXTURES/missing.bmp");
    // A file taken for a folder.
    EXPECT_EQ(resolvePath("..\\Textures\\crosshair.bmp\\x"), "../Textures/crosshair.bmp/x");
    EXPECT_EQ(resolvePath(""), "");
}

TEST_F(PathsTest, OnlyAsciiLettersFoldCase)
{
    dir.write("Textures/\xC3\xA9t\xC3\xA9.bmp", "");  // "été" in UTF-8
    EXPECT_EQ(resolvePath("../textures/\xC3\x89T\xC3\x89.BMP"),
              "../textures/\xC3\x89T\xC3\x89.BMP");
    EXPECT_EQ(resolvePath("../textures/\xC3\xA9T\xC3\xA9.BMP"),
              "../Textures/\xC3\xA9t\xC3\xA9.bmp");
}

TEST_F(PathsTest, AmongSeveralCaseVariantsTheExactOneThenTheFirstInByteOrderWins)
{
    dir.write("Maps/Wall.bmp", "");
    dir.write("Maps/WALL.bmp", "");
    dir.write("Maps/wall.BMP", "");
    EXPECT_EQ(resolvePath("../Maps/wall.BMP"), "../Maps/wall.BMP");
    EXPECT_EQ(resolvePath("../Maps/Wall.bmp"), "../Maps/Wall.bmp");
    EXPECT_EQ(resolvePath("../MAPS/wall.bmp"), "../Maps/WALL.bmp");
}

}  // namespace
