#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class World;

namespace tools {

struct ExportedImage {
    std::string fileName;  // beside the glTF file
    std::vector<std::uint8_t> png;
};

// A world as glTF 2.0, in memory: the JSON, its buffer and its images.
struct ExportedWorld {
    std::string json;
    std::vector<std::uint8_t> buffer;
    std::vector<ExportedImage> images;
    std::size_t polygons = 0;      // drawn static polygons
    std::size_t heightFields = 0;  // terrain grids, as meshes
    std::size_t entities = 0;      // entity nodes
    std::vector<std::string> warnings;
};

// Writes the static geometry (drawn polygons by texture, terrain grids as
// meshes split the way they are drawn) and one node per entity, named by
// its keyword with the same properties `worldtool import` reads, so that
// importing the export gives the world back. `stem` names the buffer
// (STEM.bin) the JSON refers to. The sky and collision-only surfaces are
// not written: an import makes a sky of its own.
ExportedWorld exportWorld(const World& world, const std::string& stem);

// `worldtool export WORLD OUT.gltf`: loads the world with the game's own
// loader, from its folder, and writes OUT.gltf, OUT.bin and the textures
// as PNG files beside them, each through a temporary file renamed into
// place. Exit status 0, or 1 after one message naming the file and the
// reason.
int runExportCommand(const std::string& world, const std::string& gltf, std::ostream& report,
                     std::ostream& errors);

}  // namespace tools
