#pragma once

#include "content/Textures.h"
#include "import/EntityNodes.h"
#include "import/ImportedScene.h"
#include "import/PolygonMerge.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tools {

// What the model's nodes made, for the summary.
struct EntitySummary {
    std::vector<std::pair<std::string, std::size_t>> counts;  // by keyword, in table order
    std::vector<std::string> otherNodes;                      // empty nodes that name no entity
    std::size_t placeholderMeshes = 0;                        // under Light, Vehicle, ... nodes
    std::size_t droneModels = 0;                              // drones given the game's model
    MergeCounts polygons;                                     // of the moving entities
};

// Every entity node of the scene checked against the table, in node order.
// None, with one line naming the node and the property in `problem`.
std::optional<std::vector<NodeEntity>> entitiesOf(const ImportedScene& scene, std::string& problem);

// The world file blocks of the entities. `textureOf` gives each material's
// texture word. Lights are left out unless `lights`. A drone without
// meshes gets the game's drone model, whose texture is added to `files`
// once (named after the world, unique among `taken`, lower case).
std::vector<std::string> entityBlocks(const std::vector<NodeEntity>& entities,
                                      const std::vector<std::string>& textureOf,
                                      const std::string& worldName, bool lights,
                                      std::set<std::string>& taken,
                                      std::vector<GeneratedFile>& files, EntitySummary& summary);

// The summary's lines for the entities and the sky (`sky` empty: none).
void reportEntities(std::ostream& report, const EntitySummary& summary, const std::string& sky);

// A file name `stem`.`extension`, or with -2, -3, ... added, not yet in
// `taken` (compared without regard to case, as the game's texture cache
// does); it is added there.
std::string uniqueFileName(const std::string& stem, const std::string& extension,
                           std::set<std::string>& taken);

}  // namespace tools
