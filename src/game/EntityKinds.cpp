#include "world/EntityKinds.h"

#include "entities/AmbientSound.h"
#include "entities/DynamicObject.h"
#include "entities/HeightField.h"
#include "entities/Light.h"
#include "entities/RobotDrone.h"
#include "entities/Skybox.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "geometry/Polygon.h"
#include "world/Object.h"
#include "world/World.h"

#include <array>
#include <vector>

// The table of entity kinds, the one place that names every kind. The world
// declares its shape and reads it; it sits here, above both the world and
// the entities, so that neither has to know the other.
namespace {

// "worldspawn": a count and that many polygon records; the static geometry.
std::unique_ptr<Object> readWorldspawn(TokenReader& in, World& world)
{
    std::optional<std::vector<Polygon>> polygons = readPolygonList(in, world.textures);
    if (!polygons) return nullptr;
    return std::make_unique<Object>(std::move(*polygons));
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
    EntityKind{"Sound", readAmbientSound, EntityRole::scenery},
};

}  // namespace

std::span<const EntityKind> entityKinds() { return kinds; }

const EntityKind* findEntityKind(std::string_view keyword)
{
    for (const EntityKind& kind : kinds)
        if (kind.keyword == keyword) return &kind;
    return nullptr;
}
