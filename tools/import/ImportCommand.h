#pragma once

#include "bsp/BspCompiler.h"
#include "import/EntityImport.h"
#include "import/PolygonMerge.h"
#include "math/Vector3.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tools {

struct ImportOptions {
    double scale = 1.0;            // model units to world units (0.01 for centimetres)
    std::optional<Vector3> start;  // overrides the PlayerStart node
    // Point lights become "Light" records (--no-lights leaves them out).
    bool lights = true;
    // The default sky unless --no-sky; --sky PREFIX takes six pictures instead.
    bool sky = true;
    std::string skyPrefix{};
    // Height grids become "HeightField" terrain, outside the BSP tree
    // (--no-heightfield keeps them as polygons).
    bool heightFields = true;
};

struct ImportRequest {
    std::string model;
    std::string world;
    ImportOptions options;
};

// `import MODEL OUT.wrl [--scale S] [--start X Y Z] [--no-lights] [--no-heightfield]
// [--no-sky | --sky PREFIX]` without the command word. None, with the reason
// in `why`, on wrong usage.
std::optional<ImportRequest> parseImportArguments(const std::vector<std::string>& arguments,
                                                  std::string& why);

struct TextureFile {
    std::string fileName;  // in the Textures folder beside the world
    std::vector<std::uint8_t> bytes;
};

struct ImportResult {
    std::string worldText;
    std::vector<TextureFile> textures;
    Vector3 playerStart;
    enum class StartFrom { Node, Option, Floor } startFrom = StartFrom::Node;
    std::size_t sourceMeshes = 0;
    std::size_t placedMeshes = 0;  // meshes as the nodes place them
    MergeCounts polygons;
    std::size_t lightsFound = 0;
    std::size_t lightsWritten = 0;
    std::size_t sounds = 0;            // Sound records made from Sound nodes
    std::size_t heightFields = 0;      // HeightField records made from height grids
    std::size_t heightFieldCells = 0;  // their cells, two triangles each
    EntitySummary entities;            // what the other entity nodes made
    std::string sky;                   // what the sky was made from; empty for none
    BspCompileStats bsp;
    std::vector<std::string> warnings;
};

// Reads the model and builds the world's text and texture files in memory.
// `worldName` prefixes the texture files ("room" gives room-floor.bmp), so
// worlds imported side by side, and the game's own textures, never clash.
// Steps that may take a while are announced on `progress`. None, with the
// file and the reason in `problem`, on bad input.
std::optional<ImportResult> importModel(const std::string& model, const std::string& worldName,
                                        const ImportOptions& options, std::ostream& progress,
                                        std::string& problem);

// The whole command: imports, writes the textures into ../Textures beside
// the world and the world itself, each through a temporary file renamed into
// place, so nothing half-written is ever left under a final name. Exit
// status 0, or 1 after one message naming the file and the reason.
int runImportCommand(const ImportRequest& request, std::ostream& report, std::ostream& errors);

}  // namespace tools
