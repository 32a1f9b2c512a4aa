#pragma once

#include "text/TokenReader.h"

#include <memory>
#include <span>
#include <string_view>

class Object;
class World;

// How the world files an entity once it is read.
enum class EntityRole {
    staticGeometry,  // "worldspawn": drawn, traced through the BSP tree
    terrain,         // a HeightField: drawn, and traced by the world directly
    sky,             // drawn first, whatever its place in the file
    light,           // kept apart: drawn last, lights moving objects
    moving,          // a DynamicObject (or subclass): updated every frame, hit by the rocket
    scenery,         // everything else that is updated and drawn
};

// One row of the table of entity kinds: the world-file keyword (matched
// exactly, case-sensitively), the reader of the record after it, and the
// role. The table is the only place that names every kind.
struct EntityKind {
    std::string_view keyword;
    std::unique_ptr<Object> (*read)(TokenReader& in, World& world);
    EntityRole role;
};

// The table itself is filled in above the world, where every entity is
// known (game/EntityKinds.cpp).
std::span<const EntityKind> entityKinds();

// The kind a keyword names, or none.
const EntityKind* findEntityKind(std::string_view keyword);
