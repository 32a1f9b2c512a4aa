#pragma once

#include "content/Textures.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tools {

// The sky of an imported world: its texture files and its Skybox record.
struct ImportedSky {
    std::vector<GeneratedFile> files;  // for the Textures folder
    std::string block;                 // the "Skybox" record
    std::string source;                // what it was made from, for the summary
};

// With an empty `prefix`, the default sky: the generated faces and cloud
// layer the canyon has. Otherwise six pictures of the builder's own,
// PREFIX followed by px nx py ny pz nz (the faces towards +x, -x, +y, -y,
// +z, -z) or by right left top bottom front back (as the player sees them
// at the start, looking along -z: front is -z, right +x), with a .png, .jpg,
// .jpeg, .bmp or .tga ending, an '_' or '-' allowed after the prefix; such a
// sky has no cloud layer of ours. File names start with `worldName` and are
// made unique among `taken`. None, with the reason in `problem`, when the
// pictures are missing or cannot be read.
std::optional<ImportedSky> importSky(const std::string& prefix, const std::string& worldName,
                                     std::set<std::string>& taken,
                                     std::vector<std::string>& warnings, std::string& problem);

}  // namespace tools
