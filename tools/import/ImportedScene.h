#pragma once

#include "geometry/Vertex.h"
#include "images/Image.h"
#include "math/Vector3.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tools {

// Where a material's colour texture comes from: a file beside the model, or
// bytes the model carries (an encoded PNG/JPEG, or pixels already decoded).
struct TextureSource {
    std::string description;  // for messages: the file, or which embedded texture
    std::string file;         // empty for an embedded texture
    std::vector<std::uint8_t> encoded;
    std::optional<Image> pixels;
};

struct ImportedMaterial {
    std::string name;
    std::optional<Vector3> colour;  // base (diffuse) colour, 0..1
    std::optional<TextureSource> texture;
};

// One mesh as one node places it: vertices in world units (node transforms
// and scale applied, colours decided), triangles counter-clockwise seen from
// the front.
struct ImportedMesh {
    std::vector<Vertex> vertices;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::size_t material = 0;
};

struct ImportedLight {
    Vector3 position;
    Vector3 colour;  // 0..1, brightest component 1 when the model's is brighter
    double range = 0.0;
};

// A node's custom property (glTF extras, FBX user properties) as the model
// gives it: whole numbers arrive as doubles, lists of numbers (and vectors)
// as a list; other lists and groups of properties as "other".
struct NodeProperty {
    struct Other {};
    using Value = std::variant<Other, bool, double, std::string, std::vector<double>>;
    std::string key;
    Value value;
};

// A node named Sound (any case, a duplicate suffix such as .001 allowed):
// where it stands in world units and its properties, not yet checked.
struct SoundNode {
    std::string name;
    Vector3 position;
    std::vector<NodeProperty> properties;
};

// A node named after an entity (EntityNodes.h): where it stands, its
// properties, and what it carries.
struct EntityNode {
    std::string name;
    Vector3 position;  // world units
    std::vector<NodeProperty> properties;
    // The meshes of the node and of the nodes below it, in the entity's own
    // coordinates: turned and scaled as placed, the node's position taken off.
    std::vector<ImportedMesh> meshes;
    std::optional<ImportedLight> light;  // a point light the node carries
};

// A model reduced to what a world needs; no library types.
struct ImportedScene {
    std::vector<ImportedMaterial> materials;
    std::vector<ImportedMesh> meshes;
    std::optional<Vector3> playerStart;  // the node named PlayerStart
    std::vector<ImportedLight> lights;
    std::vector<SoundNode> sounds;
    std::vector<EntityNode> entities;     // every entity node but Sound
    std::vector<std::string> otherNodes;  // empty nodes that name no entity
    std::size_t placeholderMeshes = 0;    // under entities the game draws itself: left out
    std::size_t sourceMeshes = 0;         // meshes of the model, before node instancing
};

// More than this is no level the game could draw or collide with at speed,
// and likely a mistake or a hostile file.
constexpr std::size_t mostTriangles = 4'000'000;
constexpr std::uintmax_t largestModelFile = std::uintmax_t(2) << 30;

// Reads a model with Assimp. None, with the reason in `problem` (naming the
// file), when it cannot be read, has no triangle meshes or is too large.
std::optional<ImportedScene> readModel(const std::string& path, double scale, std::string& problem);

}  // namespace tools
