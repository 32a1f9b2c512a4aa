#pragma once

#include "bsp/BspCompiler.h"

#include <optional>
#include <ostream>
#include <string>

namespace tools {

struct WorldEntities {
    std::size_t sectionStart = 0;  // where the BSP section (if any) begins
    bool hasBspSection = false;
    std::vector<SourcePolygon> worldspawn;  // every polygon of every "worldspawn" block
    std::size_t objects = 0;
};

// Reads a world's header and entity blocks with the engine's own readers.
// None on the first problem, described as "file:line:column: expected ...".
std::optional<WorldEntities> readWorldEntities(const std::string& text, const std::string& fileName,
                                               std::string& problem);

struct BspRebuild {
    std::string text;  // the world with its new BSP section
    BspCompileResult compiled;
    bool replacedSection = false;
};

// The world text with a BSP section compiled from its "worldspawn"
// polygons; every token before the section is kept as it was.
std::optional<BspRebuild> rebuildBsp(const std::string& text, const std::string& fileName,
                                     std::string& problem);

// `worldtool bsp IN OUT`: exit status 0, or 1 after reporting the problem.
int runBspCommand(const std::string& input, const std::string& output, std::ostream& report,
                  std::ostream& errors);

}  // namespace tools
