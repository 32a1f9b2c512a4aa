#include "NamedPipeWatch.h"
#include "WorldTestFiles.h"
#include "support/TestEnvironment.h"

#include "entities/DynamicObject.h"
#include "entities/Vehicle.h"
#include "state/ProgramState.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace worldtest;

namespace {

// A runtime tree like the game's: Bin/ is the current directory, worlds in
// ../Worlds, textures in ../Textures.
class WorldLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.path() / "Bin");
        std::filesystem::current_path(dir.path() / "Bin");
    }

    std::unique_ptr<World> load(const std::string& text)
    {
        const std::string path = dir.write("Worlds/test.wrl", text);
        return loadWorld(path, programState().settings.mipmapping);
    }

    std::vector<std::string> errorTexts() const
    {
        std::vector<std::string> out;
        for (const auto& m : fakePlatform().messages) {
            EXPECT_EQ(m.caption, "Error");
            out.push_back(m.text);
        }
        return out;
    }

    void expectOneError(const std::string& text)
    {
        ASSERT_EQ(fakePlatform().messages.size(), 1u);
        EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
        EXPECT_EQ(fakePlatform().messages[0].text, text);
    }

    TempDir dir;
};

const std::string header = "1 2 3  0.25 0.5 0.75\n";

std::string floorObject()
{
    return "worldspawn 1\n" + polygonRecord("none", {0, 1, 0}, floorCorners(10), {0.5, 0.5, 0.5});
}

// Two nodes: the floor, with a wall above it in its front subtree.
std::string bspSection()
{
    const std::vector<Vector3> wall = {{-5, 0, -5}, {5, 0, -5}, {5, 5, -5}, {-5, 5, -5}};
    return "1\n" + collisionRecord({0, 1, 0}, floorCorners(10)) + "1\n" +
           collisionRecord({0, 0, 1}, wall) + "0 0\n0\n";
}

}  // namespace

TEST_F(WorldLoaderTest, EmptyWorldWithBspZeroLoadsWithoutTree)
{
    auto world = load("4 5 6  0.1 0.2 0.3  0  0  0");
    ASSERT_TRUE(world);
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_TRUE(world->objects.empty());
    EXPECT_TRUE(world->lights.empty());
    EXPECT_EQ(world->textures.size(), 0u);
    EXPECT_TRUE(world->bspTree.empty());
    EXPECT_EQ(world->playerStart, Vector3(4, 5, 6));
    // The loader touches nothing outside the world it returns.
    const AmbientLight& a = world->ambientLight;
    EXPECT_DOUBLE_EQ(programState().ambientLight.red, 1.0);
    EXPECT_DOUBLE_EQ(a.red, 0.1);
    EXPECT_DOUBLE_EQ(a.green, 0.2);
    EXPECT_DOUBLE_EQ(a.blue, 0.3);
    EXPECT_EQ(world->cloudOffset, Vector3());
    EXPECT_TRUE(lastWorldLoadProblem().empty());
}

TEST_F(WorldLoaderTest, BspSectionOnlyWhenTheFileGoesOn)
{
    auto exact = load(header + "0 1 " + floorObject());
    ASSERT_TRUE(exact);
    EXPECT_TRUE(exact->bspTree.empty());

    // Trailing white space after the last entity is still the end.
    auto spaced = load(header + "0 1 " + floorObject() + "\n \t\r\n");
    ASSERT_TRUE(spaced);
    EXPECT_TRUE(spaced->bspTree.empty());

    auto withTree = load(header + "0 1 " + floorObject() + bspSection());
    ASSERT_TRUE(withTree);
    ASSERT_FALSE(withTree->bspTree.empty());
    EXPECT_EQ(withTree->bspTree.root()->nodeCount(), 2u);
    EXPECT_TRUE(fakePlatform().messages.empty());
}

TEST_F(WorldLoaderTest, WorldspawnBecomesAPlainObject)
{
    auto world = load(header + "0 2 " + floorObject() + "worldspawn 0\n");
    ASSERT_TRUE(world);
    ASSERT_EQ(world->objects.size(), 2u);
    EXPECT_STREQ(world->objects[0]->className(), "Object");
    ASSERT_EQ(world->objects[0]->polygons.size(), 1u);
    EXPECT_EQ(world->objects[0]->polygons[0].vertices.size(), 4u);
    EXPECT_EQ(world->objects[0]->polygons[0].texture, nullptr);
    EXPECT_TRUE(world->objects[1]->polygons.empty());
}

TEST_F(WorldLoaderTest, MissingFileIsOneError)
{
    auto world = loadWorld(dir.file("Worlds/absent.wrl"), true);
    EXPECT_FALSE(world);
    expectOneError("Unable to open input file");
    EXPECT_FALSE(lastWorldLoadProblem().empty());
}

TEST_F(WorldLoaderTest, FoldersPipesAndDevicesAreNotWorldFiles)
{
    std::filesystem::create_directories(dir.path() / "Worlds" / "folder.wrl");
    NamedPipeWatch pipe(dir.file("Worlds/pipe.wrl"));
    ASSERT_TRUE(pipe.created());
    for (const std::string& path : {dir.file("Worlds/folder.wrl"), dir.file("Worlds/pipe.wrl")}) {
        SCOPED_TRACE(path);
        fakePlatform().messages.clear();
        EXPECT_FALSE(loadWorld(path, true));
        expectOneError("Unable to open input file");
    }
    pipe.finished();
    EXPECT_FALSE(pipe.readerWasStuck());
}

TEST_F(WorldLoaderTest, ListedTexturesLoadInOrderWithTheMipMapSetting)
{
    dir.write("Textures/wall.bmp", solidBitmap(4, 4, {255, 0, 0}));
    dir.write("Textures/floor.bmp", solidBitmap(8, 8, {0, 255, 0}));
    programState().settings.mipmapping = false;
    auto world = load(header + "2 ..\\Textures\\wall.bmp ..\\TEXTURES\\Floor.bmp 0");
    ASSERT_TRUE(world);
    EXPECT_TRUE(fakePlatform().messages.empty());
    ASSERT_EQ(world->textures.size(), 2u);
    EXPECT_EQ(world->textures.at(0)->name(), "..\\Textures\\wall.bmp");
    EXPECT_EQ(world->textures.at(1)->width(), 8);
    const auto& uploads = recordingTextureDevice().uploads;
    ASSERT_GE(uploads.size(), 2u);
    EXPECT_FALSE(uploads[0].mipmaps);
    EXPECT_FALSE(uploads[1].mipmaps);
    EXPECT_FALSE(world->cloudTexture);
    EXPECT_FALSE(world->cloudTextureMatrix);
}

TEST_F(WorldLoaderTest, MissingTextureNamesItAndLeavesNoWorld)
{
    dir.write("Textures/wall.bmp", solidBitmap(4, 4, {255, 0, 0}));
    // A '%' in the name must come out as written, not as a format.
    auto world = load(header + "2 ..\\Textures\\wall.bmp ..\\Textures\\%s%n.bmp 0");
    EXPECT_FALSE(world);
    expectOneError("Unable to read in texture \"..\\Textures\\%s%n.bmp\"");
    // Nothing outside the world was touched by the failed load.
    EXPECT_DOUBLE_EQ(programState().ambientLight.blue, 1.0);
}

TEST_F(WorldLoaderTest, FailedLoadGivesBackEveryGlName)
{
    dir.write("Textures/wall.bmp", solidBitmap(4, 4, {255, 0, 0}));
    dir.write("TEXTURES/cloudShadows.bmp", solidBitmap(16, 16, {128, 128, 128}));
    const RecordingTextureDevice& device = recordingTextureDevice();
    const std::vector<std::string> failing = {
        header + "2 ..\\Textures\\wall.bmp ..\\Textures\\absent.bmp 0",
        header + "1 ..\\Textures\\wall.bmp 1 Thing 0",
        header + "1 ..\\Textures\\wall.bmp 1 worldspawn 1 " +
            polygonRecord("..\\Textures\\wall.bmp", {0, 1, 0}, floorCorners(1)) + "1 0",
    };
    for (const std::string& text : failing) {
        SCOPED_TRACE(text);
        const std::size_t releasedBefore = device.released.size();
        const unsigned firstName = device.nextName;
        EXPECT_FALSE(load(text));
        ASSERT_GT(device.nextName, firstName);
        EXPECT_EQ(device.released.size() - releasedBefore, device.nextName - firstName);
    }

    // A world that loads keeps its names until it is released.
    const std::size_t releasedBefore = device.released.size();
    auto world = load(header + "1 ..\\Textures\\wall.bmp 0");
    ASSERT_TRUE(world);
    EXPECT_EQ(device.released.size(), releasedBefore);
}

TEST_F(WorldLoaderTest, CloudShadowTextureIsOptional)
{
    dir.write("TEXTURES/cloudShadows.bmp", solidBitmap(16, 16, {128, 128, 128}));
    auto world = load(header + "0 0");
    ASSERT_TRUE(world);
    ASSERT_TRUE(world->cloudTexture);
    ASSERT_TRUE(world->cloudTextureMatrix);
    for (int i = 0; i < 16; ++i) {
        const bool one = i == 0 || i == 6 || i == 9 || i == 15;
        EXPECT_EQ((*world->cloudTextureMatrix)[i], one ? 1.0 : 0.0) << "element " << i;
    }
    EXPECT_EQ(world->textures.size(), 0u);  // not one of the world's listed textures
    EXPECT_TRUE(fakePlatform().messages.empty());
}

TEST_F(WorldLoaderTest, KeywordsOutsideTheTableAreRefused)
{
    // Wrong case, unknown words, and entities this build cannot make yet.
    for (const char* keyword : {"skybox", "Worldspawn", "WORLDSPAWN", "Thing", "teapot", "LIGHT",
                                "vehicle", "DynamicObject", "RobotDrone"}) {
        SCOPED_TRACE(keyword);
        fakePlatform().messages.clear();
        auto world = load(header + "0 2 " + floorObject() + keyword + " 0 1 1 1 1 1 1 1 1 1\n");
        EXPECT_FALSE(world);
        expectOneError("Unable to load an object");
        EXPECT_NE(lastWorldLoadProblem().find(keyword), std::string::npos)
            << lastWorldLoadProblem();
    }
}

TEST_F(WorldLoaderTest, BadThirdPolygonReleasesTheWorld)
{
    const std::string good = polygonRecord("none", {0, 1, 0}, floorCorners(1));
    auto world = load(header + "0 1 worldspawn 3 " + good + good +
                      "none 0 1 0 3  0 0 0 0 0 0 1 0 1 1 oops\n");
    EXPECT_FALSE(world);
    expectOneError("Unable to load an object");
    EXPECT_NE(lastWorldLoadProblem().find("polygon 2"), std::string::npos)
        << lastWorldLoadProblem();
}

TEST_F(WorldLoaderTest, MalformedTokensGiveOneErrorWithAPlace)
{
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"word for a number", "1 2 x  1 1 1 0 0"},
        {"word for a colour", "1 2 3  1 one 1 0 0"},
        {"negative texture count", header + "-1 0"},
        {"huge texture count", header + "2000000000 a b"},
        {"negative object count", header + "0 -3"},
        {"huge object count", header + "0 99999 worldspawn 0"},
        {"negative polygon count", header + "0 1 worldspawn -1"},
        {"huge polygon count", header + "0 1 worldspawn 500000 none 0 1 0 0"},
        {"fraction for a count", header + "0 1.5 worldspawn 0"},
        {"negative BSP count", header + "0 1 worldspawn 0 -1"},
        {"word in BSP", header + "0 1 worldspawn 0 1 0 1 0 zero 0 0 0"},
        {"truncated BSP", header + "0 1 " + floorObject() + "1 0 1 0 0 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakePlatform().messages.clear();
        auto world = load(c.text);
        EXPECT_FALSE(world);
        expectOneError("Unable to load an object");
        const std::string& problem = lastWorldLoadProblem();
        EXPECT_NE(problem.find("test.wrl:"), std::string::npos) << problem;
    }
}

// Stored moving objects and skies may give a polygon count of zero or
// below: that is an entity with no polygons, and the file reads on; a count
// larger than the file could hold is still refused.
TEST_F(WorldLoaderTest, APolygonCountOfZeroOrBelowIsNoPolygonsForMovingObjectsAndSkies)
{
    struct Kind {
        const char* keyword;
        const char* fields;  // the record before its polygon count
    };
    const Kind kinds[] = {{"DynamicObject", "1 2 3  -1 -1 -1  2 2 2  rotateY"},
                          {"RobotDrone", "1 2 3  -1 -1 -1  2 2 2  NULL"},
                          {"Skybox", ""}};
    const std::string following = floorObject() + "Vehicle 1 1 1  4 5 6  2\n" + bspSection();
    for (const Kind& kind : kinds) {
        for (const char* count : {"0", "-1", "-5"}) {
            SCOPED_TRACE(std::string(kind.keyword) + " with " + count);
            fakePlatform().messages.clear();
            auto world = load(header + "0 3 " + kind.keyword + " " + kind.fields + " " + count +
                              "\n" + following);
            ASSERT_TRUE(world) << lastWorldLoadProblem();
            EXPECT_TRUE(fakePlatform().messages.empty());
            ASSERT_EQ(world->objects.size(), 3u);
            const bool sky = std::string(kind.keyword) == "Skybox";
            const Object& entity = *world->objects[0];
            EXPECT_STREQ(entity.className(), kind.keyword);
            EXPECT_TRUE(entity.polygons.empty());
            if (const auto* moving = dynamic_cast<const DynamicObject*>(&entity)) {
                EXPECT_EQ(moving->placement.position(), Vector3(1, 2, 3));
                ASSERT_TRUE(moving->boundingBox);
                EXPECT_EQ(moving->boundingBox->maxX, 2.0);
                EXPECT_TRUE(moving->restVertices.empty());
            } else {
                EXPECT_TRUE(sky);
            }
            EXPECT_EQ(world->objects[1]->polygons.size(), 1u);  // the floor after it
            const auto* vehicle = dynamic_cast<const Vehicle*>(world->objects[2].get());
            ASSERT_TRUE(vehicle);
            EXPECT_EQ(vehicle->placement.position(), Vector3(4, 5, 6));
            EXPECT_EQ(vehicle->enterRangeSquared, 4.0);
            ASSERT_FALSE(world->bspTree.empty());
            EXPECT_EQ(world->bspTree.root()->nodeCount(), 2u);
        }
        for (const char* count : {"2000000000", "500000"}) {
            SCOPED_TRACE(std::string(kind.keyword) + " with " + count);
            fakePlatform().messages.clear();
            EXPECT_FALSE(load(header + "0 3 " + kind.keyword + " " + kind.fields + " " + count +
                              "\n" + following));
            expectOneError("Unable to load an object");
        }
    }
}

TEST_F(WorldLoaderTest, TooDeepBspTreeIsRefused)
{
    const std::string node = "1 " + collisionRecord({0, 1, 0}, floorCorners(1));
    std::string tree;
    const int depth = maximumBspDepth + 10;
    tree.reserve(static_cast<std::size_t>(depth) * (node.size() + 4));
    for (int i = 0; i < depth; ++i) tree += node;
    tree += "0 ";
    for (int i = 0; i < depth; ++i) tree += "0 ";
    auto world = load(header + "0 0 " + tree);
    EXPECT_FALSE(world);
    expectOneError("Unable to load an object");
}

TEST_F(WorldLoaderTest, EveryCutOfAValidWorldIsRefusedOrLoadsWhole)
{
    dir.write("Textures/wall.bmp", solidBitmap(4, 4, {200, 100, 50}));
    const std::string heightField =
        "HeightField 2 2 ..\\Textures\\wall.bmp\n"
        "0 0 0 0 0 0 1 0 1 1 1   4 0 0 1 0 0 1 0 1 1 1\n"
        "0 0 4 0 1 0 1 0 1 1 1   4 1 4 1 1 0 1 0 1 1 1\n" +
        collisionRecord({0, 1, 0}, {{0, 0, 0}, {0, 0, 4}, {4, 0, 0}}) +
        collisionRecord({-0.242535625, 0.9701425, 0}, {{4, 0, 0}, {0, 0, 4}, {4, 1, 4}});
    const std::string entities = "3 " + floorObject() + heightField + "worldspawn 1 " +
                                 polygonRecord("..\\Textures\\wall.bmp", {0, 0, 1},
                                               {{-1, 0, -3}, {1, 0, -3}, {1, 2, -3}, {-1, 2, -3}});
    const std::string front = header + "1 ..\\Textures\\wall.bmp\n" + entities;
    const std::vector<std::string> all = tokens(front + bspSection());
    const std::size_t endOfEntities = tokens(front).size();

    // The heightfield's own reader is exercised through here too; confirm
    // the whole file is what it should be before cutting it.
    {
        auto whole = load(join(all, all.size()));
        ASSERT_TRUE(whole) << lastWorldLoadProblem();
        ASSERT_EQ(whole->objects.size(), 3u);
        EXPECT_STREQ(whole->objects[1]->className(), "HeightField");
        EXPECT_FALSE(whole->bspTree.empty());
        fakePlatform().messages.clear();
    }

    for (std::size_t cut = 0; cut < all.size(); ++cut) {
        SCOPED_TRACE("cut after token " + std::to_string(cut));
        fakePlatform().messages.clear();
        auto world = load(join(all, cut) + "\n");
        if (cut == endOfEntities) {
            ASSERT_TRUE(world) << lastWorldLoadProblem();
            EXPECT_TRUE(world->bspTree.empty());
            EXPECT_TRUE(fakePlatform().messages.empty());
        } else {
            EXPECT_FALSE(world);
            ASSERT_EQ(fakePlatform().messages.size(), 1u);
            EXPECT_EQ(fakePlatform().messages[0].caption, "Error");
            EXPECT_FALSE(lastWorldLoadProblem().empty());
        }
    }
}

TEST_F(WorldLoaderTest, HostileTokensAnywhereGiveAWorldOrOneError)
{
    const std::vector<std::string> valid =
        tokens(header + "0 2 " + floorObject() + "worldspawn 0 " + bspSection());
    const std::vector<std::string> hostile = {"-1",     "0",          "2147483647", "99999999999",
                                              "x",      "1e308",      "nan",        "-0",
                                              "skybox", "worldspawn", "1.5"};
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> t = valid;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int c = 0; c < changes; ++c) {
            t[random() % t.size()] = hostile[random() % hostile.size()];
        }
        fakePlatform().messages.clear();
        auto world = load(join(t, t.size()));
        if (world) {
            EXPECT_TRUE(fakePlatform().messages.empty());
        } else {
            EXPECT_EQ(fakePlatform().messages.size(), 1u) << join(t, t.size());
        }
    }
}

TEST_F(WorldLoaderTest, ProblemIsClearedBySuccess)
{
    EXPECT_FALSE(load("1 2"));
    EXPECT_FALSE(lastWorldLoadProblem().empty());
    EXPECT_TRUE(load(header + "0 0 0"));
    EXPECT_TRUE(lastWorldLoadProblem().empty());
}
