#include "import/ImportCommand.h"

#include "worldfile/Format.h"

#include "geometry/BspTree.h"
#include "geometry/HeightGrid.h"
#include "import/HeightGridMesh.h"
#include "import/ImportedScene.h"
#include "import/SkyImport.h"
#include "import/SoundNode.h"
#include "import/TextureImport.h"
#include "worldfile/MeshBuilder.h"
#include "worldfile/StagedFiles.h"
#include "worldfile/WorldWriter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <set>
#include <sstream>

#include <unistd.h>

namespace tools {

namespace {

namespace fs = std::filesystem;

// Locale-independent and strict: the whole argument must be a finite number.
std::optional<double> parseNumber(const std::string& text)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    const char* begin = text.data() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A material name as a file name: letters, digits, '-' and '_' only (the
// world file separates words by white space), not too long, and unique
// without regard to case, as the game's texture cache compares names.
std::string fileStem(const std::string& name, std::set<std::string>& taken)
{
    std::string stem;
    for (char c : name) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        stem += plain ? c : '_';
        if (stem.size() >= 48) break;
    }
    if (stem.empty()) stem = "material";
    std::string unique = stem;
    for (int n = 2; !taken.insert(lowerCase(unique)).second; ++n)
        unique = stem + "-" + std::to_string(n);
    return unique;
}

class Stopwatch {
public:
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The first surface facing up that a segment meets, in the tree or on the
// terrain.
std::optional<TraceHit> firstFloor(const BspTree& tree, const std::vector<HeightGrid>& terrain,
                                   const Vector3& from, const Vector3& to)
{
    std::optional<TraceHit> nearest = tree.intersectSegment(from, to);
    for (const HeightGrid& grid : terrain) {
        const std::optional<TraceHit> hit = grid.intersectSegment(from, to);
        if (hit && (!nearest || hit->distance < nearest->distance)) nearest = hit;
    }
    return nearest;
}

// The centre of the upward-facing area, on the lowest floor there, one
// unit up (the player settles onto it).
Vector3 floorCentre(const std::vector<DrawnPolygon>& polygons, const BspTree& tree,
                    const std::vector<HeightFieldRecord>& terrain)
{
    Vector3 weighted;
    double area = 0.0;
    Vector3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    auto addFace = [&](const std::vector<Vector3>& corners, const Vector3& normal) {
        for (const Vector3& p : corners) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        if (normal.y < 0.7 || corners.size() < 3) return;
        const Vector3 a = corners[0];
        for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
            const Vector3 b = corners[i];
            const Vector3 c = corners[i + 1];
            const double piece = (b - a).cross(c - a).length() / 2.0;
            weighted += (a + b + c) * (piece / 3.0);
            area += piece;
        }
    };
    std::vector<Vector3> corners;
    for (const DrawnPolygon& p : polygons) {
        corners.clear();
        for (const Vertex& v : p.vertices) corners.push_back(v.position);
        addFace(corners, p.normal);
    }
    std::vector<HeightGrid> grids;
    for (const HeightFieldRecord& field : terrain) {
        for (const CollisionPolygon& triangle : field.triangles) {
            corners.clear();
            for (const Vertex& v : triangle.vertices) corners.push_back(v.position);
            addFace(corners, triangle.plane.normal());
        }
        HeightGrid& grid = grids.emplace_back();
        grid.columns = field.columns;
        grid.rows = field.rows;
        grid.vertices = field.vertices;
        grid.triangles = field.triangles;
        grid.prepareQueries();
    }
    Vector3 centre = area > 0.0 ? weighted / area : (lo + hi) / 2.0;
    if (tree.empty() && grids.empty()) return centre + Vector3{0, 1, 0};
    // Upwards from below the scene: the first surface met that faces up.
    Vector3 from{centre.x, lo.y - 1.0, centre.z};
    const Vector3 to{centre.x, hi.y + 1.0, centre.z};
    for (int tries = 0; tries < 256; ++tries) {
        const std::optional<TraceHit> hit = firstFloor(tree, grids, from, to);
        if (!hit) break;
        if (hit->plane.b > 0.7) return hit->point + Vector3{0, 1, 0};
        from = hit->point + Vector3{0, 1e-3, 0};
    }
    return {centre.x, (area > 0.0 ? centre.y : lo.y) + 1.0, centre.z};
}

std::string seconds(double s)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(2) << s << " s";
    return out.str();
}

// The texture file of every material that a mesh uses goes into
// `result.textures`; gives the texture word of each material's polygons,
// by material, or none after a texture that cannot be used.
std::optional<std::vector<std::string>> materialTextures(const ImportedScene& scene,
                                                         const std::string& worldName,
                                                         ImportResult& result,
                                                         std::ostream& progress,
                                                         std::string& problem)
{
    std::vector<bool> used(scene.materials.size(), false);
    for (const ImportedMesh& mesh : scene.meshes) used[mesh.material] = true;
    for (const EntityNode& entity : scene.entities) {
        for (const ImportedMesh& mesh : entity.meshes) used[mesh.material] = true;
    }
    std::size_t toDecode = 0;
    for (std::size_t m = 0; m < used.size(); ++m)
        toDecode += used[m] && scene.materials[m].texture ? 1 : 0;
    if (toDecode > 0) {
        progress << "decoding " << toDecode << (toDecode == 1 ? " texture" : " textures") << " ..."
                 << std::endl;
    }

    std::set<std::string> taken;
    std::vector<std::string> textureOf(scene.materials.size());
    std::string plainTexture;
    auto add = [&](const std::string& stem, const Image& image) {
        std::string extension;
        std::vector<std::uint8_t> bytes = encodeForEngine(image, extension);
        result.textures.push_back({fileStem(stem, taken) + "." + extension, std::move(bytes)});
        return "..\\Textures\\" + result.textures.back().fileName;
    };
    for (std::size_t m = 0; m < scene.materials.size(); ++m) {
        if (!used[m]) continue;
        const ImportedMaterial& material = scene.materials[m];
        if (!material.texture) {
            // Untextured faces still need a texture the game can bind: one
            // white tile, tinted by the vertex colours.
            if (plainTexture.empty()) plainTexture = add(worldName + "-plain", Image(4, 4));
            textureOf[m] = plainTexture;
            continue;
        }
        std::optional<Image> image = decodeTexture(*material.texture, problem);
        if (!image) return std::nullopt;
        const int width = nearestPowerOfTwo(image->width),
                  height = nearestPowerOfTwo(image->height);
        if (width != image->width || height != image->height) {
            result.warnings.push_back(material.texture->description + ": texture of " +
                                      std::to_string(image->width) + " x " +
                                      std::to_string(image->height) + " pixels resized to " +
                                      std::to_string(width) + " x " + std::to_string(height) +
                                      " (sides must be powers of two)");
            *image = resized(*image, width, height);
        }
        textureOf[m] = add(worldName + "-" + material.name, *image);
    }
    return textureOf;
}

// Messages quote what a file says of itself (Assimp's and stb_image's
// reasons carry bytes of the file, a PNG chunk's name for one): control
// characters become '?', so a message stays one line and cannot steer the
// terminal.
std::string printable(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return text;
}

}  // namespace

std::optional<ImportRequest> parseImportArguments(const std::vector<std::string>& arguments,
                                                  std::string& why)
{
    ImportRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--scale") {
            const auto scale =
                i + 1 < arguments.size() ? parseNumber(arguments[i + 1]) : std::nullopt;
            if (!scale || *scale <= 0.0) {
                why = "--scale takes a positive number";
                return std::nullopt;
            }
            request.options.scale = *scale;
            i += 1;
        } else if (a == "--start") {
            Vector3 start;
            double* parts[3] = {&start.x, &start.y, &start.z};
            for (int k = 0; k < 3; ++k) {
                const auto value =
                    i + 1 + k < arguments.size() ? parseNumber(arguments[i + 1 + k]) : std::nullopt;
                if (!value) {
                    why = "--start takes three numbers X Y Z";
                    return std::nullopt;
                }
                *parts[k] = *value;
            }
            request.options.start = start;
            i += 3;
        } else if (a == "--lights") {
            request.options.lights = true;  // the default; kept for older scripts
        } else if (a == "--no-lights") {
            request.options.lights = false;
        } else if (a == "--no-sky") {
            request.options.sky = false;
        } else if (a == "--sky") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                why = "--sky takes the common start of six pictures' names";
                return std::nullopt;
            }
            request.options.skyPrefix = arguments[++i];
        } else if (a == "--no-heightfield") {
            request.options.heightFields = false;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            why = "import has no option \"" + a + "\"";
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (!request.options.sky && !request.options.skyPrefix.empty()) {
        why = "--sky and --no-sky cannot go together";
        return std::nullopt;
    }
    if (files.size() != 2) {
        why = "import takes a model file and an output world file";
        return std::nullopt;
    }
    request.model = files[0];
    request.world = files[1];
    return request;
}

std::optional<ImportResult> importModel(const std::string& model, const std::string& worldName,
                                        const ImportOptions& options, std::ostream& progress,
                                        std::string& problem)
{
    progress << "reading " << model << " ..." << std::endl;
    std::optional<ImportedScene> scene = readModel(model, options.scale, problem);
    if (!scene) return std::nullopt;
    // Checked before the slow steps: a mistyped property is refused at once.
    std::vector<SoundRecord> sounds;
    for (const SoundNode& node : scene->sounds) {
        std::optional<SoundRecord> sound = soundRecordOf(node, problem);
        if (!sound) {
            problem = model + ": " + problem;
            return std::nullopt;
        }
        sounds.push_back(std::move(*sound));
    }
    std::optional<std::vector<NodeEntity>> entities = entitiesOf(*scene, problem);
    if (!entities) {
        problem = model + ": " + problem;
        return std::nullopt;
    }

    ImportResult result;
    result.sourceMeshes = scene->sourceMeshes;
    result.placedMeshes = scene->meshes.size();

    const auto textureOf = materialTextures(*scene, worldName, result, progress, problem);
    if (!textureOf) return std::nullopt;
    std::set<std::string> taken;
    for (const TextureFile& texture : result.textures) taken.insert(lowerCase(texture.fileName));
    std::vector<GeneratedFile> extraFiles;
    std::optional<ImportedSky> sky;
    if (options.sky) {
        sky = importSky(options.skyPrefix, worldName, taken, result.warnings, problem);
        if (!sky) return std::nullopt;
        result.sky = sky->source;
        extraFiles = sky->files;
    }
    result.entities.otherNodes = scene->otherNodes;
    result.entities.placeholderMeshes = scene->placeholderMeshes;
    const std::vector<std::string> entityRecords = entityBlocks(
        *entities, *textureOf, worldName, options.lights, taken, extraFiles, result.entities);
    for (GeneratedFile& file : extraFiles)
        result.textures.push_back({std::move(file.name), std::move(file.bytes)});

    std::vector<DrawnPolygon> polygons;
    std::vector<HeightFieldRecord> terrain;
    for (ImportedMesh& mesh : scene->meshes) {
        const std::string& texture = (*textureOf)[mesh.material];
        // A terrain's grid costs the tree most and the file least as a
        // HeightField: no splits, half the bytes a triangle.
        if (options.heightFields) {
            if (std::optional<HeightFieldRecord> field = takeHeightGrid(mesh, texture)) {
                result.heightFieldCells += field->triangles.size() / 2;
                terrain.push_back(std::move(*field));
            }
        }
        mergeTriangles(mesh, texture, polygons, result.polygons);
    }
    result.heightFields = terrain.size();
    if (polygons.empty() && terrain.empty()) {
        problem = model + ": every triangle is degenerate; nothing to build a world from";
        return std::nullopt;
    }
    progress << "compiling the BSP tree from " << polygons.size() << " polygons ..." << std::endl;
    BspCompileResult compiled = compileBsp(compilerSources(polygons));
    if (!compiled.ok()) {
        problem = model + ": cannot build the BSP tree: " + compiled.error;
        return std::nullopt;
    }
    result.bsp = compiled.stats;
    const BspTree tree(std::move(compiled.root));
    if (!compiled.warnings.empty()) {
        result.warnings.push_back(
            std::to_string(compiled.warnings.size()) +
            " polygons left out of the BSP tree: " + compiled.warnings.front());
    }

    if (options.start) {
        result.playerStart = *options.start;
        result.startFrom = ImportResult::StartFrom::Option;
    } else if (scene->playerStart) {
        result.playerStart = *scene->playerStart;
        result.startFrom = ImportResult::StartFrom::Node;
    } else {
        result.playerStart = floorCentre(polygons, tree, terrain);
        result.startFrom = ImportResult::StartFrom::Floor;
    }

    WorldText world;
    world.playerStart = result.playerStart;
    world.ambientLight = {1.0, 1.0, 1.0};
    for (const TextureFile& texture : result.textures) {
        world.textures.push_back("..\\Textures\\" + texture.fileName);
    }
    if (sky) world.entityBlocks.push_back(sky->block);
    world.entityBlocks.push_back(worldspawnBlock(polygons));
    for (const HeightFieldRecord& field : terrain)
        world.entityBlocks.push_back(heightFieldBlock(field));
    result.lightsFound = scene->lights.size();
    if (options.lights) {
        for (const ImportedLight& light : scene->lights) {
            // A modest corona: a glow, not a sun.
            const double corona = std::clamp(light.range / 20.0, 0.25, 1.0);
            world.entityBlocks.push_back(
                lightBlock({light.position, light.colour, light.range, corona}));
            ++result.lightsWritten;
        }
    }
    for (const SoundRecord& sound : sounds) world.entityBlocks.push_back(soundBlock(sound));
    world.entityBlocks.insert(world.entityBlocks.end(), entityRecords.begin(), entityRecords.end());
    result.sounds = sounds.size();
    // Trees of large models run to hundreds of megabytes of text: room for
    // all of it at once (an edge plane and a corner print in about 120
    // characters) spares copying it over and over as it grows.
    result.worldText = world.withoutBsp();
    result.worldText.reserve(result.worldText.size() + 64 * result.bsp.nodes +
                             600 * result.bsp.treePolygons);
    writeBspTree(result.worldText, tree.root());
    return result;
}

int runImportCommand(const ImportRequest& request, std::ostream& report, std::ostream& errors)
{
    const Stopwatch clock;
    const fs::path worldPath(request.world);
    std::string problem;
    // Found now, not after the textures are in place.
    std::error_code statusError;
    if (fs::is_directory(worldPath, statusError)) {
        errors << "worldtool: " << printable(request.world)
               << ": cannot be written: it is a folder\n";
        return 1;
    }
    const std::string worldName =
        worldPath.stem().string().empty() ? "world" : worldPath.stem().string();
    std::optional<ImportResult> result =
        importModel(request.model, worldName, request.options, report, problem);
    if (!result) {
        errors << "worldtool: " << printable(problem) << "\n";
        return 1;
    }
    for (const std::string& warning : result->warnings)
        errors << "worldtool: warning: " << printable(warning) << "\n";

    // The game finds textures at ..\Textures from the world's folder.
    const fs::path worldFolder =
        worldPath.has_parent_path() ? worldPath.parent_path() : fs::path(".");
    const fs::path textureFolder = (worldFolder / ".." / "Textures").lexically_normal();
    for (const fs::path& folder : {worldFolder, textureFolder}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            errors << "worldtool: " << printable(folder.string())
                   << ": folder cannot be created: " << ec.message() << "\n";
            return 1;
        }
    }
    report << "writing " << request.world << " and " << result->textures.size()
           << (result->textures.size() == 1 ? " texture" : " textures") << " ..." << std::endl;
    {
        StagedFiles files;
        for (const TextureFile& texture : result->textures) {
            if (!files.stage(textureFolder / texture.fileName,
                             reinterpret_cast<const char*>(texture.bytes.data()),
                             texture.bytes.size(), problem)) {
                errors << "worldtool: " << printable(problem) << "\n";
                return 1;
            }
        }
        if (!files.stage(worldPath, result->worldText.data(), result->worldText.size(), problem) ||
            !files.commit(problem)) {
            errors << "worldtool: " << printable(problem) << "\n";
            return 1;
        }
    }

    const ImportResult& r = *result;
    const Vector3& s = r.playerStart;
    report << request.world << ": imported from " << request.model << "\n";
    report << "  meshes: " << r.sourceMeshes << " (" << r.placedMeshes << " placed by the nodes)\n";
    report << "  polygons: " << r.polygons.polygons << " kept from " << r.polygons.triangles
           << " triangles, " << r.polygons.dropped << " degenerate dropped\n";
    report << "  textures: " << r.textures.size() << " written to " << textureFolder.string()
           << "\n";
    report << "  player start: " << s.x << " " << s.y << " " << s.z;
    switch (r.startFrom) {
    case ImportResult::StartFrom::Node: report << " (the PlayerStart node)\n"; break;
    case ImportResult::StartFrom::Option: report << " (--start)\n"; break;
    case ImportResult::StartFrom::Floor:
        report << " (no PlayerStart node and no --start: the centre of the floor area)\n";
        break;
    }
    if (r.lightsFound > 0) {
        report << "  point lights: " << r.lightsFound;
        if (r.lightsWritten > 0) {
            report << ", written as Light records\n";
        } else {
            report << ", not written (--no-lights)\n";
        }
    }
    if (r.sounds > 0)
        report << "  sounds: " << r.sounds << " from Sound nodes, written as Sound records\n";
    if (r.heightFields > 0) {
        report << "  terrain: " << r.heightFields
               << (r.heightFields == 1 ? " height grid" : " height grids") << " of "
               << r.heightFieldCells << " cells, written as HeightField records\n";
    }
    reportEntities(report, r.entities, r.sky);
    report << "  BSP: " << r.bsp.nodes << " nodes, depth " << r.bsp.depth << ", " << r.bsp.splits
           << " splits, " << r.bsp.treePolygons << " polygons in the tree\n";
    report << "  time: " << seconds(clock.seconds()) << "\n";
    return 0;
}

}  // namespace tools
