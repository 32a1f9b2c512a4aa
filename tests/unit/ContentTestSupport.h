#pragma once

// The generated default content for the content tests: the canyon made
// once per test program, and the whole runtime tree written to a temporary
// folder with the world loaded from Bin/ as the game loads it.

#include "support/TestEnvironment.h"

#include "content/Canyon.h"
#include "content/ContentGenerator.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace content_test {

inline const tools::CanyonWorld& canyonWorld()
{
    static const tools::CanyonWorld world = tools::generateCanyon();
    return world;
}

// The runtime tree, generated once per test program.
inline const TempDir& contentFolder()
{
    static const TempDir dir;
    static const bool made = [] {
        std::ostringstream report, errors;
        const bool ok = tools::generateContent(dir.path().string(), report, errors);
        EXPECT_EQ(errors.str(), "");
        return ok;
    }();
    EXPECT_TRUE(made);
    return dir;
}

// The default world loaded from Bin/, as the game loads it; the current
// folder is restored afterwards.
struct LoadedCanyon {
    std::filesystem::path previous = std::filesystem::current_path();
    std::unique_ptr<World> world;

    LoadedCanyon()
    {
        std::filesystem::current_path(contentFolder().path() / "Bin");
        world = loadWorld(defaultWorldPath, true);
    }
    ~LoadedCanyon()
    {
        std::error_code ec;
        std::filesystem::current_path(previous, ec);
    }
    LoadedCanyon(const LoadedCanyon&) = delete;
    LoadedCanyon& operator=(const LoadedCanyon&) = delete;
};

}  // namespace content_test
