#include "ImportTestModels.h"
#include "ImportTestRuns.h"
#include "support/TestEnvironment.h"

#include "content/Drone.h"
#include "entities/DynamicObject.h"
#include "entities/Light.h"
#include "entities/RobotDrone.h"
#include "entities/Skybox.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "import/EntityNodes.h"
#include "import/ImportCommand.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using import_test::loadFromItsFolder;
using import_test::Outcome;
using import_test::runImport;

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(ToolImportEntities, EveryKindOfNodeBecomesTheEntityTheGameLoads)
{
    TempDir dir;
    const std::string model = dir.write("courtyard.gltf", import_test::courtyard(true));
    const std::string world = dir.file("Worlds/courtyard.wrl");
    const Outcome out = runImport(model, world);
    ASSERT_EQ(out.status, 0) << out.errors;
    EXPECT_EQ(out.errors, "");
    EXPECT_TRUE(contains(out.report,
                         "entities from nodes: 3 Light, 2 DynamicObject, "
                         "3 RobotDrone (2 with the game's drone model), 2 Vehicle, "
                         "2 Teapot\n"))
        << out.report;
    EXPECT_TRUE(contains(out.report, "point lights: 1, written as Light records")) << out.report;
    EXPECT_TRUE(contains(out.report, "meshes left out: 1 under nodes")) << out.report;
    EXPECT_TRUE(
        contains(out.report, "nodes not understood: 1 (empty, and no entity name): \"Camera\""))
        << out.report;
    EXPECT_TRUE(contains(out.report, "sky: the default sky and clouds")) << out.report;

    auto loaded = loadFromItsFolder(world);
    ASSERT_TRUE(loaded) << lastWorldLoadProblem();
    EXPECT_TRUE(fakePlatform().messages.empty());
    EXPECT_EQ(loaded->playerStart, Vector3(0, 0.3, 0));

    const std::size_t droneModel = tools::droneMesh().size();
    struct Moving {
        const char* className;
        Vector3 position;
        const char* behaviour;
        std::size_t polygons;
        double halfSide;  // of the box round the polygons; 0: the drone model's
    };
    const std::vector<Moving> moving = {
        {"RobotDrone", {0, 1.8, -15}, "", droneModel, 0},
        {"RobotDrone", {-10, 2, -20}, "drone", droneModel, 0},
        {"RobotDrone", {10, 1.8, -8}, "rotateY", 6, 0.4},
        // The crystal's own cube and its child's, half the size, one above.
        {"DynamicObject", {-6, 3, -10}, "rotateX", 12, 0},
        // Doubled by its group, which also moves it.
        {"DynamicObject", {8, 3, -20}, "", 6, 1.0},
    };
    std::vector<const DynamicObject*> objects;
    const Skybox* sky = nullptr;
    const Vehicle* vehicles[2] = {};
    const Teapot* teapots[2] = {};
    for (const auto& object : loaded->objects) {
        if (auto* o = dynamic_cast<const DynamicObject*>(object.get())) objects.push_back(o);
        if (auto* s = dynamic_cast<const Skybox*>(object.get())) sky = s;
        if (auto* v = dynamic_cast<const Vehicle*>(object.get())) vehicles[vehicles[0] ? 1 : 0] = v;
        if (auto* t = dynamic_cast<const Teapot*>(object.get())) teapots[teapots[0] ? 1 : 0] = t;
    }
    ASSERT_EQ(objects.size(), moving.size());
    for (std::size_t i = 0; i < moving.size(); ++i) {
        SCOPED_TRACE(i);
        const DynamicObject& o = *objects[i];
        const Moving& want = moving[i];
        EXPECT_STREQ(o.className(), want.className);
        EXPECT_EQ(o.position(), want.position);
        EXPECT_EQ(o.behaviour(), want.behaviour);
        EXPECT_EQ(o.polygons.size(), want.polygons);
        // The polygons are in the object's own coordinates, the box round
        // them where the object stands.
        ASSERT_TRUE(o.boundingBox);
        Vector3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
        for (const Vertex& v : o.restVertices) {
            lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y),
                  std::min(lo.z, v.position.z)};
            hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y),
                  std::max(hi.z, v.position.z)};
        }
        EXPECT_DOUBLE_EQ(o.boundingBox->minX, want.position.x + lo.x);
        EXPECT_DOUBLE_EQ(o.boundingBox->maxY, want.position.y + hi.y);
        EXPECT_DOUBLE_EQ(o.boundingBox->minZ, want.position.z + lo.z);
        if (want.halfSide > 0) {
            EXPECT_EQ(lo, Vector3(-want.halfSide, -want.halfSide, -want.halfSide));
            EXPECT_EQ(hi, Vector3(want.halfSide, want.halfSide, want.halfSide));
        }
    }
    // The crystal's child stands one unit over its middle.
    double top = -1e9;
    for (const Vertex& v : objects[3]->restVertices) top = std::max(top, v.position.y);
    EXPECT_DOUBLE_EQ(top, 1.25);

    ASSERT_TRUE(vehicles[0] && vehicles[1]);
    EXPECT_EQ(vehicles[0]->placement.position(), Vector3(4, 0.55, -4));
    EXPECT_EQ(vehicles[0]->scale, Vector3(1.6, 1.2, 1.6));
    EXPECT_EQ(vehicles[0]->enterRangeSquared, 16.0);
    EXPECT_EQ(vehicles[1]->placement.position(), Vector3(-4, 0.35, -3));
    EXPECT_EQ(vehicles[1]->scale, Vector3(1, 1, 1));
    EXPECT_EQ(vehicles[1]->enterRangeSquared, 9.0);

    ASSERT_TRUE(teapots[0] && teapots[1]);
    EXPECT_EQ(teapots[0]->position, Vector3(-3, 1, -6));
    EXPECT_EQ(teapots[0]->style, Teapot::wireStyle);
    EXPECT_EQ(teapots[0]->scale, Vector3(1.5, 1.5, 1.5));
    EXPECT_EQ(teapots[0]->angle, 45.0);
    EXPECT_EQ(teapots[1]->position, Vector3(3, 1, -7));
    EXPECT_EQ(teapots[1]->style, Teapot::solidStyle);
    EXPECT_EQ(teapots[1]->angle, 0.0);

    // The Light node's own settings; the second Light node takes its point
    // light's colour and reach, as the plain Lamp does.
    ASSERT_EQ(loaded->lights.size(), 4u);
    const auto* plain = dynamic_cast<const Light*>(loaded->lights[0].get());
    const auto* lamp = dynamic_cast<const Light*>(loaded->lights[1].get());
    const auto* blue = dynamic_cast<const Light*>(loaded->lights[2].get());
    const auto* red = dynamic_cast<const Light*>(loaded->lights[3].get());
    ASSERT_TRUE(lamp && blue && plain && red);
    EXPECT_EQ(lamp->position, Vector3(0, 4, -10));
    EXPECT_EQ(Vector3(lamp->red, lamp->green, lamp->blue), Vector3(1, 0.6, 0.3));
    EXPECT_EQ(lamp->range, 12.0);
    EXPECT_EQ(lamp->coronaSize, 0.8);
    EXPECT_EQ(blue->position, Vector3(-8, 3, -15));
    EXPECT_EQ(Vector3(blue->red, blue->green, blue->blue),
              Vector3(plain->red, plain->green, plain->blue));
    EXPECT_EQ(blue->range, plain->range);
    EXPECT_EQ(blue->coronaSize, std::clamp(blue->range / 20, 0.25, 1.0));
    // The light a node below the Light node carries, its reach overridden.
    EXPECT_EQ(red->position, Vector3(-12, 3, -8));
    EXPECT_EQ(Vector3(red->red, red->green, red->blue), Vector3(1, 0.25, 0.25));
    EXPECT_EQ(red->range, 6.0);

    // The default sky: six faces and the cloud layer, every texture loaded.
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(loaded->objects.front().get(), sky);
    ASSERT_EQ(sky->polygons.size(), 7u);
    for (const Polygon& p : sky->polygons) {
        ASSERT_NE(p.texture, nullptr);
        EXPECT_TRUE(contains(p.texture->name(), "courtyard-sky-")) << p.texture->name();
    }
}

TEST(ToolImportEntities, SkyIsTheDefaultOrNoneOrTheBuildersSixPictures)
{
    TempDir dir;
    const std::string model = dir.write("m/yard.gltf", import_test::courtyard(false));
    // Six pictures, each of one colour, named the second way; the front is
    // the picture the player faces at the start.
    const char* faces[] = {"front", "back", "left", "right", "top", "bottom"};
    for (int i = 0; i < 6; ++i) {
        tools::Image picture(8, 8);
        for (int p = 0; p < 64; ++p) picture.rgba[p * 4] = static_cast<std::uint8_t>(40 * i);
        dir.write(std::string("m/sky/day_") + faces[i] + ".png", import_test::png(picture));
    }
    struct Case {
        const char* name;
        bool sky;
        std::string prefix;
        std::size_t polygons;  // of the Skybox; 0 for none
    };
    for (const Case& c : {Case{"default", true, "", 7}, Case{"none", false, "", 0},
                          Case{"own", true, dir.file("m/sky/day"), 6}}) {
        SCOPED_TRACE(c.name);
        tools::ImportOptions options;
        options.sky = c.sky;
        options.skyPrefix = c.prefix;
        const std::string world = dir.file(std::string("w/") + c.name + ".wrl");
        const Outcome out = runImport(model, world, options);
        ASSERT_EQ(out.status, 0) << out.errors;
        auto loaded = loadFromItsFolder(world);
        ASSERT_TRUE(loaded) << lastWorldLoadProblem();
        const Skybox* sky = nullptr;
        for (const auto& object : loaded->objects) {
            if (auto* s = dynamic_cast<const Skybox*>(object.get())) sky = s;
        }
        ASSERT_EQ(sky != nullptr, c.polygons > 0);
        if (!sky) {
            EXPECT_TRUE(contains(out.report, "sky: none (--no-sky)"));
            continue;
        }
        ASSERT_EQ(sky->polygons.size(), c.polygons);
        if (c.prefix.empty()) continue;
        // The first face is the front (-z): its picture's red is 0, the
        // second's 40, and so on.
        for (int i = 0; i < 6; ++i) {
            const Texture* t = sky->polygons[static_cast<std::size_t>(i)].texture;
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->pixels()[0], 40 * i) << t->name();
        }
    }
    // One picture short: refused, naming what is missing, nothing written.
    std::filesystem::remove(dir.file("m/sky/day_bottom.png"));
    tools::ImportOptions options;
    options.skyPrefix = dir.file("m/sky/day");
    const Outcome out = runImport(model, dir.file("x/out.wrl"), options);
    EXPECT_EQ(out.status, 1);
    EXPECT_TRUE(contains(out.errors, "no sky picture " + dir.file("m/sky/day_bottom")))
        << out.errors;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
}

TEST(ToolImportEntities, BadPropertiesAreRefusedWithOneMessageNamingNodeAndProperty)
{
    const std::vector<std::tuple<const char*, const char*, std::string>> cases = {
        {"Teapot", R"({"style":"glass"})",
         "node \"Teapot\": property \"style\" must be one of solid or wire, not \"glass\""},
        {"RobotDrone.003", R"({"behaviour":"fly"})",
         "node \"RobotDrone.003\": property \"behaviour\" must be one of rotateX, rotateY, "
         "rotateZ, drone or none, not \"fly\""},
        {"DynamicObject", R"({"behaviour":3})", "must be one of rotateX, rotateY, rotateZ"},
        {"DynamicObject_4", R"({"speed":3})",
         "node \"DynamicObject_4\": unknown property \"speed\"; a DynamicObject node takes "
         "behaviour"},
        {"Light", R"({"colour":[1,2,0]})",
         "property \"colour\" must be a list of three numbers from 0 to 1, not [1, 2, 0]"},
        {"Light", R"({"colour":"red"})",
         "must be a list of three numbers from 0 to 1, not \"red\""},
        {"Light", R"({"range":0})", "property \"range\" must be a number above 0, not 0"},
        {"Light", R"({"corona":-1})", "property \"corona\" must be a number from 0 up, not -1"},
        {"Light", R"({"color":[1,1,1]})",
         "unknown property \"color\"; a Light node takes colour, range and corona"},
        {"Vehicle", R"({"scale":[1,2]})",
         "property \"scale\" must be a number or a list of three numbers, each above 0, not [1, "
         "2]"},
        {"Vehicle", R"({"scale":0})", "each above 0, not 0"},
        {"Vehicle", R"({"range":"near"})", "property \"range\" must be a number from 0 up"},
        {"Teapot", R"({"angle":true})", "property \"angle\" must be a number of degrees, not true"},
        {"PlayerStart", R"({"height":2})",
         "unknown property \"height\"; a PlayerStart node takes no properties"},
    };
    for (const auto& [name, extras, expected] : cases) {
        SCOPED_TRACE(std::string(name) + " " + extras);
        import_test::Gltf g;
        const float origin[3] = {0, 0, 0};
        const int floor = g.addNode(
            "Floor", origin, "\"mesh\":" + std::to_string(g.addMesh("f", import_test::cube(-1))));
        const int node = g.addNode(name, origin, std::string("\"extras\":") + extras);
        TempDir dir;
        const std::string model = dir.write("bad.gltf", g.text({floor, node}));
        const Outcome out = runImport(model, dir.file("Worlds/out.wrl"));
        EXPECT_EQ(out.status, 1);
        EXPECT_TRUE(contains(out.errors, "bad.gltf: " + std::string("node \""))) << out.errors;
        EXPECT_TRUE(contains(out.errors, expected)) << out.errors;
        EXPECT_EQ(std::count(out.errors.begin(), out.errors.end(), '\n'), 1) << out.errors;
        EXPECT_FALSE(std::filesystem::exists(dir.file("Worlds")));
    }
}

TEST(ToolImportEntities, NodeNamesMatchWithoutCaseAndWithDuplicateSuffixesOnly)
{
    const std::vector<std::pair<const char*, std::optional<tools::EntityKind>>> cases = {
        {"RobotDrone", tools::EntityKind::RobotDrone},
        {"robotdrone.001", tools::EntityKind::RobotDrone},
        {"ROBOTDRONE_12", tools::EntityKind::RobotDrone},
        {"Teapot-3", tools::EntityKind::Teapot},
        {"playerstart", tools::EntityKind::PlayerStart},
        {"Sound.002", tools::EntityKind::Sound},
        {"Teapot.", std::nullopt},
        {"Teapot.001a", std::nullopt},
        {"Teapots", std::nullopt},
        {"My Teapot", std::nullopt},
        {"Teapot.001.002", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [name, kind] : cases) EXPECT_EQ(tools::entityKindOf(name), kind) << name;
}

}  // namespace
