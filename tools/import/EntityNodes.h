#pragma once

// The entities a model can place: a node whose name is an entity keyword
// (any case, a modelling tool's duplicate suffix .001, _1 or -1 allowed)
// becomes that entity at the node's world position, its custom properties
// (glTF extras) giving the record's fields. `worldtool export` writes the
// same names and properties, so this table is the one both sides follow.

#include "import/ImportedScene.h"
#include "worldfile/WorldWriter.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tools {

enum class EntityKind { PlayerStart, Light, DynamicObject, RobotDrone, Vehicle, Teapot, Sound };

enum class PropertyType {
    Word,      // one of the words of `allowed` (separated by '|'), any case
    Number,    // a number from `least` to `most`; above `least` when `leastExcluded`
    Scale,     // a number, or a list of three (x, y, z), each above 0
    Colour,    // a list of three numbers from 0 to 1 (r, g, b); a fourth (alpha) is ignored
    Boolean,   // true or false
    FileName,  // text without spaces, at most 240 characters
};

struct PropertyRule {
    const char* name;  // as the model's custom property is called (any case)
    PropertyType type;
    const char* allowed;  // Word: the words; otherwise what a message says is allowed
    double least = 0.0;   // Number only
    double most = 0.0;    // Number only
    bool leastExcluded = false;
    const char* defaultValue;  // as builders read it; nullptr when the property is required
};

struct EntityNodeEntry {
    EntityKind kind;
    const char* keyword;  // the node name, and the world file's record
    std::vector<PropertyRule> properties;
    // The meshes under the node become the entity's polygons, in its own
    // coordinates, and not static geometry.
    bool takesMeshes = false;
};

// Every entity kind with its properties. Property values are in world units
// (after --scale) and degrees.
//
//   PlayerStart    (no properties)
//   Light          colour [r, g, b] 0..1       default: the node's point light's, else [1, 1, 1]
//                  range  number above 0       default: the node's point light's, else 10
//                  corona number 0 or more     default: range / 20, kept within 0.25..1
//                                              (half the side of the glow; 0: none)
//   DynamicObject  behaviour rotateX|rotateY|rotateZ|drone|none    default none
//   RobotDrone     behaviour rotateX|rotateY|rotateZ|drone|none    default drone
//                  (no meshes under the node: the game's own drone model)
//   Vehicle        scale  number or [x, y, z], above 0   default 1 (of the look)
//                  range  number 0 or more (boarding)     default 3
//   Teapot         style  solid|wire                      default solid
//                  scale  number or [x, y, z], above 0    default 1
//                  angle  number (degrees about up)       default 0
//   Sound          file   sound file name (required; a bare name is looked for in ..\Sounds)
//                  radius number above 0                  default 20
//                  volume number 0..1                     default 1
//                  loop   true|false                      default true
const std::vector<EntityNodeEntry>& entityNodeTable();

// The kind a node's name stands for, or none for any other node.
std::optional<EntityKind> entityKindOf(const std::string& nodeName);
const EntityNodeEntry& entityNodeEntry(EntityKind kind);

// What one node made, as plain records the world writer takes.
struct PlayerStartEntity {
    Vector3 position;
};

// A DynamicObject or RobotDrone.
struct MovingObjectEntity {
    Vector3 position;
    std::string behaviour;             // the record's word: "NULL" for none
    std::vector<ImportedMesh> meshes;  // in the object's own coordinates
    bool droneModel = false;           // no meshes: the game's drone model stands in
};

struct VehicleEntity {
    Vector3 scale{1, 1, 1};
    Vector3 position;
    double range = 3.0;
};

struct TeapotEntity {
    Vector3 scale{1, 1, 1};
    Vector3 position;
    int style = 1;  // 0 wire-frame, 1 solid, as the record has it
    double angle = 0.0;
};

struct NodeEntity {
    EntityKind kind = EntityKind::PlayerStart;
    std::string node;  // the node's name, for the summary
    std::variant<PlayerStartEntity, LightRecord, MovingObjectEntity, VehicleEntity, TeapotEntity,
                 SoundRecord>
        record;
};

// The entity `node` stands for. None, with one line naming the node, the
// property and what it may be in `problem`, for a name that is no entity
// keyword, or a property that is unknown, of the wrong type or out of range.
std::optional<NodeEntity> entityOf(const EntityNode& node, std::string& problem);

}  // namespace tools
