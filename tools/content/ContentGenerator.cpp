#include "content/ContentGenerator.h"

#include "content/Demo.h"
#include "content/SkeletonFile.h"
#include "content/Sounds.h"
#include "content/Textures.h"
#include "images/Image.h"

#include <filesystem>

namespace tools {

bool generateContent(const std::string& root, std::ostream& report, std::ostream& errors,
                     const CanyonOptions& options)
{
    namespace fs = std::filesystem;
    const fs::path base(root);
    std::error_code ec;
    for (const char* folder : {"Worlds", "Textures", "Sounds", "Bin"}) {
        fs::create_directories(base / folder, ec);
        if (ec) {
            errors << "worldtool: cannot create " << (base / folder).string() << ": "
                   << ec.message() << "\n";
            return false;
        }
    }
    auto write = [&](const fs::path& path, const auto& contents) {
        if (writeFile(path.string(), contents)) return true;
        errors << "worldtool: cannot write " << path.string() << "\n";
        return false;
    };

    const std::vector<GeneratedFile> textures = generateTextures();
    for (const GeneratedFile& file : textures) {
        if (!write(base / "Textures" / file.name, file.bytes)) return false;
    }
    report << "textures: " << textures.size() << " files in " << (base / "Textures").string()
           << "\n";

    const std::vector<GeneratedFile> sounds = generateSounds();
    for (const GeneratedFile& file : sounds) {
        if (!write(base / "Sounds" / file.name, file.bytes)) return false;
    }
    report << "sounds: " << sounds.size() << " files in " << (base / "Sounds").string() << "\n";

    const CanyonWorld canyon = generateCanyon(options);
    for (const std::string& warning : canyon.warnings)
        errors << "worldtool: canyon: " << warning << "\n";
    if (!write(base / "Worlds" / "canyon.wrl", canyon.text)) return false;
    report << "canyon.wrl: " << canyon.worldspawnPolygons << " worldspawn polygons, terrain "
           << canyon.terrainColumns << " x " << canyon.terrainRows << " vertices; BSP "
           << canyon.bsp.nodes << " nodes, " << canyon.bsp.treePolygons << " polygons, "
           << canyon.bsp.splits << " splits, depth " << canyon.bsp.depth << "\n";

    const DemoWorld demo = generateDemo();
    for (const std::string& warning : demo.warnings)
        errors << "worldtool: demo: " << warning << "\n";
    if (!write(base / "Worlds" / "demo.wrl", demo.text)) return false;
    report << "demo.wrl: " << demo.worldspawnPolygons << " worldspawn polygons; BSP "
           << demo.bsp.nodes << " nodes, " << demo.bsp.treePolygons << " polygons, depth "
           << demo.bsp.depth << "\n";

    if (!write(base / "Bin" / "test.skl", humanoidSkeletonText())) return false;
    report << "test.skl: humanoid, 16 bones, walk cycle\n";
    return true;
}

}  // namespace tools
