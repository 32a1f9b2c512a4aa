#include "world/EntityKinds.h"

#include "entities/DynamicObject.h"
#include "entities/Light.h"
#include "entities/RobotDrone.h"
#include "entities/Skybox.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "geometry/HeightField.h"
#include "geometry/Polygon.h"
#include "world/Object.h"
#include "world/World.h"

#include <array>
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

std::unique_ptr<Object> readTerrain(TokenReader& in, World& world)
{
    return readHeightField(in, world.textures);
}

const std::array kinds{
    EntityKind{"worldspawn", readWorldspawn, EntityRole::staticGeometry},
    EntityKind{"HeightField", readTerrain, EntityRole::terrain},
    EntityKind{"DynamicObject", readDynamicObject, EntityRole::moving},
    EntityKind{"RobotDrone", readRobotDrone, EntityRole::moving},
    EntityKind{"Skybox", readSkybox, EntityRole::sky},
    EntityKind{"Light", readLight, EntityRole::light},
    EntityKind{"Vehicle", readVehicle, EntityRole::scenery},
    EntityKind{"Teapot", readTeapot, EntityRole::scenery},
};

}  // namespace

std::span<const EntityKind> entityKinds() { return kinds; }

const EntityKind* findEntityKind(std::string_view keyword)
{
    for (const EntityKind& kind : kinds)
        if (kind.keyword == keyword) return &kind;
    return nullptr;
}
