#include "commands/CheckCommand.h"

#include "worldfile/Format.h"

#include "entities/HeightField.h"
#include "images/Image.h"
#include "textures/ImageLoader.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/InFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

namespace tools {

namespace {

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

struct TextureMention {
    std::string name;
    std::size_t line;
    std::size_t column;
};

// Every word of the file that names an image (ends in .bmp or .tga in any
// case), with where it first appears.
std::vector<TextureMention> textureMentions(const std::string& text)
{
    std::vector<TextureMention> found;
    std::set<std::string> seen;
    std::size_t line = 1, lineStart = 0, i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (c == '\n') {
                ++line;
                lineStart = i + 1;
            }
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        // Only word-sized tokens can be names the readers accept.
        if (i - start > 256) continue;
        const std::string word = text.substr(start, i - start);
        const std::string key = lowerCase(word);
        if ((endsWith(key, ".bmp") || endsWith(key, ".tga")) && seen.insert(key).second) {
            found.push_back({word, line, start - lineStart + 1});
        }
    }
    return found;
}

bool inCache(const TextureCache& cache, const std::string& name)
{
    const std::string key = lowerCase(name);
    for (std::size_t i = 0; i < cache.size(); ++i) {
        if (lowerCase(cache.at(i)->name()) == key) return true;
    }
    return false;
}

}  // namespace

int runCheckCommand(const std::string& path, std::ostream& report, std::ostream& errors)
{
    namespace fs = std::filesystem;
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        errors << path << ": cannot be opened\n";
        return 1;
    }
    const fs::path file(path);
    const std::string shown = file.filename().string();
    // From the world's own folder, as the game does after "Run World".
    InFolder folder(file.parent_path());

    auto reportMissing = [&](const TextureMention& t) {
        errors << shown << ":" << t.line << ":" << t.column << ": texture \"" << t.name
               << "\" cannot be loaded from " << fs::current_path().string() << "\n";
    };

    std::unique_ptr<World> world = loadWorld(shown, true);
    if (!world) {
        const std::string& problem = lastWorldLoadProblem();
        // A texture of the list that fails stops the loader without a place
        // in the file; find the first such name and point at it.
        if (problem.find(": texture ") != std::string::npos) {
            for (const TextureMention& t : textureMentions(*text)) {
                if (loadTexture(t.name)) continue;
                reportMissing(t);
                return 1;
            }
        }
        errors << (problem.empty() ? shown + ": cannot be loaded" : problem) << "\n";
        return 1;
    }

    int missing = 0;
    for (const TextureMention& t : textureMentions(*text)) {
        if (inCache(world->textures, t.name)) continue;
        if (loadTexture(t.name)) continue;
        reportMissing(t);
        ++missing;
    }

    // A sound that cannot be used is silent in the game: a warning, not a failure.
    for (const SoundProblem& problem : world->sounds.problems()) {
        errors << shown << ": warning: sound \"" << problem.name << "\" " << problem.reason << "\n";
    }

    std::map<std::string, int> classes;
    std::size_t polygons = 0, untextured = 0, triangles = 0;
    for (const auto& object : world->objects) {
        ++classes[object->className()];
        polygons += object->polygons.size();
        for (const Polygon& p : object->polygons) untextured += p.texture ? 0 : 1;
        if (const auto* field = dynamic_cast<const HeightField*>(object.get()))
            triangles += field->grid.triangles.size();
    }
    for (const auto& light : world->lights) ++classes[light->className()];

    const Vector3& start = world->playerStart;
    report << shown << ": loads\n";
    report << "  player start " << start.x << " " << start.y << " " << start.z;
    if (const auto ground = world->traceSegment(start, start - Vector3{0, 1000, 0})) {
        report << ", ground " << ground->distance << " below\n";
    } else {
        report << ", no ground below it\n";
    }
    report << "  textures: " << world->textures.size() << " loaded"
           << (world->cloudTexture ? ", with cloud shadows" : ", no cloud shadows") << "\n";
    report << "  objects:";
    for (const auto& [name, count] : classes) report << " " << name << " " << count;
    report << "\n  polygons: " << polygons << " (" << untextured
           << " untextured), terrain triangles: " << triangles << "\n";
    if (!world->bspTree.empty()) {
        report << "  BSP: " << world->bspTree.root()->nodeCount() << " nodes, "
               << world->bspTree.root()->polygonCount() << " polygons, depth "
               << world->bspTree.root()->depth() << "\n";
    } else {
        report << "  BSP: none\n";
    }
    if (missing > 0) {
        errors << shown << ": " << missing << (missing == 1 ? " texture" : " textures")
               << " missing\n";
        return 1;
    }
    return 0;
}

}  // namespace tools
