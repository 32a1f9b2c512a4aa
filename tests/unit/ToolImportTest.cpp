#include "ImportTestModels.h"
#include "ImportTestRuns.h"
#include "support/TestEnvironment.h"

#include "bsp/CollisionBuilder.h"
#include "commands/CheckCommand.h"
#include "content/Random.h"
#include "entities/AmbientSound.h"
#include "import/ImportCommand.h"
#include "import/PolygonMerge.h"
#include "import/TextureImport.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/WorldWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

namespace {

using import_test::Gltf;
using import_test::loadFromItsFolder;
using import_test::Outcome;
using import_test::patterned;
using import_test::plyFloor;
using import_test::runImport;
using import_test::zUpCollada;

const Texture* textureNamed(const World& world, const std::string& part)
{
    for (std::size_t i = 0; i < world.textures.size(); ++i) {
        if (world.textures.at(i)->name().find(part) != std::string::npos)
            return world.textures.at(i);
    }
    return nullptr;
}

void expectSamePixels(const Texture& texture, const tools::Image& expected)
{
    ASSERT_EQ(texture.width(), expected.width);
    ASSERT_EQ(texture.height(), expected.height);
    EXPECT_EQ(texture.pixels(), expected.rgba);
}

// Where a straight drop from high above (x, z) first meets the world.
std::optional<double> groundAt(const World& world, double x, double z)
{
    const std::optional<TraceHit> hit = world.traceSegment({x, 50, z}, {x, -50, z});
    if (!hit) return std::nullopt;
    return hit->point.y;
}

// A floor node that stands 10 to the right, a wall at its back (-z), a
// PlayerStart child of the floor and a lamp.
struct GltfRoom {
    tools::Image floorPicture = patterned(4, 4, false);
    Vector3 start{11, 1.5, 2};
    Vector3 lamp{10, 2.5, 0};
    std::string text;

    GltfRoom()
    {
        Gltf g;
        const float white[4] = {1, 1, 1, 1};
        const float brick[4] = {0.75f, 0.25f, 0.125f, 1};
        const int floorMaterial = g.addMaterial("Floor Tiles", white, g.addTexture(floorPicture));
        const int wallMaterial = g.addMaterial("Brick", brick);
        Gltf::Primitive floor;
        floor.positions = {-4, 0, -4, 4, 0, -4, 4, 0, 4, -4, 0, 4};
        floor.normals = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
        floor.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
        floor.indices = {0, 3, 2, 0, 2, 1};
        floor.material = floorMaterial;
        Gltf::Primitive wall;
        wall.positions = {-4, 0, -4, 4, 0, -4, 4, 3, -4, -4, 3, -4};
        wall.indices = {0, 1, 2, 0, 2, 3};
        wall.material = wallMaterial;
        const int floorMesh = g.addMesh("floor", floor);
        const int wallMesh = g.addMesh("wall", wall);
        const float at[3] = {1, 1.5f, 2};
        const int startNode = g.addNode("playerstart", at);
        const float right[3] = {10, 0, 0};
        const int room = g.addNode("Room", right,
                                   "\"mesh\":" + std::to_string(floorMesh) + ",\"children\":[" +
                                       std::to_string(startNode) + "]");
        const int wallNode = g.addNode("Wall", right, "\"mesh\":" + std::to_string(wallMesh));
        const float orange[3] = {1, 0.5f, 0.25f};
        const float lampAt[3] = {10, 2.5f, 0};
        const int lampNode = g.addNode("Lamp", lampAt,
                                       "\"extensions\":{\"KHR_lights_punctual\":{\"light\":" +
                                           std::to_string(g.addPointLight(orange, 4.0)) + "}}");
        text = g.text({room, wallNode, lampNode});
    }
};

TEST(ToolImport, GltfRoomLoadsWithItsStartTextureAndFloor)
{
    TempDir dir;
    const GltfRoom room;
    const std::string model = dir.write("models/room.gltf", room.text);
    const std::string world = dir.file("game/Worlds/room.wrl");
    const Outcome out = runImport(model, world);
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_EQ(out.errors, "");
    EXPECT_NE(out.report.find("player start: 11 1.5 2 (the PlayerStart node)"), std::string::npos)
        << out.report;
    EXPECT_NE(out.report.find("point lights: 1, written as Light records"), std::string::npos)
        << out.report;
    EXPECT_TRUE(std::filesystem::exists(dir.file("game/Textures/room-Floor_Tiles.bmp")));

    auto loaded = loadFromItsFolder(world);
    ASSERT_TRUE(loaded) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_EQ(loaded->playerStart, room.start);
    ASSERT_EQ(loaded->lights.size(), 1u);
    EXPECT_STREQ(loaded->lights[0]->className(), "Light");

    // The embedded PNG, pixel for pixel, bottom row first.
    const Texture* floor = textureNamed(*loaded, "Floor_Tiles");
    ASSERT_NE(floor, nullptr);
    expectSamePixels(*floor, room.floorPicture);
    // And the right way up: the corner the model gives texture (0, 0), the
    // picture's top left, shows that pixel.
    // The default sky, then the static geometry.
    ASSERT_EQ(loaded->objects.size(), 2u);
    bool cornerSeen = false;
    for (const Polygon& p : loaded->objects[1]->polygons) {
        for (const Vertex& v : p.vertices) {
            if (p.texture != floor || v.position.x != 6 || v.position.z != -4) continue;
            cornerSeen = true;
            const int x = std::min(3, static_cast<int>(v.u * 4)),
                      y = std::min(3, static_cast<int>(v.v * 4));
            EXPECT_EQ(std::vector<std::uint8_t>(floor->pixels().begin() + (y * 4 + x) * 4,
                                                floor->pixels().begin() + (y * 4 + x) * 4 + 4),
                      std::vector<std::uint8_t>(room.floorPicture.at(0, 3),
                                                room.floorPicture.at(0, 3) + 4));
        }
    }
    EXPECT_TRUE(cornerSeen);

    // The floor is where the Room node put it, and nowhere else; the wall
    // stands at its back.
    for (double x = 6.25; x < 14; x += 0.5) {
        for (double z = -3.75; z < 4; z += 0.5) {
            EXPECT_EQ(groundAt(*loaded, x, z), std::optional<double>(0.0));
        }
    }
    EXPECT_FALSE(groundAt(*loaded, 5.5, 0));
    EXPECT_FALSE(groundAt(*loaded, 14.5, 0));
    const std::optional<TraceHit> wall = loaded->traceSegment({10, 1, 0}, {10, 1, -10});
    ASSERT_TRUE(wall);
    EXPECT_DOUBLE_EQ(wall->point.z, -4.0);
    EXPECT_DOUBLE_EQ(wall->plane.c, 1.0);

    std::ostringstream report, errors;
    EXPECT_EQ(tools::runCheckCommand(world, report, errors), 0) << errors.str();
    EXPECT_EQ(errors.str(), "");
}

TEST(ToolImport, PointLightsBecomeLightRecordsOnlyWhenAsked)
{
    TempDir dir;
    const GltfRoom room;
    const std::string model = dir.write("room.gltf", room.text);
    std::ostringstream progress;
    std::string problem;
    for (bool lights : {false, true}) {
        tools::ImportOptions options;
        options.lights = lights;
        const auto result = tools::importModel(model, "room", options, progress, problem);
        ASSERT_TRUE(result) << problem;
        EXPECT_EQ(result->lightsFound, 1u);
        const std::size_t at = result->worldText.find("\nLight ");
        if (!lights) {
            EXPECT_EQ(at, std::string::npos);
            continue;
        }
        ASSERT_NE(at, std::string::npos);
        std::istringstream record(result->worldText.substr(at + 7));
        record.imbue(std::locale::classic());
        double v[8] = {};
        for (double& value : v) record >> value;
        ASSERT_TRUE(record);
        EXPECT_EQ(Vector3(v[0], v[1], v[2]), room.lamp);
        // Orange, brightest component 1, whatever the intensity.
        EXPECT_NEAR(v[3], 1.0, 1e-6);
        EXPECT_NEAR(v[4], 0.5, 1e-6);
        EXPECT_NEAR(v[5], 0.25, 1e-6);
        EXPECT_GE(v[6], 1.0);
        EXPECT_GT(v[7], 0.0);
        EXPECT_LE(v[7], 1.0);
    }
}

// A floor and the given nodes beside it, as a glTF file.
struct SoundNodeCase {
    const char* name;
    float at[3];
    std::string extras;  // the node's glTF extras, as JSON
};

// The nodes are children of one that is scaled by `parentScale` and moved
// by `parentAt`.
std::string floorWithNodes(const std::vector<SoundNodeCase>& nodes, const float parentAt[3],
                           float parentScale)
{
    Gltf g;
    Gltf::Primitive floor;
    floor.positions = {-4, 0, -4, 4, 0, -4, 4, 0, 4, -4, 0, 4};
    floor.indices = {0, 3, 2, 0, 2, 1};
    const float origin[3] = {0, 0, 0};
    std::string children;
    for (const SoundNodeCase& n : nodes) {
        const int node = g.addNode(n.name, n.at, n.extras.empty() ? "" : "\"extras\":" + n.extras);
        children += (children.empty() ? "" : ",") + std::to_string(node);
    }
    const std::string scale = std::to_string(parentScale);
    const int parent = g.addNode(
        "Props", parentAt,
        "\"scale\":[" + scale + "," + scale + "," + scale + "],\"children\":[" + children + "]");
    const int mesh =
        g.addNode("Floor", origin, "\"mesh\":" + std::to_string(g.addMesh("f", floor)));
    return g.text({mesh, parent});
}

TEST(ToolImport, SoundNodesBecomeSoundRecordsTheGameLoads)
{
    // The parent doubles and moves 10 along x; --scale 0.5 halves.
    struct Expected {
        SoundNodeCase node;
        tools::SoundRecord record;
    };
    const std::vector<Expected> cases = {
        {{"Sound", {1, 2, 3}, R"({"file":"wind.wav","radius":7.5,"volume":0.25,"loop":false})"},
         {"..\\Sounds\\wind.wav", {6, 2, 3}, 7.5, 0.25, false}},
        {{"Sound.001", {-2, 0, 4}, R"({"file":"lamp-hum.wav"})"},
         {"..\\Sounds\\lamp-hum.wav", {3, 0, 4}, 20, 1, true}},
        // Whole numbers arrive as integers; a path is kept as written.
        {{"sOUND_2", {0, 1, 0}, R"({"File":"..\\Sounds\\gusts.wav","radius":12,"volume":0})"},
         {"..\\Sounds\\gusts.wav", {5, 1, 0}, 12, 0, true}},
        {{"Sound-3", {0, 0, -1}, R"({"file":"tick.wav","loop":true,"volume":1})"},
         {"..\\Sounds\\tick.wav", {5, 0, -1}, 20, 1, true}},
    };
    std::vector<SoundNodeCase> nodes;
    for (const Expected& c : cases) nodes.push_back(c.node);
    // Names that only look like Sound: left alone (without a file they would be refused).
    for (const char* other : {"Soundtrack", "Sound.", "Sound.001a", "MySound"})
        nodes.push_back({other, {0, 0, 0}, ""});

    TempDir dir;
    const float parentAt[3] = {10, 0, 0};
    const std::string model = dir.write("sounds.gltf", floorWithNodes(nodes, parentAt, 2));
    tools::ImportOptions options;
    options.scale = 0.5;
    const std::string world = dir.file("Worlds/sounds.wrl");
    const Outcome out = runImport(model, world, options);
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_NE(out.report.find("sounds: 4 from Sound nodes"), std::string::npos) << out.report;

    auto loaded = loadFromItsFolder(world);
    ASSERT_TRUE(loaded) << lastWorldLoadProblem();
    std::vector<const AmbientSound*> sounds;
    for (const auto& object : loaded->objects) {
        if (const auto* sound = dynamic_cast<const AmbientSound*>(object.get()))
            sounds.push_back(sound);
    }
    EXPECT_EQ(sounds.size(), cases.size());
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.node.name);
        const tools::SoundRecord& want = c.record;
        const auto found = std::find_if(sounds.begin(), sounds.end(), [&](const AmbientSound* s) {
            return s->file == want.file;
        });
        ASSERT_NE(found, sounds.end());
        EXPECT_EQ((*found)->position, want.position);
        EXPECT_EQ((*found)->radius, want.radius);
        EXPECT_EQ((*found)->volume, want.volume);
        EXPECT_EQ((*found)->loop, want.loop);
    }
}

TEST(ToolImport, BadSoundPropertiesAreRefusedNamingNodeAndProperty)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"file":"wind.wav","radious":5})",
         "node \"Sound.004\": unknown property \"radious\"; a Sound node takes file, radius, "
         "volume and loop"},
        {R"({"radius":5})", "node \"Sound.004\": property \"file\" is missing"},
        {R"({"file":3})", "property \"file\" must be a sound file name without spaces"},
        {R"({"file":"two words.wav"})", "must be a sound file name without spaces"},
        {R"({"file":"wind.wav","radius":0})",
         "property \"radius\" must be a number above 0, not 0"},
        {R"({"file":"wind.wav","radius":"far"})", "must be a number above 0, not \"far\""},
        {R"({"file":"wind.wav","volume":1.5})",
         "property \"volume\" must be a number from 0 to 1, not 1.5"},
        {R"({"file":"wind.wav","volume":-1})", "must be a number from 0 to 1, not -1"},
        {R"({"file":"wind.wav","loop":1})", "property \"loop\" must be true or false, not 1"},
        {R"({"file":"wind.wav","loop":{"on":true}})",
         "must be true or false, not a list or a group"},
    };
    const float origin[3] = {0, 0, 0};
    for (const auto& [extras, expected] : cases) {
        SCOPED_TRACE(extras);
        TempDir dir;
        const std::string model =
            dir.write("bad.gltf", floorWithNodes({{"Sound.004", {0, 1, 0}, extras}}, origin, 1));
        const Outcome out = runImport(model, dir.file("Worlds/out.wrl"));
        EXPECT_EQ(out.status, 1);
        EXPECT_NE(out.errors.find("bad.gltf: "), std::string::npos) << out.errors;
        EXPECT_NE(out.errors.find(expected), std::string::npos) << out.errors;
        EXPECT_EQ(std::count(out.errors.begin(), out.errors.end(), '\n'), 1) << out.errors;
        EXPECT_FALSE(std::filesystem::exists(dir.file("Worlds")));
    }
}

TEST(ToolImport, ObjWithMtlAndPngKeepsAlphaAndResizesOddSides)
{
    TempDir dir;
    const tools::Image glass = patterned(4, 2, true);
    const tools::Image odd = patterned(3, 5, false);
    dir.write("model/glass.png", import_test::png(glass));
    dir.write("model/tex/odd.png", import_test::png(odd));
    dir.write("model/hall.mtl",
              "newmtl glass\nKd 1 1 1\nmap_Kd glass.png\n"
              "newmtl odd\nKd 0.5 0.5 0.5\nmap_Kd tex\\odd.png\n");
    const std::string model = dir.write("model/hall.obj",
                                        "mtllib hall.mtl\n"
                                        "v 0 0 0\nv 8 0 0\nv 8 0 -8\nv 0 0 -8\nv 0 4 -8\nv 8 4 -8\n"
                                        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                        "usemtl glass\nf 1/1 2/2 3/3 4/4\n"
                                        "usemtl odd\nf 4/1 3/2 6/3 5/4\n");
    const std::string world = dir.file("Worlds/hall.wrl");
    const Outcome out = runImport(model, world, {0.5, Vector3{2, 1, -2}, false});
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_NE(out.errors.find("odd.png: texture of 3 x 5 pixels resized to 4 x 4"),
              std::string::npos)
        << out.errors;
    EXPECT_NE(out.report.find("(--start)"), std::string::npos);

    auto loaded = loadFromItsFolder(world);
    ASSERT_TRUE(loaded) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_EQ(loaded->playerStart, Vector3(2, 1, -2));
    // Transparency is kept in a TGA; the opaque odd picture becomes a BMP.
    const Texture* glassTexture = textureNamed(*loaded, "hall-glass.tga");
    ASSERT_NE(glassTexture, nullptr);
    expectSamePixels(*glassTexture, glass);
    const Texture* oddTexture = textureNamed(*loaded, "hall-odd.bmp");
    ASSERT_NE(oddTexture, nullptr);
    EXPECT_EQ(oddTexture->width(), 4);
    EXPECT_EQ(oddTexture->height(), 4);
    // --scale 0.5: the 8 x 8 floor is 4 x 4.
    EXPECT_EQ(groundAt(*loaded, 3.9, -3.9), std::optional<double>(0.0));
    EXPECT_FALSE(groundAt(*loaded, 4.1, -2));
}

TEST(ToolImport, OtherFormatsArriveInTheGameAxes)
{
    struct Case {
        const char* file;
        const char* text;
        std::optional<Vector3> start;
    };
    for (const Case& c : {Case{"floor.dae", zUpCollada, Vector3{1, 3, 2}},
                          Case{"floor.ply", plyFloor, std::nullopt}}) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const std::string world = dir.file("Worlds/floor.wrl");
        const Outcome out = runImport(dir.write(c.file, c.text), world);
        ASSERT_EQ(out.status, 0) << out.errors;
        auto loaded = loadFromItsFolder(world);
        ASSERT_TRUE(loaded) << lastWorldLoadProblem();
        if (c.start) {
            EXPECT_EQ(loaded->playerStart, *c.start);
        }
        ASSERT_EQ(loaded->objects.size(), 2u);
        for (const Polygon& p : loaded->objects.back()->polygons) EXPECT_EQ(p.normal.y, 1.0);
        EXPECT_EQ(groundAt(*loaded, 3.5, -3.5), std::optional<double>(0.0));
        EXPECT_EQ(groundAt(*loaded, -3.5, 3.5), std::optional<double>(0.0));
        EXPECT_FALSE(groundAt(*loaded, 4.5, 0));
    }
}

// An L-shaped (not convex) face, a face of three points on a line and one
// with a repeated corner.
constexpr const char* awkwardObj =
    "v 0 0 4\nv 2 0 4\nv 2 0 2\nv 4 0 2\nv 4 0 0\nv 0 0 0\n"
    "v 10 0 0\nv 11 0 0\nv 12 0 0\n"
    "f 1 2 3 4 5 6\n"
    "f 7 8 9\n"
    "f 7 7 8\n";

bool insideL(double x, double z)
{
    return x > 0 && z > 0 && ((x < 2 && z < 4) || (x < 4 && z < 2));
}

TEST(ToolImport, DegenerateFacesAreDroppedAndTheNonConvexOneCoversExactlyItsShape)
{
    TempDir dir;
    const std::string model = dir.write("awkward.obj", awkwardObj);
    const std::string world = dir.file("Worlds/awkward.wrl");
    const Outcome out = runImport(model, world);
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_NE(out.report.find("2 degenerate dropped"), std::string::npos) << out.report;
    EXPECT_NE(out.report.find("centre of the floor area"), std::string::npos) << out.report;

    auto loaded = loadFromItsFolder(world);
    ASSERT_TRUE(loaded) << lastWorldLoadProblem();
    // The start lies over the L, one unit up.
    EXPECT_TRUE(insideL(loaded->playerStart.x, loaded->playerStart.z));
    EXPECT_DOUBLE_EQ(loaded->playerStart.y, 1.0);
    for (const Polygon& p : loaded->objects.back()->polygons) EXPECT_GT(p.normal.y, 0.99);

    tools::Random random(15);
    for (int i = 0; i < 2000; ++i) {
        const double x = random.uniform(-1, 5), z = random.uniform(-1, 5);
        const bool nearEdge = std::fabs(x) < 1e-3 || std::fabs(z) < 1e-3 ||
                              std::fabs(x - 2) < 1e-3 || std::fabs(z - 2) < 1e-3 ||
                              std::fabs(x - 4) < 1e-3 || std::fabs(z - 4) < 1e-3;
        if (nearEdge) continue;
        EXPECT_EQ(groundAt(*loaded, x, z).has_value(), insideL(x, z)) << x << " " << z;
    }
}

// Planes of a few flat terraces and slopes, and a grid of triangles on them:
// merging keeps every bit of area, in convex flat pieces, and joins the flat
// parts into fewer polygons.
TEST(ToolImport, MergedPolygonsAreConvexFlatAndCoverTheTrianglesExactly)
{
    tools::Random random(7);
    for (int round = 0; round < 20; ++round) {
        const int n = 6 + round % 5;
        tools::ImportedMesh mesh;
        std::vector<double> heights(static_cast<std::size_t>((n + 1) * (n + 1)));
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) {
                Vertex v;
                v.position.x = i;
                v.position.z = -j;
                // Terraces, with some corners lifted at random.
                v.position.y = (i < n / 2 ? 0.0 : 1.0) + (random.uniform(0, 1) < 0.1 ? 0.5 : 0.0);
                v.u = i * 0.25;
                v.v = j * 0.25;
                mesh.vertices.push_back(v);
            }
        }
        auto index = [&](int i, int j) { return static_cast<std::uint32_t>(j * (n + 1) + i); };
        double area = 0.0;
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                const bool flip = random.uniform(0, 1) < 0.5;
                std::array<std::uint32_t, 3> a{index(i, j), index(i + 1, j), index(i + 1, j + 1)};
                std::array<std::uint32_t, 3> b{index(i, j), index(i + 1, j + 1), index(i, j + 1)};
                if (flip) {
                    a = {index(i, j), index(i + 1, j), index(i, j + 1)};
                    b = {index(i + 1, j), index(i + 1, j + 1), index(i, j + 1)};
                }
                for (const auto& t : {a, b}) {
                    mesh.triangles.push_back(t);
                    auto p = [&](std::uint32_t k) { return mesh.vertices[k].position; };
                    area += (p(t[1]) - p(t[0])).cross(p(t[2]) - p(t[0])).length() / 2;
                }
            }
        }
        std::vector<tools::DrawnPolygon> polygons;
        tools::MergeCounts counts;
        tools::mergeTriangles(mesh, "t.bmp", polygons, counts);
        EXPECT_EQ(counts.triangles, mesh.triangles.size());
        EXPECT_EQ(counts.dropped, 0u);
        EXPECT_LT(polygons.size(), mesh.triangles.size());
        double merged = 0.0;
        for (const tools::DrawnPolygon& p : polygons) {
            std::vector<Vector3> corners;
            for (const Vertex& v : p.vertices) corners.push_back(v.position);
            const auto collision = tools::makeCollisionPolygon(corners, p.normal);
            ASSERT_TRUE(collision);
            EXPECT_LT(tools::planarityError(*collision), 1e-9);
            EXPECT_GT(collision->plane.b * p.normal.y, 0.0);  // faces the way the triangles did
            Vector3 sum;
            for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
                sum += (corners[i] - corners[0]).cross(corners[i + 1] - corners[0]);
            }
            merged += sum.length() / 2;
        }
        EXPECT_NEAR(merged, area, 1e-9);
    }
}

// Builds with the sanitizers read models without the address-space cap;
// there a file that asks for all the memory would abort the test run.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool memoryIsCapped = false;
#else
constexpr bool memoryIsCapped = true;
#endif

struct BadInput {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // written before the import
    std::string model;
    std::string world;
    std::string expected;  // in the message, after the file it names
};

// A PNG header that claims 20000 x 20000 pixels, and nothing after it.
std::string hugePngHeader()
{
    std::string header(
        "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x4e\x20\0\0\x4e\x20\x08\x06\0\0\0\0\0\0\0", 33);
    return header + std::string(64, '\0');
}

// A 1 x 1 PNG whose next chunk is named "\nvt ": stb_image quotes the name
// in its reason.
std::string pngWithControlCharacterChunk()
{
    std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\0\0\0\0",
                       33);
    return header + std::string("\0\0\0\0\nvt \0\0\0\0", 12);
}

const char* triangle = "v 0 0 0\nv 1 0 0\nv 1 0 -1\nf 1 2 3\n";
const char* texturedQuad =
    "mtllib q.mtl\nv 0 0 0\nv 1 0 0\nv 1 0 -1\nv 0 0 -1\nvt 0 0\nusemtl m\nf 1/1 2/1 3/1 4/1\n";

TEST(ToolImport, BadInputGetsOneMessageNamingTheFileAndLeavesNothingBehind)
{
    const std::vector<BadInput> cases = {
        {"missing model",
         {},
         "none.obj",
         "Worlds/out.wrl",
         "none.obj: cannot be opened: no such file"},
        {"a folder as model",
         {{"folder.obj/x", ""}},
         "folder.obj",
         "Worlds/out.wrl",
         "folder.obj: cannot be read"},
        {"unreadable glTF",
         {{"broken.gltf", "{ \"asset\": [ not json"}},
         "broken.gltf",
         "Worlds/out.wrl",
         "broken.gltf: cannot be read: "},
        {"no meshes",
         {{"empty.gltf",
           "{\"asset\":{\"version\":\"2.0\"},\"scenes\":[{\"nodes\":[0]}],"
           "\"nodes\":[{\"name\":\"PlayerStart\"}]}"}},
         "empty.gltf",
         "Worlds/out.wrl",
         "empty.gltf: "},
        {"only degenerate faces",
         {{"flat.obj", "v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n"}},
         "flat.obj",
         "Worlds/out.wrl",
         "flat.obj: every triangle is degenerate"},
        {"texture missing",
         {{"q.obj", texturedQuad}, {"q.mtl", "newmtl m\nmap_Kd gone.png\n"}},
         "q.obj",
         "Worlds/out.wrl",
         "gone.png: texture cannot be opened: no such file"},
        {"texture not an image",
         {{"q.obj", texturedQuad},
          {"q.mtl", "newmtl m\nmap_Kd bad.png\n"},
          {"bad.png", "this is no picture"}},
         "q.obj",
         "Worlds/out.wrl",
         "bad.png: texture cannot be decoded: "},
        {"texture too large",
         {{"q.obj", texturedQuad},
          {"q.mtl", "newmtl m\nmap_Kd huge.png\n"},
          {"huge.png", hugePngHeader()}},
         "q.obj",
         "Worlds/out.wrl",
         "huge.png: texture of 20000 x 20000 pixels; sides must be 1 to 16384"},
        {"texture whose decoder's reason quotes control characters",
         {{"q.obj", texturedQuad},
          {"q.mtl", "newmtl m\nmap_Kd odd.png\n"},
          {"odd.png", pngWithControlCharacterChunk()}},
         "q.obj",
         "Worlds/out.wrl",
         "odd.png: texture cannot be decoded: ?vt  PNG chunk not known"},
        {"counts that ask for all the memory",
         {{"bomb.ply",
           std::string("ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\n"
                       "property float x\nproperty float y\nproperty float z\n"
                       "element face 2000000000\nproperty list uchar int vertex_indices\n"
                       "end_header\n") +
               std::string(100, '\0')}},
         "bomb.ply",
         "Worlds/out.wrl",
         "bomb.ply: cannot be read: it asks for more memory than"},
        // Assimp's reader runs off its buffer: it crashes, or, when much memory
        // lies beyond, runs out of processor time first. Either is refused.
        {"a binary PLY header cut inside a property line (Assimp's reader crashes on it)",
         {{"cut.ply", std::string("ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                                  "property float x\nproperty float y\nproperty float z\n"
                                  "element face 1\nproperty list uchar in") +
                          std::string("\3\0\0\0\0\1\0\0\0\2\0\0\0", 13)}},
         "cut.ply",
         "Worlds/out.wrl",
         "cut.ply: cannot be read: Assimp "},
        {"an ASCII PLY without the end of its header (Assimp's reader never finishes)",
         {{"endless.ply",
           "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\n"
           "property float y\nproperty float z\nelement face 1\n"
           "property list uchar int  4 0 0\nv 0 0 0\nv 10 0 0\nv 11 0 0\n"
           "v 12 0 0\nf 1 2 3   546\nf 7 2 3\n"}},
         "endless.ply",
         "Worlds/out.wrl",
         "endless.ply: cannot be read: Assimp did not finish reading it in 2 s of processor time"},
        {"world folder is a file",
         {{"q.obj", triangle}, {"blocker", ""}},
         "q.obj",
         "blocker/out.wrl",
         "blocker: folder cannot be created: "},
        {"world is a folder",
         {{"q.obj", triangle}, {"Worlds/out.wrl/x", ""}},
         "q.obj",
         "Worlds/out.wrl",
         "out.wrl: cannot be written: "},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        if (!memoryIsCapped && c.model == "bomb.ply") continue;
        TempDir dir;
        for (const auto& [name, contents] : c.files) dir.write(name, contents);
        std::filesystem::create_directories(dir.path() / "Worlds");
        const Outcome out = runImport(dir.file(c.model), dir.file(c.world));
        EXPECT_EQ(out.status, 1);
        EXPECT_NE(out.errors.find(c.expected), std::string::npos) << out.errors;
        EXPECT_EQ(std::count(out.errors.begin(), out.errors.end(), '\n'), 1) << out.errors;
        EXPECT_FALSE(std::filesystem::is_regular_file(dir.file(c.world)));
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".tmp")) << name;
            EXPECT_FALSE(name.ends_with(".bmp") || name.ends_with(".tga")) << name;
        }
    }
}

TEST(ToolImport, ArgumentsAreReadStrictly)
{
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
    };
    const std::vector<Case> cases = {
        {{"m.glb", "w.wrl"}, true},
        {{"m.glb", "w.wrl", "--scale", "0.01", "--start", "1", "-2.5", "3e1", "--lights"}, true},
        {{"--scale", "2", "m.glb", "w.wrl"}, true},
        {{"m.glb"}, false},
        {{"m.glb", "w.wrl", "extra"}, false},
        {{"m.glb", "w.wrl", "--scale"}, false},
        {{"m.glb", "w.wrl", "--scale", "0"}, false},
        {{"m.glb", "w.wrl", "--scale", "-1"}, false},
        {{"m.glb", "w.wrl", "--scale", "1,5"}, false},
        {{"m.glb", "w.wrl", "--scale", "nan"}, false},
        {{"m.glb", "w.wrl", "--start", "1", "2"}, false},
        {{"m.glb", "w.wrl", "--start", "1", "2", "z"}, false},
        {{"m.glb", "w.wrl", "--light"}, false},
        {{"m.glb", "w.wrl", "--no-lights"}, true},
        {{"m.glb", "w.wrl", "--no-sky"}, true},
        {{"m.glb", "w.wrl", "--sky", "sky/day_"}, true},
        {{"m.glb", "w.wrl", "--sky"}, false},
        {{"m.glb", "w.wrl", "--sky", "sky/day_", "--no-sky"}, false},
    };
    for (const Case& c : cases) {
        std::string why;
        const auto request = tools::parseImportArguments(c.arguments, why);
        EXPECT_EQ(request.has_value(), c.ok)
            << why << " for " << c.arguments.size() << " arguments";
        EXPECT_EQ(why.empty(), c.ok);
    }
    std::string why;
    const auto full = tools::parseImportArguments(cases[1].arguments, why);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->options.scale, 0.01);
    EXPECT_EQ(full->options.start, std::optional<Vector3>(Vector3(1, -2.5, 30)));
    EXPECT_TRUE(full->options.lights);
    EXPECT_TRUE(tools::parseImportArguments(cases[0].arguments, why)->options.lights);
    EXPECT_FALSE(
        tools::parseImportArguments({"m.glb", "w.wrl", "--no-lights"}, why)->options.lights);
}

TEST(ToolImport, SidesGoToTheNearestPowerOfTwoAndResamplingKeepsFlatColour)
{
    const std::vector<std::pair<int, int>> sides = {
        {1, 1},     {2, 2},     {3, 4},       {5, 4},         {6, 8},
        {300, 256}, {400, 512}, {1000, 1024}, {16384, 16384}, {12000, 16384}};
    for (const auto& [side, expected] : sides)
        EXPECT_EQ(tools::nearestPowerOfTwo(side), expected) << side;

    tools::Image flat(3, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) flat.set(x, y, 0.2, 0.4, 0.6, 0.8);
    }
    const tools::Image out = tools::resized(flat, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(std::vector<std::uint8_t>(out.at(x, y), out.at(x, y) + 4),
                      std::vector<std::uint8_t>(flat.at(0, 0), flat.at(0, 0) + 4));
        }
    }
}

}  // namespace
