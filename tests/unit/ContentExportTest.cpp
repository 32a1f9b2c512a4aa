#include "ContentTestSupport.h"
#include "ImportTestRuns.h"

#include "entities/AmbientSound.h"
#include "entities/DynamicObject.h"
#include "entities/HeightField.h"
#include "entities/Light.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "export/ExportCommand.h"
#include "import/ImportCommand.h"
#include "textures/Texture.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <typeinfo>

namespace {

namespace fs = std::filesystem;
using import_test::loadFromItsFolder;

// Positions and numbers pass through glTF's floats.
constexpr double floatTolerance = 1e-4;

// Every entity as one comparable line: its kind, where it stands, its
// fields rounded to what floats keep, and the drawn area of its polygons.
double area(const std::vector<Polygon>& polygons)
{
    double total = 0.0;
    for (const Polygon& p : polygons) {
        for (std::size_t k = 1; k + 1 < p.vertices.size(); ++k) {
            total += (p.vertices[k].position - p.vertices[0].position)
                         .cross(p.vertices[k + 1].position - p.vertices[0].position)
                         .length() /
                     2.0;
        }
    }
    return total;
}

std::string rounded(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::fabs(value) < 5e-4 ? 0.0 : value);
    return text;
}

std::string rounded(const Vector3& v)
{
    return rounded(v.x) + " " + rounded(v.y) + " " + rounded(v.z);
}

std::vector<std::string> entityLines(const World& world)
{
    std::vector<std::string> lines;
    for (const auto& object : world.objects) {
        const Object& o = *object;
        if (const auto* moving = dynamic_cast<const DynamicObject*>(&o)) {
            lines.push_back(std::string(o.className()) + " at " + rounded(moving->position()) +
                            " " + moving->behaviour() + " area " + rounded(area(o.polygons)));
        } else if (const auto* vehicle = dynamic_cast<const Vehicle*>(&o)) {
            lines.push_back("Vehicle at " + rounded(vehicle->placement.position()) + " scale " +
                            rounded(vehicle->scale) + " range squared " +
                            rounded(vehicle->enterRangeSquared));
        } else if (const auto* teapot = dynamic_cast<const Teapot*>(&o)) {
            lines.push_back("Teapot at " + rounded(teapot->position) + " scale " +
                            rounded(teapot->scale) + " style " + std::to_string(teapot->style) +
                            " angle " + rounded(teapot->angle));
        } else if (const auto* sound = dynamic_cast<const AmbientSound*>(&o)) {
            lines.push_back("Sound at " + rounded(sound->position) + " " + sound->file + " " +
                            rounded(sound->radius) + " " + rounded(sound->volume) +
                            (sound->loop ? " loop" : " once"));
        }
    }
    for (const auto& object : world.lights) {
        const auto* light = dynamic_cast<const Light*>(object.get());
        lines.push_back("Light at " + rounded(light->position) + " colour " +
                        rounded({light->red, light->green, light->blue}) + " range " +
                        rounded(light->range) + " corona " + rounded(light->coronaSize));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A texture's name without its folder, extension and the prefix an import
// gives it ("canyon2-sand.bmp" and "..\Textures\sand.bmp" are both sand).
std::string textureStem(const Texture* texture, const std::string& prefix)
{
    std::string name = texture ? texture->name() : "";
    name = name.substr(name.find_last_of("\\/") + 1);
    name = name.substr(0, name.find('.'));
    if (name.rfind(prefix, 0) == 0) name = name.substr(prefix.size());
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::map<std::string, std::vector<Polygon>> staticPolygons(const World& world,
                                                           const std::string& prefix)
{
    std::map<std::string, std::vector<Polygon>> byTexture;
    for (const auto& object : world.objects) {
        if (typeid(*object) != typeid(Object)) continue;
        for (const Polygon& p : object->polygons)
            byTexture[textureStem(p.texture, prefix)].push_back(p);
    }
    return byTexture;
}

// True when p lies on the polygon: in its plane and inside its edges.
bool onPolygon(const Polygon& polygon, const Vector3& p)
{
    const auto& v = polygon.vertices;
    const Vector3 normal = (v[1].position - v[0].position).cross(v[2].position - v[0].position);
    const Vector3 n = normal / normal.length();
    if (std::fabs((p - v[0].position).dot(n)) > floatTolerance) return false;
    for (std::size_t k = 0; k < v.size(); ++k) {
        const Vector3 edge = v[(k + 1) % v.size()].position - v[k].position;
        if (edge.cross(p - v[k].position).dot(n) < -floatTolerance * edge.length()) return false;
    }
    return true;
}

// Exports a world and imports the export; the path of the world made.
std::string roundTrip(const std::string& world, const TempDir& dir, const std::string& name)
{
    std::ostringstream report, errors;
    const std::string model = dir.file("models/" + name + ".gltf");
    EXPECT_EQ(tools::runExportCommand(world, model, report, errors), 0) << errors.str();
    const std::string again = dir.file("Worlds/" + name + ".wrl");
    EXPECT_EQ(tools::runImportCommand({model, again, {}}, report, errors), 0) << errors.str();
    return again;
}

// The centre of a polygon's corners, which lies on it.
Vector3 centreOf(const Polygon& p)
{
    Vector3 centre;
    for (const Vertex& v : p.vertices) centre += v.position;
    return centre / static_cast<double>(p.vertices.size());
}

// True when every polygon of `inner` has its centre on a polygon of
// `outer` of the same texture.
void expectEachOn(const std::vector<Polygon>& inner, const std::vector<Polygon>& outer)
{
    for (const Polygon& p : inner) {
        const Vector3 centre = centreOf(p);
        EXPECT_TRUE(std::any_of(outer.begin(), outer.end(), [&](const Polygon& o) {
            return onPolygon(o, centre);
        })) << rounded(centre);
    }
}

TEST(ContentExport, TheCanyonExportedAndImportedKeepsItsEntitiesAndItsSurfaces)
{
    const fs::path canyon = content_test::contentFolder().path() / "Worlds" / "canyon.wrl";
    const TempDir dir;
    const std::string once = roundTrip(canyon.string(), dir, "once");
    const std::unique_ptr<World> before = loadFromItsFolder(canyon.string());
    const std::unique_ptr<World> after = loadFromItsFolder(once);
    ASSERT_TRUE(before && after) << lastWorldLoadProblem();

    EXPECT_EQ(rounded(after->playerStart), rounded(before->playerStart));
    EXPECT_EQ(entityLines(*after), entityLines(*before));

    // The terrain comes back as terrain, corner for corner.
    ASSERT_EQ(after->heightFields.size(), before->heightFields.size());
    for (std::size_t t = 0; t < before->heightFields.size(); ++t) {
        const HeightGrid& a = *after->heightFields[t];
        const HeightGrid& b = *before->heightFields[t];
        ASSERT_EQ(a.columns, b.columns);
        ASSERT_EQ(a.rows, b.rows);
        for (std::size_t k = 0; k < a.vertices.size(); ++k) {
            ASSERT_LT((a.vertices[k].position - b.vertices[k].position).length(), floatTolerance);
            ASSERT_NEAR(a.vertices[k].u, b.vertices[k].u, floatTolerance);
            ASSERT_NEAR(a.vertices[k].v, b.vertices[k].v, floatTolerance);
        }
    }

    // The drawn static surfaces, texture by texture: the same area, each
    // polygon of the import on one of the original and the other way round.
    // (The import joins neighbours that lie in one plane its own way, so it
    // may cut a surface into other convex pieces than the original's.)
    const auto original = staticPolygons(*before, "");
    const auto imported = staticPolygons(*after, "once-");
    ASSERT_EQ(imported.size(), original.size());
    for (const auto& [texture, polygons] : imported) {
        SCOPED_TRACE(texture);
        ASSERT_TRUE(original.count(texture));
        const std::vector<Polygon>& source = original.at(texture);
        EXPECT_NEAR(area(polygons), area(source), 1e-6 * area(source));
        expectEachOn(polygons, source);
        expectEachOn(source, polygons);
    }
}

TEST(ContentExport, AWorldThatCannotBeLoadedOrWrittenGetsOneMessageAndNoFiles)
{
    const TempDir dir;
    const std::string broken = dir.write("Worlds/broken.wrl", "0 0 0\n1 1 1\n2\n");
    const std::string good =
        (content_test::contentFolder().path() / "Worlds" / "canyon.wrl").string();
    fs::create_directories(dir.path() / "taken.gltf");
    const struct {
        const char* name;
        std::string world, gltf;
    } cases[] = {
        {"no such world", dir.file("Worlds/none.wrl"), dir.file("out/a.gltf")},
        {"a malformed world", broken, dir.file("out/b.gltf")},
        {"the output is a folder", good, dir.file("taken.gltf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream report, errors;
        EXPECT_EQ(tools::runExportCommand(c.world, c.gltf, report, errors), 1);
        const std::string text = errors.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_FALSE(fs::exists(dir.path() / "out"));
    }
}

}  // namespace
