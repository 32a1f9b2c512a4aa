#include "export/ExportCommand.h"

#include "worldfile/Format.h"

#include "entities/AmbientSound.h"
#include "entities/DynamicObject.h"
#include "entities/HeightField.h"
#include "entities/Light.h"
#include "entities/Teapot.h"
#include "entities/Vehicle.h"
#include "export/GltfDocument.h"
#include "textures/Texture.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/InFolder.h"
#include "worldfile/StagedFiles.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <typeinfo>

namespace tools {

namespace {

namespace fs = std::filesystem;

// glTF's v runs down the image, the game's up.
void appendVertex(GltfDocument::Primitive& p, const Vertex& v)
{
    p.positions.insert(p.positions.end(),
                       {float(v.position.x), float(v.position.y), float(v.position.z)});
    p.normals.insert(p.normals.end(), {float(v.normal.x), float(v.normal.y), float(v.normal.z)});
    p.uvs.insert(p.uvs.end(), {float(v.u), float(1.0 - v.v)});
    p.colours.insert(p.colours.end(), {float(v.r), float(v.g), float(v.b)});
}

std::vector<std::uint8_t> encodePng(const Texture& texture)
{
    // The game keeps rows bottom first; PNG wants them top first.
    const auto row = static_cast<std::size_t>(texture.width()) * 4;
    std::vector<std::uint8_t> flipped(texture.pixels().size());
    for (int y = 0; y < texture.height(); ++y) {
        std::copy_n(texture.pixels().begin() + static_cast<std::ptrdiff_t>(row * std::size_t(y)),
                    row,
                    flipped.begin() +
                        static_cast<std::ptrdiff_t>(row * std::size_t(texture.height() - 1 - y)));
    }
    std::vector<std::uint8_t> png;
    auto append = [](void* out, void* data, int size) {
        auto* bytes = static_cast<std::uint8_t*>(data);
        static_cast<std::vector<std::uint8_t>*>(out)->insert(
            static_cast<std::vector<std::uint8_t>*>(out)->end(), bytes, bytes + size);
    };
    stbi_write_png_to_func(append, &png, texture.width(), texture.height(), 4, flipped.data(),
                           static_cast<int>(row));
    return png;
}

// One material per texture, its image a PNG named after the texture file
// (sand.bmp gives sand.png), so an import names it back the same.
class Materials {
public:
    Materials(GltfDocument& document, ExportedWorld& out) : document_(document), out_(out) {}

    int of(const Texture* texture)
    {
        const auto found = byTexture_.find(texture);
        if (found != byTexture_.end()) return found->second;
        std::string stem = "plain";
        std::string image;
        if (texture && texture->width() > 0 && texture->height() > 0 &&
            texture->pixels().size() >=
                std::size_t(texture->width()) * std::size_t(texture->height()) * 4) {
            const std::string& name = texture->name();
            const std::size_t slash = name.find_last_of("\\/");
            stem = fs::path(slash == std::string::npos ? name : name.substr(slash + 1))
                       .stem()
                       .string();
            if (stem.empty()) stem = "texture";
            std::string unique = stem;
            for (int n = 2; !taken_.insert(lowerCase(unique)).second; ++n)
                unique = stem + "-" + std::to_string(n);
            stem = unique;
            image = stem + ".png";
            out_.images.push_back({image, encodePng(*texture)});
        }
        const int material = document_.addMaterial(stem, image);
        byTexture_[texture] = material;
        return material;
    }

private:
    GltfDocument& document_;
    ExportedWorld& out_;
    std::map<const Texture*, int> byTexture_;
    std::set<std::string> taken_;
};

// Polygons as triangle fans, one primitive per texture.
std::vector<GltfDocument::Primitive> primitivesOf(const std::vector<Polygon>& polygons,
                                                  Materials& materials)
{
    std::map<int, GltfDocument::Primitive> byMaterial;
    for (const Polygon& polygon : polygons) {
        if (polygon.vertices.size() < 3) continue;
        GltfDocument::Primitive& p = byMaterial[materials.of(polygon.texture)];
        const auto first = static_cast<std::uint32_t>(p.positions.size() / 3);
        for (const Vertex& v : polygon.vertices) appendVertex(p, v);
        for (std::uint32_t k = 1; k + 1 < polygon.vertices.size(); ++k)
            p.indices.insert(p.indices.end(), {first, first + k, first + k + 1});
    }
    std::vector<GltfDocument::Primitive> primitives;
    for (auto& [material, p] : byMaterial) {
        p.material = material;
        primitives.push_back(std::move(p));
    }
    return primitives;
}

// A terrain grid as one mesh, each cell split as its triangle strip draws it.
GltfDocument::Primitive terrainPrimitive(const HeightGrid& grid, int material)
{
    GltfDocument::Primitive p;
    p.material = material;
    for (const Vertex& v : grid.vertices) appendVertex(p, v);
    const auto columns = static_cast<std::uint32_t>(grid.columns);
    for (std::uint32_t j = 0; j + 1 < std::uint32_t(grid.rows); ++j) {
        for (std::uint32_t i = 0; i + 1 < columns; ++i) {
            const std::uint32_t a = j * columns + i, below = a + columns;
            p.indices.insert(p.indices.end(), {a, below, a + 1, below, below + 1, a + 1});
        }
    }
    return p;
}

ExtraValue list(const Vector3& v) { return {std::vector<double>{v.x, v.y, v.z}}; }

// The behaviour word as the import reads it; none for words the game
// does not know (they do nothing).
std::string behaviourWord(const std::string& word)
{
    for (const char* known : {"rotateX", "rotateY", "rotateZ", "drone"}) {
        if (word == known) return known;
    }
    return "none";
}

// A bare name for a sound in the Sounds folder, as a builder writes it.
std::string soundFileWord(const std::string& file)
{
    const std::string prefix = "..\\sounds\\";
    if (lowerCase(file.substr(0, prefix.size())) == prefix &&
        file.find_first_of("\\/", prefix.size()) == std::string::npos)
        return file.substr(prefix.size());
    return file;
}

}  // namespace

ExportedWorld exportWorld(const World& world, const std::string& stem)
{
    ExportedWorld out;
    GltfDocument document;
    Materials materials(document, out);
    std::vector<int> roots;
    auto entity = [&](GltfDocument::Node node) {
        roots.push_back(document.addNode(std::move(node)));
        ++out.entities;
    };
    entity({"PlayerStart", world.playerStart, {}, {}, {}});

    std::vector<Polygon> drawn;
    for (const auto& object : world.objects) {
        const Object& o = *object;
        if (typeid(o) == typeid(Object)) {
            // A "worldspawn" block: the static geometry.
            drawn.insert(drawn.end(), o.polygons.begin(), o.polygons.end());
        } else if (const auto* field = dynamic_cast<const HeightField*>(&o)) {
            const int mesh = document.addMesh(
                "terrain", {terrainPrimitive(field->grid, materials.of(field->texture))});
            roots.push_back(document.addNode({"terrain", {}, mesh, {}, {}}));
            ++out.heightFields;
        } else if (const auto* moving = dynamic_cast<const DynamicObject*>(&o)) {
            // Its polygons keep the object's own coordinates until it first
            // moves.
            std::optional<int> mesh;
            if (!moving->polygons.empty())
                mesh = document.addMesh(lowerCase(o.className()),
                                        primitivesOf(moving->polygons, materials));
            const std::string word = behaviourWord(moving->behaviour());
            if (word == "none" && moving->behaviour() != "NULL") {
                out.warnings.push_back(std::string(o.className()) + " behaviour \"" +
                                       moving->behaviour() +
                                       "\" does nothing in the game; written as none");
            }
            entity({o.className(), moving->position(), mesh, {}, {{"behaviour", {word}}}});
        } else if (const auto* vehicle = dynamic_cast<const Vehicle*>(&o)) {
            entity({"Vehicle",
                    vehicle->placement.position(),
                    {},
                    {},
                    {{"scale", list(vehicle->scale)},
                     {"range", {std::sqrt(vehicle->enterRangeSquared)}}}});
        } else if (const auto* teapot = dynamic_cast<const Teapot*>(&o)) {
            if (teapot->style != Teapot::wireStyle && teapot->style != Teapot::solidStyle) {
                out.warnings.push_back("a teapot of style " + std::to_string(teapot->style) +
                                       " draws nothing; left out");
                continue;
            }
            const std::string style = teapot->style == Teapot::wireStyle ? "wire" : "solid";
            entity(
                {"Teapot",
                 teapot->position,
                 {},
                 {},
                 {{"style", {style}}, {"scale", list(teapot->scale)}, {"angle", {teapot->angle}}}});
        } else if (const auto* sound = dynamic_cast<const AmbientSound*>(&o)) {
            entity({"Sound",
                    sound->position,
                    {},
                    {},
                    {{"file", {soundFileWord(sound->file)}},
                     {"radius", {sound->radius}},
                     {"volume", {sound->volume}},
                     {"loop", {sound->loop}}}});
        }
    }
    for (const auto& object : world.lights) {
        const auto* light = dynamic_cast<const Light*>(object.get());
        if (!light) continue;
        entity({"Light",
                light->position,
                {},
                {},
                {{"colour", list({light->red, light->green, light->blue})},
                 {"range", {light->range}},
                 {"corona", {std::max(0.0, light->coronaSize)}}}});
    }
    if (!drawn.empty()) {
        const int mesh = document.addMesh("worldspawn", primitivesOf(drawn, materials));
        roots.push_back(document.addNode({"worldspawn", {}, mesh, {}, {}}));
        out.polygons = drawn.size();
    }
    out.json = document.json(stem + ".bin", roots);
    out.buffer = document.buffer();
    return out;
}

int runExportCommand(const std::string& worldFile, const std::string& gltf, std::ostream& report,
                     std::ostream& errors)
{
    std::error_code ec;
    const fs::path out = fs::absolute(gltf, ec);
    if (ec || fs::is_directory(out, ec)) {
        errors << "worldtool: " << gltf << ": cannot be written: it is a folder\n";
        return 1;
    }
    std::unique_ptr<World> world;
    {
        const fs::path file(worldFile);
        const InFolder folder(file.parent_path());
        world = loadWorld(file.filename().string(), true);
    }
    if (!world) {
        const std::string& problem = lastWorldLoadProblem();
        errors << "worldtool: " << (problem.empty() ? worldFile + ": cannot be loaded" : problem)
               << "\n";
        return 1;
    }
    const std::string stem = out.stem().string();
    const ExportedWorld exported = exportWorld(*world, stem);
    for (const std::string& warning : exported.warnings)
        errors << "worldtool: warning: " << warning << "\n";

    const fs::path folder = out.parent_path();
    fs::create_directories(folder, ec);
    StagedFiles files;
    std::string problem;
    bool staged = true;
    for (const ExportedImage& image : exported.images) {
        staged = staged && files.stage(folder / image.fileName,
                                       reinterpret_cast<const char*>(image.png.data()),
                                       image.png.size(), problem);
    }
    staged =
        staged &&
        files.stage(folder / (stem + ".bin"), reinterpret_cast<const char*>(exported.buffer.data()),
                    exported.buffer.size(), problem) &&
        files.stage(out, exported.json.data(), exported.json.size(), problem);
    if (!staged || !files.commit(problem)) {
        errors << "worldtool: " << problem << "\n";
        return 1;
    }
    report << gltf << ": exported from " << worldFile << "\n";
    report << "  static polygons: " << exported.polygons
           << ", terrain grids: " << exported.heightFields << "\n";
    report << "  entity nodes: " << exported.entities << " (PlayerStart included)\n";
    report << "  images: " << exported.images.size() << " PNG files beside it\n";
    report << "  not written: the sky (an import makes its own) and collision-only surfaces\n";
    return 0;
}

}  // namespace tools
