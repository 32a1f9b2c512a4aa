#include "platform/Paths.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

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

// The plain walk: each name kept when it exists as written, else the first
// case variant in byte order, else the path given back with slashes only.
std::string referenceResolve(const std::string& path)
{
    namespace fs = std::filesystem;
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= slashed.size();) {
        const std::size_t end = std::min(slashed.find('/', start), slashed.size());
        if (end > start) names.push_back(slashed.substr(start, end - start));
        start = end + 1;
    }
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    std::string resolved = (!slashed.empty() && slashed.front() == '/') ? "/" : "";
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::error_code ec;
        if (names[i] == "." || names[i] == ".." || fs::exists(resolved + names[i], ec)) {
            resolved += names[i];
        } else {
            std::optional<std::string> best;
            fs::directory_iterator it(resolved.empty() ? fs::path(".") : fs::path(resolved), ec);
            for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
                const std::string entry = it->path().filename().string();
                if (lower(entry) == lower(names[i]) && (!best || entry < *best)) best = entry;
            }
            if (!best) return slashed;
            resolved += *best;
        }
        if (i + 1 < names.size() || slashed.back() == '/') resolved += '/';
    }
    return resolved;
}

TEST_F(PathsTest, RandomPathsResolveAsThePlainWalkDoes)
{
    dir.write("Maps/Wall.bmp", "");
    dir.write("Maps/WALL.bmp", "");
    dir.write("maps/deep/Floor.tga", "");
    std::mt19937 engine(3);
    const std::vector<std::string> names{
        "..",   ".",        "Bin",      "Textures",  "Maps", "maps",          "Worlds",
        "deep", "test.skl", "Wall.bmp", "Floor.tga", "none", "crosshair.bmp", "canyon.wrl"};
    const std::string root = dir.path().string();
    for (int run = 0; run < 3000; ++run) {
        std::string path = run % 5 == 0 ? root : "";
        const int count = 1 + static_cast<int>(engine() % 4);
        for (int k = 0; k < count; ++k) {
            if (!path.empty() || k > 0) path += "/\\"[engine() % 2];
            if (engine() % 10 == 0) path += '/';  // an empty name
            std::string name = names[engine() % names.size()];
            for (char& c : name) {
                if (engine() % 4 == 0) c = static_cast<char>(std::toupper(c));
            }
            path += name;
        }
        if (engine() % 6 == 0) path += '/';
        ASSERT_EQ(resolvePath(path), referenceResolve(path)) << path;
    }
}

}  // namespace
