#include "world/ObjectFactory.h"

#include "geometry/HeightField.h"
#include "geometry/Polygon.h"
#include "world/Object.h"
#include "world/World.h"

#include <string>
#include <vector>

namespace {

// Texture word, three normal components and a vertex count.
constexpr int fewestTokensPerPolygon = 5;

// "worldspawn": a count and that many polygon records; the static geometry.
std::unique_ptr<Object> readWorldspawn(TokenReader& in, World& world)
{
    int count = 0;
    if (!in.readCount(count, fewestTokensPerPolygon)) return nullptr;
    std::vector<Polygon> polygons;
    polygons.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TokenReader::Scope scope(in, "polygon", i);
        std::optional<Polygon> polygon = readPolygon(in, world.textures);
        // The polygons read so far go with the vector.
        if (!polygon || !in.ok()) return nullptr;
        polygons.push_back(std::move(*polygon));
    }
    return std::make_unique<Object>(std::move(polygons));
}

}  // namespace

std::unique_ptr<Object> readObject(TokenReader& in, World& world)
{
    std::string keyword;
    if (!in.readWord(keyword)) return nullptr;

    std::unique_ptr<Object> object;
    {
        TokenReader::Scope scope(in, "entity", -1, keyword.c_str());
        // Exact, case-sensitive matches only. Skybox, DynamicObject,
        // RobotDrone, Vehicle, Light and Teapot join this table as their
        // classes are written; until then they are refused like any
        // unknown word.
        if (keyword == "worldspawn") {
            object = readWorldspawn(in, world);
        } else if (keyword == "HeightField") {
            object = readHeightField(in, world.textures);
        } else {
            in.fail("an entity keyword (worldspawn or HeightField)");
            return nullptr;
        }
        // A reader that gave up without saying where still fails the file
        // here, so tools can point at it.
        if (!object && in.ok()) in.fail("a readable \"" + keyword + "\" record");
    }
    if (!in.ok()) return nullptr;
    return object;
}
