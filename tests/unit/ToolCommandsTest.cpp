#include "support/TestEnvironment.h"

#include "bsp/CollisionBuilder.h"
#include "commands/BspCommand.h"
#include "commands/CheckCommand.h"
#include "content/Random.h"
#include "images/Image.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/MeshBuilder.h"
#include "worldfile/WorldWriter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>

namespace {

// A small but complete world: two listed textures, a box and a ramp of
// "worldspawn" polygons, a 3 x 3 HeightField; with or without its BSP.
struct SmallWorld {
    std::string withoutBsp;
    std::vector<tools::DrawnPolygon> polygons;
};

// A value no other token of the small world has, so a test can find it.
constexpr const char* markedValue = "1.375";

SmallWorld smallWorld(const std::string& polygonTexture = "..\\Textures\\stone.bmp")
{
    tools::MeshBuilder mesh;
    mesh.addBox({-2, 0, -2}, {2, 1.375, 2}, polygonTexture, 2.0);
    mesh.addFacing({{3, 0, 0}, {5, 0, 0}, {5, 1, 4}, {3, 1, 4}}, {0, 1, 0},
                   "..\\Textures\\grass.bmp", 2.0);

    tools::HeightFieldRecord field;
    field.columns = 3;
    field.rows = 3;
    field.texture = "..\\Textures\\grass.bmp";
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            Vertex v;
            v.position.x = -10 + 10 * i;
            v.position.z = -10 + 10 * j;
            v.position.y = (i == 1 && j == 1) ? 0.5 : 0.0;
            field.vertices.push_back(v);
        }
    }
    auto at = [&](int i, int j) {
        const Vertex& v = field.vertices[static_cast<std::size_t>(j * 3 + i)];
        return v.position;
    };
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            field.triangles.push_back(
                *tools::makeCollisionPolygon({at(i, j), at(i, j + 1), at(i + 1, j)}, {0, 1, 0}));
            field.triangles.push_back(*tools::makeCollisionPolygon(
                {at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}, {0, 1, 0}));
        }
    }
    tools::WorldText text;
    text.playerStart = {0, 4.375, 0};
    text.ambientLight = {0.5, 0.5, 0.5};
    text.textures = {"..\\Textures\\stone.bmp", "..\\Textures\\grass.bmp"};
    text.entityBlocks = {tools::worldspawnBlock(mesh.polygons()), tools::heightFieldBlock(field)};
    return {text.withoutBsp(), mesh.polygons()};
}

// The runtime tree in a temporary folder: two small textures and the world.
struct WorldFolder {
    TempDir dir;

    explicit WorldFolder(const std::string& worldText)
    {
        const tools::Image tile(8, 8);
        const auto bytes = tools::encodeBmp24(tile);
        dir.write("Textures/stone.bmp", std::string(bytes.begin(), bytes.end()));
        dir.write("Textures/grass.bmp", std::string(bytes.begin(), bytes.end()));
        dir.write("Worlds/small.wrl", worldText);
    }
    std::string world() const { return dir.file("Worlds/small.wrl"); }
};

std::string withBsp(const std::string& withoutBsp)
{
    std::string problem;
    auto rebuilt = tools::rebuildBsp(withoutBsp, "small.wrl", problem);
    EXPECT_TRUE(rebuilt) << problem;
    return rebuilt ? rebuilt->text : std::string();
}

// "line:column" of a byte offset, both counted from 1.
std::string placeOf(const std::string& text, std::size_t offset)
{
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return std::to_string(line) + ":" + std::to_string(offset - lineStart + 1);
}

struct Outcome {
    int status;
    std::string report;
    std::string errors;
};

Outcome check(const std::string& path)
{
    std::ostringstream report, errors;
    const int status = tools::runCheckCommand(path, report, errors);
    return {status, report.str(), errors.str()};
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

TEST(ToolCheck, SummarisesAWorldThatLoads)
{
    WorldFolder folder(withBsp(smallWorld().withoutBsp));
    const Outcome out = check(folder.world());
    EXPECT_EQ(out.status, 0) << out.errors;
    EXPECT_EQ(out.errors, "");
    EXPECT_NE(out.report.find("small.wrl: loads"), std::string::npos);
    EXPECT_NE(out.report.find("textures: 2 loaded"), std::string::npos);
    EXPECT_NE(out.report.find("HeightField 1 Object 1"), std::string::npos);
    EXPECT_NE(out.report.find("polygons: 6 (0 untextured), terrain triangles: 8"),
              std::string::npos);
    EXPECT_NE(out.report.find("BSP: "), std::string::npos);
    EXPECT_NE(out.report.find("ground 3 below"),
              std::string::npos);  // the player stands above the box
}

// Replaces the first occurrence of `token` (after `from`) with `replacement`
// and expects check to point at the `bad` token of it.
void expectReportedAt(const std::string& text, const std::string& token,
                      const std::string& replacement, const std::string& bad,
                      const std::string& expected, std::size_t from = 0)
{
    const std::size_t at = text.find(token, from);
    ASSERT_NE(at, std::string::npos) << token;
    std::string planted = text;
    planted.replace(at, token.size(), replacement);
    const std::size_t badAt = planted.find(bad, at);
    WorldFolder folder(planted);
    const Outcome out = check(folder.world());
    EXPECT_EQ(out.status, 1);
    EXPECT_TRUE(
        startsWith(out.errors, "small.wrl:" + placeOf(planted, badAt) + ": expected " + expected))
        << "planted at " << placeOf(planted, badAt) << ", got: " << out.errors;
    EXPECT_NE(out.errors.find("found \"" + bad + "\""), std::string::npos) << out.errors;
    EXPECT_EQ(out.report, "");
}

TEST(ToolCheck, PointsAtTheLineAndColumnOfAPlantedError)
{
    const std::string text = withBsp(smallWorld().withoutBsp);
    // A vertex coordinate of the box, with what was being read.
    expectReportedAt(text, markedValue, "abc", "abc", "a number (vertex ");
    // The ambient colour in the header.
    expectReportedAt(text, "0.5 0.5 0.5", "0.5 x 0.5", "x", "a number (world header)");
    // A misspelt keyword.
    expectReportedAt(text, "HeightField", "Heightfield", "Heightfield", "an entity keyword");
    // The HeightField's size.
    expectReportedAt(text, "3 3 ", "3 -3 ", "-3", "a grid of at least 2 columns and 2 rows",
                     text.find("HeightField"));
    // A corner of a terrain triangle.
    expectReportedAt(text, "  ", "  @ ", "@", "a number (corner 0 of triangle 0",
                     text.find("HeightField"));
    // A node count in the BSP section below zero.
    const std::size_t section = text.rfind("\n0\n0\n");
    ASSERT_NE(section, std::string::npos);
    expectReportedAt(text, "\n0\n", "\n-1\n", "-1", "a count of 0 or more", section);
}

TEST(ToolCheck, ReportsWhereATruncatedWorldEnds)
{
    const std::string text = withBsp(smallWorld().withoutBsp);
    // In the middle of the last vertex of the worldspawn block.
    const std::string cut = text.substr(0, text.find("HeightField") - 30);
    WorldFolder folder(cut);
    const Outcome out = check(folder.world());
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.errors.find("found end of file"), std::string::npos) << out.errors;
    EXPECT_TRUE(startsWith(out.errors, "small.wrl:" + placeOf(cut, cut.size())));
}

TEST(ToolCheck, ReportsMissingTexturesWithTheirPlace)
{
    // On a polygon: the game draws it untextured, check calls it a problem.
    const std::string text = withBsp(smallWorld("..\\Textures\\gone.bmp").withoutBsp);
    WorldFolder folder(text);
    const Outcome out = check(folder.world());
    EXPECT_EQ(out.status, 1);
    const std::string where = placeOf(text, text.find("..\\Textures\\gone.bmp"));
    EXPECT_TRUE(startsWith(
        out.errors, "small.wrl:" + where + ": texture \"..\\Textures\\gone.bmp\" cannot be loaded"))
        << out.errors;

    // In the texture list: the game refuses the world, check says where.
    std::string listed = withBsp(smallWorld().withoutBsp);
    const std::size_t at = listed.find("..\\Textures\\grass.bmp");
    listed.replace(at, std::strlen("..\\Textures\\grass.bmp"), "..\\Textures\\grasss.bmp");
    WorldFolder second(listed);
    const Outcome refused = check(second.world());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(startsWith(refused.errors, "small.wrl:" + placeOf(listed, at) +
                                               ": texture \"..\\Textures\\grasss.bmp\""))
        << refused.errors;
}

TEST(ToolCheck, AFileThatIsNotThereIsAProblemNotACrash)
{
    const Outcome out = check("/nonexistent/folder/world.wrl");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.errors.find("cannot be opened"), std::string::npos);
}

TEST(ToolBsp, AddsTheSectionKeepsEveryOtherTokenAndLoads)
{
    const SmallWorld small = smallWorld();
    WorldFolder folder(small.withoutBsp);
    const std::string output = folder.dir.file("Worlds/compiled.wrl");
    std::ostringstream report, errors;
    ASSERT_EQ(tools::runBspCommand(folder.world(), output, report, errors), 0) << errors.str();
    EXPECT_NE(report.str().find("6 polygons (0 dropped)"), std::string::npos) << report.str();
    EXPECT_NE(report.str().find("depth"), std::string::npos);

    const auto compiled = tools::readTextFile(output);
    ASSERT_TRUE(compiled);
    // Everything up to the last entity as it was, then the tree.
    const std::string body =
        small.withoutBsp.substr(0, small.withoutBsp.size() - 1);  // without the final line end
    EXPECT_EQ(compiled->substr(0, body.size()), body);
    std::filesystem::current_path(folder.dir.path() / "Worlds");
    auto world = loadWorld("compiled.wrl", true);
    ASSERT_TRUE(world) << lastWorldLoadProblem();
    ASSERT_FALSE(world->bspTree.empty());
    // The tree answers: straight down onto the box top.
    const std::optional<TraceHit> top = world->bspTree.intersectSegment({0, 5, 0}, {0, -1, 0});
    ASSERT_TRUE(top);
    EXPECT_DOUBLE_EQ(top->point.y, 1.375);

    // Again on its own output: the old section is replaced by the same one.
    std::ostringstream again, againErrors;
    const std::string second = folder.dir.file("Worlds/again.wrl");
    ASSERT_EQ(tools::runBspCommand(output, second, again, againErrors), 0);
    EXPECT_NE(again.str().find("old BSP section replaced"), std::string::npos);
    EXPECT_EQ(*tools::readTextFile(second), *compiled);
}

TEST(ToolBsp, WarnsAboutDegeneratePolygonsAndStillWrites)
{
    // One polygon of the box squashed flat onto a line.
    std::string text = smallWorld().withoutBsp;
    const std::size_t polygonStart =
        text.find("\n", text.find("worldspawn\n") + 11) + 1;  // first polygon's header line
    const std::size_t firstVertex = text.find('\n', polygonStart) + 1;
    // Make every vertex of the first polygon the same point.
    std::size_t line = firstVertex;
    for (int k = 0; k < 4; ++k) {
        const std::size_t end = text.find('\n', line);
        text.replace(line, end - line, "1 1 1 0 0 0 0 0 1 1 1");
        line = text.find('\n', line) + 1;
    }
    WorldFolder folder(text);
    std::ostringstream report, errors;
    EXPECT_EQ(tools::runBspCommand(folder.world(), folder.dir.file("out.wrl"), report, errors), 0);
    EXPECT_NE(errors.str().find("warning: polygon 0 dropped: fewer than three distinct corners"),
              std::string::npos)
        << errors.str();
    EXPECT_NE(report.str().find("6 polygons (1 dropped)"), std::string::npos) << report.str();
}

TEST(ToolBsp, RefusesMalformedWorldsWithTheirPlaceAndWritesNothing)
{
    std::string text = smallWorld().withoutBsp;
    const std::size_t at = text.find(markedValue);
    text.replace(at, 5, "1..5");
    WorldFolder folder(text);
    std::ostringstream report, errors;
    const std::string output = folder.dir.file("out.wrl");
    EXPECT_EQ(tools::runBspCommand(folder.world(), output, report, errors), 1);
    EXPECT_TRUE(
        startsWith(errors.str(), folder.world() + ":" + placeOf(text, at) + ": expected a number"))
        << errors.str();
    EXPECT_FALSE(std::filesystem::exists(output));
}

// Cuts, garbage tokens, absurd numbers and counts anywhere in a good world:
// both commands answer 0 or 1 and never crash, hang or throw.
TEST(ToolCommandsHostile, MangledWorldsAreAnsweredNotCrashedOn)
{
    const std::string good = withBsp(smallWorld().withoutBsp);
    const std::vector<std::string> garbage = {
        "abc", "-1",  "0", "2147483647", "99999999999", "1e308", "-1e308",
        "nan", "inf", "",  "worldspawn", "HeightField", "0x10",  "1e-320"};
    tools::Random random(2024);
    for (int round = 0; round < 150; ++round) {
        std::string text = good;
        const int kind = static_cast<int>(random.below(3));
        if (kind == 0) {
            text = text.substr(0, random.below(text.size()));
        } else {
            // Replace the token at a random place.
            std::size_t start = random.below(text.size());
            while (start > 0 && !std::isspace(static_cast<unsigned char>(text[start - 1]))) --start;
            std::size_t end = start;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
            text.replace(start, end - start, garbage[random.below(garbage.size())]);
            if (kind == 2) text.replace(start, 0, garbage[random.below(garbage.size())] + " ");
        }
        std::string problem;
        const auto rebuilt = tools::rebuildBsp(text, "mangled.wrl", problem);
        if (!rebuilt) {
            EXPECT_TRUE(startsWith(problem, "mangled.wrl")) << problem;
        }

        WorldFolder folder(text);
        const Outcome out = check(folder.world());
        EXPECT_TRUE(out.status == 0 || out.status == 1);
        if (out.status == 1) {
            EXPECT_FALSE(out.errors.empty());
        }
    }
}

TEST(ToolCommandsHostile, FarAwayAndHugeGeometryIsDroppedNotCompiled)
{
    std::string text = smallWorld().withoutBsp;
    const std::size_t at = text.find(markedValue);
    text.replace(at, 5, "1e300");
    std::string problem;
    const auto rebuilt = tools::rebuildBsp(text, "far.wrl", problem);
    ASSERT_TRUE(rebuilt) << problem;
    EXPECT_GE(rebuilt->compiled.stats.droppedPolygons, 1u);
    EXPECT_NE(rebuilt->compiled.warnings.front().find("too far out"), std::string::npos);
}

}  // namespace
