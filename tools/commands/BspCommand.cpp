#include "commands/BspCommand.h"

#include "images/Image.h"
#include "platform/Paths.h"
#include "text/TokenReader.h"
#include "world/Object.h"
#include "world/ObjectFactory.h"
#include "world/World.h"
#include "worldfile/WorldWriter.h"

#include <cctype>

namespace tools {

namespace {

// The word that starts at `position`, without consuming it.
std::string peekWord(const std::string& text, std::size_t position)
{
    std::size_t start = position;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    std::size_t end = start;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) &&
           end - start < 64)
        ++end;
    return text.substr(start, end - start);
}

std::optional<WorldEntities> refuse(const TokenReader& in, const std::string& fileName,
                                    std::string& problem)
{
    problem = in.describeFailure(fileName);
    if (problem.empty()) problem = fileName + ": not a world file";
    return std::nullopt;
}

// A world needs at least a keyword and one token per entity.
constexpr int fewestTokensPerEntity = 2;

}  // namespace

std::optional<WorldEntities> readWorldEntities(const std::string& text, const std::string& fileName,
                                               std::string& problem)
{
    TokenReader in(text);
    {
        TokenReader::Scope scope(in, "world header");
        double ignored = 0.0;
        for (int i = 0; i < 6; ++i) {
            if (!in.readDouble(ignored)) return refuse(in, fileName, problem);
        }
    }
    int textures = 0;
    {
        TokenReader::Scope scope(in, "texture count");
        if (!in.readCount(textures, 1)) return refuse(in, fileName, problem);
    }
    for (int i = 0; i < textures; ++i) {
        TokenReader::Scope scope(in, "texture", i);
        std::string name;
        if (!in.readWord(name)) return refuse(in, fileName, problem);
    }
    int count = 0;
    {
        TokenReader::Scope scope(in, "object count");
        if (!in.readCount(count, fewestTokensPerEntity)) return refuse(in, fileName, problem);
    }

    WorldEntities entities;
    World scratch;
    for (int i = 0; i < count; ++i) {
        TokenReader::Scope scope(in, "object", i);
        const bool isWorldspawn = peekWord(text, in.position()) == "worldspawn";
        std::unique_ptr<Object> object = readObject(in, scratch);
        if (!object) {
            if (in.ok()) in.fail("a readable entity");
            return refuse(in, fileName, problem);
        }
        if (!isWorldspawn) continue;
        for (const Polygon& p : object->polygons) {
            SourcePolygon source;
            source.faceNormal = p.normal;
            source.corners.reserve(p.vertices.size());
            for (const Vertex& v : p.vertices) source.corners.push_back(v.position);
            entities.worldspawn.push_back(std::move(source));
        }
    }
    entities.objects = static_cast<std::size_t>(count);
    entities.sectionStart = in.position();
    entities.hasBspSection = !in.atEnd();
    return entities;
}

std::optional<BspRebuild> rebuildBsp(const std::string& text, const std::string& fileName,
                                     std::string& problem)
{
    std::optional<WorldEntities> entities = readWorldEntities(text, fileName, problem);
    if (!entities) return std::nullopt;
    BspRebuild rebuilt;
    rebuilt.compiled = compileBsp(entities->worldspawn);
    if (!rebuilt.compiled.ok()) {
        problem = fileName + ": cannot build the BSP tree: " + rebuilt.compiled.error;
        return std::nullopt;
    }
    rebuilt.replacedSection = entities->hasBspSection;
    rebuilt.text = text.substr(0, entities->sectionStart);
    rebuilt.text += '\n';
    rebuilt.text += bspSection(rebuilt.compiled.root.get());
    return rebuilt;
}

int runBspCommand(const std::string& input, const std::string& output, std::ostream& report,
                  std::ostream& errors)
{
    std::optional<std::string> text = readTextFile(input);
    if (!text) {
        errors << input << ": cannot be opened\n";
        return 1;
    }
    std::string problem;
    std::optional<BspRebuild> rebuilt = rebuildBsp(*text, input, problem);
    if (!rebuilt) {
        errors << problem << "\n";
        return 1;
    }
    constexpr std::size_t shownWarnings = 20;
    const auto& warnings = rebuilt->compiled.warnings;
    for (std::size_t i = 0; i < warnings.size() && i < shownWarnings; ++i) {
        errors << input << ": warning: " << warnings[i] << "\n";
    }
    if (warnings.size() > shownWarnings) {
        errors << input << ": warning: " << warnings.size() - shownWarnings
               << " more polygons dropped\n";
    }
    if (!writeFile(output, rebuilt->text)) {
        errors << output << ": cannot be written\n";
        return 1;
    }
    const BspCompileStats& s = rebuilt->compiled.stats;
    report << output << ": " << s.inputPolygons << " polygons (" << s.droppedPolygons
           << " dropped), " << s.nodes << " nodes, " << s.treePolygons << " polygons in the tree, "
           << s.splits << " splits, depth " << s.depth
           << (rebuilt->replacedSection ? " (old BSP section replaced)" : "") << "\n";
    return 0;
}

}  // namespace tools
