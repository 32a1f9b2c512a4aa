#pragma once

// Running `worldtool import` as a test does, and loading what it wrote as
// the game does.

#include "import/ImportCommand.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

namespace import_test {

struct Outcome {
    int status;
    std::string report;
    std::string errors;
};

inline Outcome runImport(const std::string& model, const std::string& world,
                         tools::ImportOptions options = {})
{
    std::ostringstream report, errors;
    const int status = tools::runImportCommand({model, world, options}, report, errors);
    return {status, report.str(), errors.str()};
}

// The world as the game loads it after "Run World": from its own folder.
inline std::unique_ptr<World> loadFromItsFolder(const std::string& path)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(path).parent_path());
    std::unique_ptr<World> world = loadWorld(std::filesystem::path(path).filename().string(), true);
    std::filesystem::current_path(previous);
    return world;
}

}  // namespace import_test
