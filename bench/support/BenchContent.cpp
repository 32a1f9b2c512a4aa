#include "support/BenchContent.h"

#include "commands/ToolEnvironment.h"
#include "content/ContentGenerator.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>

namespace bench {
namespace {

namespace fs = std::filesystem;

struct ContentTree {
    fs::path root;

    ContentTree()
    {
        std::random_device seed;
        root = fs::temp_directory_path() / ("engine-bench-" + std::to_string(seed()));
        std::ostringstream report;
        if (!tools::generateContent(root.string(), report, std::cerr)) {
            std::cerr << "bench: cannot generate the content into " << root << "\n";
            std::exit(1);
        }
    }
    ~ContentTree()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    ContentTree(const ContentTree&) = delete;
    ContentTree& operator=(const ContentTree&) = delete;
};

const ContentTree& contentTree()
{
    static const ContentTree tree;
    return tree;
}

}  // namespace

const std::string& canyonWorldFile()
{
    static const std::string path = (contentTree().root / "Worlds" / "canyon.wrl").string();
    return path;
}

InContentBin::InContentBin()
    : previous_(fs::current_path().string()),
      environment_(std::make_unique<tools::ToolEnvironment>(std::cerr))
{
    fs::current_path(contentTree().root / "Bin");
}

InContentBin::~InContentBin()
{
    std::error_code ec;
    fs::current_path(previous_, ec);
}

std::unique_ptr<World> loadCanyon()
{
    const std::string& path = canyonWorldFile();
    std::unique_ptr<World> world;
    {
        InContentBin inBin;
        world = loadWorld(path, false);
    }
    if (!world) {
        std::cerr << "bench: cannot load " << path << ": " << lastWorldLoadProblem() << "\n";
        std::exit(1);
    }
    return world;
}

}  // namespace bench
