#include "import/EntityImport.h"

#include "worldfile/Format.h"

#include "content/Drone.h"
#include "images/Image.h"
#include "worldfile/WorldWriter.h"

#include <algorithm>
#include <cctype>

namespace tools {

namespace {

// A node's name as the summary quotes it: one short line that cannot steer
// the terminal.
std::string printableName(std::string name)
{
    if (name.size() > 60) name = name.substr(0, 60) + "...";
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return name;
}

}  // namespace

std::string uniqueFileName(const std::string& stem, const std::string& extension,
                           std::set<std::string>& taken)
{
    std::string name = stem + "." + extension;
    for (int n = 2; !taken.insert(lowerCase(name)).second; ++n)
        name = stem + "-" + std::to_string(n) + "." + extension;
    return name;
}

std::optional<std::vector<NodeEntity>> entitiesOf(const ImportedScene& scene, std::string& problem)
{
    std::vector<NodeEntity> out;
    out.reserve(scene.entities.size());
    for (const EntityNode& node : scene.entities) {
        std::optional<NodeEntity> entity = entityOf(node, problem);
        if (!entity) return std::nullopt;
        out.push_back(std::move(*entity));
    }
    return out;
}

std::vector<std::string> entityBlocks(const std::vector<NodeEntity>& entities,
                                      const std::vector<std::string>& textureOf,
                                      const std::string& worldName, bool lights,
                                      std::set<std::string>& taken,
                                      std::vector<GeneratedFile>& files, EntitySummary& summary)
{
    std::vector<std::string> blocks;
    std::string droneTextureWord;
    if (summary.counts.empty()) {
        for (const EntityNodeEntry& entry : entityNodeTable())
            summary.counts.emplace_back(entry.keyword, 0);
    }
    auto count = [&](EntityKind kind) {
        for (auto& [keyword, n] : summary.counts)
            n += keyword == entityNodeEntry(kind).keyword ? 1 : 0;
    };
    for (const NodeEntity& entity : entities) {
        if (const auto* light = std::get_if<LightRecord>(&entity.record)) {
            if (!lights) continue;
            blocks.push_back(lightBlock(*light));
        } else if (const auto* object = std::get_if<MovingObjectEntity>(&entity.record)) {
            std::vector<DrawnPolygon> polygons;
            if (object->droneModel) {
                if (droneTextureWord.empty()) {
                    const std::string name = uniqueFileName(worldName + "-drone", "bmp", taken);
                    files.push_back({name, encodeBmp24(droneTexture(128))});
                    droneTextureWord = "..\\Textures\\" + name;
                }
                polygons = droneMesh();
                for (DrawnPolygon& p : polygons) p.texture = droneTextureWord;
                ++summary.droneModels;
            }
            for (const ImportedMesh& mesh : object->meshes) {
                mergeTriangles(mesh, textureOf[mesh.material], polygons, summary.polygons);
            }
            blocks.push_back(movingObjectBlock(entityNodeEntry(entity.kind).keyword,
                                               object->position, object->behaviour, polygons));
        } else if (const auto* vehicle = std::get_if<VehicleEntity>(&entity.record)) {
            blocks.push_back(vehicleBlock(vehicle->scale, vehicle->position, vehicle->range));
        } else if (const auto* teapot = std::get_if<TeapotEntity>(&entity.record)) {
            blocks.push_back(
                teapotBlock(teapot->scale, teapot->position, teapot->style, teapot->angle));
        } else {
            continue;  // PlayerStart and Sound nodes are placed by the import itself
        }
        count(entity.kind);
    }
    return blocks;
}

void reportEntities(std::ostream& report, const EntitySummary& summary, const std::string& sky)
{
    std::string made;
    for (const auto& [keyword, n] : summary.counts) {
        if (n == 0) continue;
        made += (made.empty() ? "" : ", ") + std::to_string(n) + " " + keyword;
        if (keyword == "RobotDrone" && summary.droneModels > 0)
            made += " (" + std::to_string(summary.droneModels) + " with the game's drone model)";
    }
    if (!made.empty()) report << "  entities from nodes: " << made << "\n";
    if (summary.polygons.triangles > 0) {
        report << "  entity polygons: " << summary.polygons.polygons << " kept from "
               << summary.polygons.triangles << " triangles\n";
    }
    if (summary.placeholderMeshes > 0) {
        report << "  meshes left out: " << summary.placeholderMeshes
               << " under nodes whose entity the game draws itself\n";
    }
    if (!summary.otherNodes.empty()) {
        report << "  nodes not understood: " << summary.otherNodes.size()
               << " (empty, and no entity name):";
        for (std::size_t i = 0; i < summary.otherNodes.size() && i < 12; ++i)
            report << (i ? ", " : " ") << '"' << printableName(summary.otherNodes[i]) << '"';
        if (summary.otherNodes.size() > 12) report << ", ...";
        report << "\n";
    }
    report << "  sky: " << (sky.empty() ? "none (--no-sky)" : sky) << "\n";
}

}  // namespace tools
