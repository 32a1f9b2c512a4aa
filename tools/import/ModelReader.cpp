// The one file that speaks Assimp: a model becomes an ImportedScene.

#include "import/EntityNodes.h"
#include "import/ImportedScene.h"
#include "import/SoundNode.h"

#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/metadata.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tools {

namespace {

// A placement in double precision: rows of a matrix that maps column vectors.
struct Placement {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Vector3 point(const Vector3& p) const
    {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    double determinant() const
    {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
    // Normals go through the cofactors (the inverse transpose up to a
    // factor), turned round when the placement mirrors.
    Vector3 normal(const Vector3& n) const
    {
        const auto& a = m;
        const double c[3][3] = {
            {a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2],
             a[1][0] * a[2][1] - a[1][1] * a[2][0]},
            {a[0][2] * a[2][1] - a[0][1] * a[2][2], a[0][0] * a[2][2] - a[0][2] * a[2][0],
             a[0][1] * a[2][0] - a[0][0] * a[2][1]},
            {a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2],
             a[0][0] * a[1][1] - a[0][1] * a[1][0]}};
        Vector3 out{c[0][0] * n.x + c[0][1] * n.y + c[0][2] * n.z,
                    c[1][0] * n.x + c[1][1] * n.y + c[1][2] * n.z,
                    c[2][0] * n.x + c[2][1] * n.y + c[2][2] * n.z};
        if (determinant() < 0.0) out = out.negated();
        const double length = out.length();
        return length > 0.0 && std::isfinite(length) ? out / length : Vector3{};
    }
};

Placement operator*(const Placement& a, const Placement& b)
{
    Placement out;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = c == 3 ? a.m[r][3] : 0.0;
            for (int k = 0; k < 3; ++k) sum += a.m[r][k] * b.m[k][c];
            out.m[r][c] = sum;
        }
    }
    return out;
}

// Assimp's matrices are row-major and map column vectors, like ours. The
// bottom row of a node transform is (0, 0, 0, 1) in every format we read.
Placement placementOf(const aiMatrix4x4& t)
{
    Placement p;
    const float* rows[3] = {&t.a1, &t.b1, &t.c1};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) p.m[r][c] = rows[r][c];
    }
    return p;
}

Vector3 vector(const aiVector3D& v) { return {v.x, v.y, v.z}; }

// The model's numbers are floats: written in the shortest form that reads
// back as the same float, the world stays as exact as the model and brief.
double tidy(double v)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, static_cast<float>(v));
    double out = 0.0;
    std::from_chars(text, written.ptr, out);
    return out + 0.0;
}

double unit(double v) { return tidy(std::clamp(std::isfinite(v) ? v : 1.0, 0.0, 1.0)); }

// One number of a metadata entry, if it is one.
std::optional<double> numberOf(const aiMetadataEntry& entry)
{
    const void* data = entry.mData;
    if (!data) return std::nullopt;
    switch (entry.mType) {
    case AI_INT32: return double(*static_cast<const std::int32_t*>(data));
    case AI_UINT64: return double(*static_cast<const std::uint64_t*>(data));
    case AI_FLOAT: return double(*static_cast<const float*>(data));
    case AI_DOUBLE: return *static_cast<const double*>(data);
    default: return std::nullopt;
    }
}

// A metadata value as a property. Whole numbers come as integers, other
// numbers as doubles (or floats, depending on the format); a list of
// numbers (a colour, a scale) as a group whose entries are numbers.
NodeProperty::Value valueOf(const aiMetadataEntry& entry)
{
    const void* data = entry.mData;
    if (!data) return NodeProperty::Other{};
    if (const std::optional<double> n = numberOf(entry)) return *n;
    switch (entry.mType) {
    case AI_BOOL: return *static_cast<const bool*>(data);
    case AI_AISTRING: return std::string(static_cast<const aiString*>(data)->C_Str());
    case AI_AIVECTOR3D: {
        const auto& v = *static_cast<const aiVector3D*>(data);
        return std::vector<double>{v.x, v.y, v.z};
    }
    case AI_AIMETADATA: {
        const auto& group = *static_cast<const aiMetadata*>(data);
        std::vector<double> list;
        for (unsigned i = 0; i < group.mNumProperties && group.mValues && i < 16; ++i) {
            const std::optional<double> n = numberOf(group.mValues[i]);
            if (!n) return NodeProperty::Other{};
            list.push_back(*n);
        }
        if (group.mNumProperties > 16) return NodeProperty::Other{};
        return list;
    }
    default: return NodeProperty::Other{};
    }
}

// The node's custom properties.
std::vector<NodeProperty> propertiesOf(const aiNode& node)
{
    std::vector<NodeProperty> out;
    const aiMetadata* m = node.mMetaData;
    if (!m || !m->mKeys || !m->mValues) return out;
    for (unsigned i = 0; i < m->mNumProperties; ++i)
        out.push_back({m->mKeys[i].C_Str(), valueOf(m->mValues[i])});
    return out;
}

struct SoundPlacement {
    const aiNode* node;
    Placement placement;
};

struct Instance {
    const aiMesh* mesh;
    Placement placement;
    // The entity (index into NodeWalk::entities) whose polygons the mesh
    // becomes, or none for static geometry.
    std::optional<std::size_t> owner;
};

struct EntityPlacement {
    const aiNode* node;
    Placement placement;
};

struct NodeWalk {
    const aiScene& scene;
    std::set<std::string> lightNames;  // nodes that carry a light of the model
    std::vector<Instance> instances;
    std::optional<Placement> playerStart;
    std::vector<SoundPlacement> sounds;
    std::vector<EntityPlacement> entities;
    std::vector<std::string> otherNodes;
    std::map<std::string, std::size_t> lightCarriers;  // light name -> its Light entity
    std::size_t placeholderMeshes = 0;                 // under entity nodes that draw themselves
    std::string problem;

    // `owner`: the moving entity the meshes here belong to; `placeholder`:
    // below an entity whose look is the game's own.
    void visit(const aiNode& node, const Placement& parent, int depth,
               std::optional<std::size_t> owner = std::nullopt, bool placeholder = false,
               std::optional<std::size_t> lightEntity = std::nullopt)
    {
        // Deeper than any modelling tool nests; a loop in a hostile file would never end.
        if (depth > 512) {
            problem = "its node hierarchy is nested too deeply";
            return;
        }
        const Placement here = parent * placementOf(node.mTransformation);
        const std::string name = node.mName.C_Str();
        const std::optional<EntityKind> kind = entityKindOf(name);
        if (!playerStart && kind == EntityKind::PlayerStart) playerStart = here;
        if (kind == EntityKind::Sound && isSoundNodeName(name)) sounds.push_back({&node, here});
        if (kind) {
            if (kind != EntityKind::Sound) entities.push_back({&node, here});
            placeholder = !entityNodeEntry(*kind).takesMeshes;
            owner = placeholder ? std::nullopt : std::optional(entities.size() - 1);
            lightEntity.reset();
            if (kind == EntityKind::Light) lightEntity = entities.size() - 1;
        } else if (depth > 0 && node.mNumMeshes == 0 && node.mNumChildren == 0 &&
                   !lightNames.count(name)) {
            otherNodes.push_back(name);
        }
        // The light on the Light node, or on a node below it (Blender adds
        // one to turn the light).
        if (lightEntity && lightNames.count(name)) lightCarriers.emplace(name, *lightEntity);
        for (unsigned i = 0; i < node.mNumMeshes; ++i) {
            if (node.mMeshes[i] >= scene.mNumMeshes) {
                problem = "a node names a mesh that does not exist";
                return;
            }
            if (placeholder) {
                ++placeholderMeshes;
                continue;
            }
            instances.push_back({scene.mMeshes[node.mMeshes[i]], here, owner});
        }
        for (unsigned i = 0; i < node.mNumChildren && problem.empty(); ++i) {
            if (node.mChildren[i])
                visit(*node.mChildren[i], here, depth + 1, owner, placeholder, lightEntity);
        }
    }
};

const aiNode* findNode(const aiScene& scene, const aiString& name, Placement& placement)
{
    struct Search {
        const aiString& name;
        Placement found;
        const aiNode* node = nullptr;
        void visit(const aiNode& n, const Placement& parent, int depth)
        {
            if (node || depth > 512) return;
            const Placement here = parent * placementOf(n.mTransformation);
            if (n.mName == name) {
                node = &n;
                found = here;
                return;
            }
            for (unsigned i = 0; i < n.mNumChildren; ++i) {
                if (n.mChildren[i]) visit(*n.mChildren[i], here, depth + 1);
            }
        }
    } search{name, {}, nullptr};
    if (scene.mRootNode) search.visit(*scene.mRootNode, Placement{}, 0);
    placement = search.found;
    return search.node;
}

std::optional<TextureSource> textureOf(const aiScene& scene, const aiMaterial& material,
                                       const std::filesystem::path& modelFolder,
                                       const std::string& model, std::string& problem)
{
    aiString path;
    if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &path) != AI_SUCCESS &&
        material.GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) {
        return std::nullopt;
    }
    TextureSource source;
    const std::string named = path.C_Str();
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.C_Str())) {
        source.description = model + " (embedded texture " + named + ")";
        if (embedded->mHeight == 0) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(embedded->pcData);
            source.encoded.assign(bytes, bytes + embedded->mWidth);
            return source;
        }
        const unsigned w = embedded->mWidth, h = embedded->mHeight;
        if (w > 16384 || h > 16384) {
            problem = source.description + ": " + std::to_string(w) + " x " + std::to_string(h) +
                      " pixels is larger than 16384";
            return std::nullopt;
        }
        // Texels come top row first; ours are bottom row first.
        Image image(static_cast<int>(w), static_cast<int>(h));
        for (unsigned y = 0; y < h; ++y) {
            for (unsigned x = 0; x < w; ++x) {
                const aiTexel& t = embedded->pcData[static_cast<std::size_t>(y) * w + x];
                std::uint8_t* p = image.at(static_cast<int>(x), static_cast<int>(h - 1 - y));
                p[0] = t.r;
                p[1] = t.g;
                p[2] = t.b;
                p[3] = t.a;
            }
        }
        source.pixels = std::move(image);
        return source;
    }
    // Paths written on Windows use the backslash.
    std::string file = named;
    std::replace(file.begin(), file.end(), '\\', '/');
    std::filesystem::path resolved(file);
    if (resolved.is_relative()) resolved = modelFolder / resolved;
    source.description = resolved.string();
    source.file = resolved.string();
    return source;
}

ImportedMaterial materialOf(const aiScene& scene, const aiMaterial& material, std::size_t index,
                            const std::filesystem::path& modelFolder, const std::string& model,
                            std::string& problem)
{
    ImportedMaterial out;
    aiString name;
    if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) out.name = name.C_Str();
    if (out.name.empty()) out.name = "material" + std::to_string(index);
    aiColor4D colour;
    if (material.Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS ||
        material.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS) {
        out.colour = Vector3{unit(colour.r), unit(colour.g), unit(colour.b)};
    }
    out.texture = textureOf(scene, material, modelFolder, model, problem);
    return out;
}

// The mesh as the node places it. False, with a reason, for indices that
// point outside the mesh.
// `origin`: where the entity that carries the mesh stands (before
// scaling), taken off so that the mesh is in the entity's own coordinates.
bool convertMesh(const Instance& instance, double scale, const Vector3& origin,
                 const std::vector<ImportedMaterial>& materials, ImportedMesh& out,
                 std::string& problem)
{
    const aiMesh& mesh = *instance.mesh;
    out.material = std::min<std::size_t>(mesh.mMaterialIndex, materials.size() - 1);
    const Vector3 colour = materials[out.material].colour.value_or(Vector3{1, 1, 1});
    const Placement& place = instance.placement;
    out.vertices.resize(mesh.mNumVertices);
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        Vertex& v = out.vertices[i];
        const Vector3 p = (place.point(vector(mesh.mVertices[i])) - origin) * scale;
        v.position.x = tidy(p.x);
        v.position.y = tidy(p.y);
        v.position.z = tidy(p.z);
        if (mesh.mNormals) {
            const Vector3 n = place.normal(vector(mesh.mNormals[i]));
            v.normal.x = tidy(n.x);
            v.normal.y = tidy(n.y);
            v.normal.z = tidy(n.z);
        }
        if (mesh.mTextureCoords[0]) {
            v.u = tidy(mesh.mTextureCoords[0][i].x);
            v.v = tidy(mesh.mTextureCoords[0][i].y);
        }
        if (mesh.mColors[0]) {
            const aiColor4D& c = mesh.mColors[0][i];
            v.r = unit(c.r);
            v.g = unit(c.g);
            v.b = unit(c.b);
        } else {
            v.r = colour.x;
            v.g = colour.y;
            v.b = colour.z;
        }
    }
    // A mirroring placement turns the winding round; turn it back.
    const bool mirrored = place.determinant() < 0.0;
    out.triangles.reserve(mesh.mNumFaces);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;  // points and lines have no surface
        std::array<std::uint32_t, 3> t{face.mIndices[0], face.mIndices[1], face.mIndices[2]};
        for (std::uint32_t index : t) {
            if (index >= mesh.mNumVertices) {
                problem = "a face of mesh \"" + std::string(mesh.mName.C_Str()) +
                          "\" names a vertex it does not have";
                return false;
            }
        }
        if (mirrored) std::swap(t[1], t[2]);
        out.triangles.push_back(t);
    }
    return true;
}

// How far a light reaches: where its brightness over the attenuation
// 1 / (constant + linear d + quadratic d^2) falls to 1/32. Without any
// falloff, a room-sized reach.
double rangeOf(const aiLight& light, double brightness)
{
    const double c = light.mAttenuationConstant, l = light.mAttenuationLinear,
                 q = light.mAttenuationQuadratic;
    const double target = 32.0 * std::max(brightness, 1e-6);
    double range = 10.0;
    if (q > 0.0) {
        range = (-l + std::sqrt(std::max(0.0, l * l - 4.0 * q * (c - target)))) / (2.0 * q);
    } else if (l > 0.0) {
        range = (target - c) / l;
    }
    return std::isfinite(range) ? std::clamp(range, 1.0, 1000.0) : 10.0;
}

// Assimp believes the counts a file declares and allocates for them before
// it reads the data: a few hundred hostile bytes can ask for all the memory
// of the machine. While it reads, the address space is capped at what a
// model of the file's size could honestly need, so such a file fails inside
// Assimp with std::bad_alloc, which Assimp reports as a read error. The
// sanitizers reserve vast address ranges of their own, so their builds go
// without the cap.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(std::uintmax_t budget)
    {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        if (getrlimit(RLIMIT_AS, &previous_) != 0) return;
        std::ifstream statm("/proc/self/statm");
        unsigned long long pages = 0;
        if (!(statm >> pages)) return;
        const rlim_t cap = static_cast<rlim_t>(
            pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + budget);
        if (previous_.rlim_cur != RLIM_INFINITY && previous_.rlim_cur <= cap) return;
        rlimit capped = previous_;
        capped.rlim_cur = cap;
        active_ = setrlimit(RLIMIT_AS, &capped) == 0;
#else
        (void)budget;
#endif
    }
    ~AddressSpaceCap()
    {
        if (active_) setrlimit(RLIMIT_AS, &previous_);
    }
    AddressSpaceCap(const AddressSpaceCap&) = delete;
    AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;

private:
    rlimit previous_{};
    bool active_ = false;
};

// What reading a model of this size may take: Assimp's own structures run
// to a few dozen times the file's bytes for the densest formats.
std::uintmax_t readingBudget(std::uintmax_t fileBytes)
{
    constexpr std::uintmax_t gib = std::uintmax_t(1) << 30;
    return std::min<std::uintmax_t>(gib + 32 * fileBytes, 16 * gib);
}

const aiScene* readScene(Assimp::Importer& importer, const std::string& path, std::uintmax_t budget)
{
    // Points and lines have no surface to walk on or draw.
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    // Collada nodes go by their names, as the modelling tool shows them, not by their ids.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    AddressSpaceCap cap(budget);
    return importer.ReadFile(path, aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                                       aiProcess_JoinIdenticalVertices | aiProcess_SortByPType);
}

// Processor time a read may take: far more than any honest model of the
// size needs (Assimp reads tens of megabytes a second).
rlim_t readingSeconds(std::uintmax_t fileBytes) { return 2 + static_cast<rlim_t>(fileBytes >> 20); }

// Some of Assimp's readers crash or never finish on damaged files (a binary
// PLY whose header is cut inside a property line reads far past its buffer;
// an ASCII PLY without "end_header" loops for ever). A trial read in a child
// process with a processor-time limit comes first, so such a file is refused
// with a message instead of taking the tool down or hanging it; the model is
// then read here, where the scene can be used. False, with the signal (0 for
// a sanitizer's report), when the child died.
bool survivesReading(const std::string& path, std::uintmax_t budget, rlim_t seconds,
                     int& crashSignal)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return true;  // no child to spare: read as before
    if (child == 0) {
        // Die of the signal itself, so the parent sees what happened.
        for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGXCPU}) std::signal(s, SIG_DFL);
        const rlimit time{seconds, seconds + 1};
        setrlimit(RLIMIT_CPU, &time);
        int status = 3;
        try {
            Assimp::Importer importer;
            status = readScene(importer, path, budget) ? 0 : 3;
        } catch (...) {}
        std::_Exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return true;
    }
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3)) return true;
    crashSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return false;
}

}  // namespace

std::optional<ImportedScene> readModel(const std::string& path, double scale, std::string& problem)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file(path);
    const auto status = fs::status(file, ec);
    if (ec || !fs::exists(status)) {
        problem = path + ": cannot be opened: no such file";
        return std::nullopt;
    }
    if (!fs::is_regular_file(status)) {
        problem = path + ": cannot be read: not a regular file";
        return std::nullopt;
    }
    const std::uintmax_t bytes = fs::file_size(file, ec);
    if (!ec && bytes > largestModelFile) {
        problem = path + ": " + std::to_string(bytes >> 20) +
                  " MiB is too large to import (at most " + std::to_string(largestModelFile >> 20) +
                  " MiB)";
        return std::nullopt;
    }

    const std::uintmax_t budget = readingBudget(ec ? 0 : bytes);
    int crashSignal = 0;
    const rlim_t seconds = readingSeconds(ec ? 0 : bytes);
    if (!survivesReading(path, budget, seconds, crashSignal)) {
        if (crashSignal == SIGXCPU || crashSignal == SIGKILL) {
            problem = path + ": cannot be read: Assimp did not finish reading it in " +
                      std::to_string(seconds) +
                      " s of processor time; the file is damaged or hostile";
        } else {
            problem = path + ": cannot be read: Assimp crashed reading it (" +
                      (crashSignal ? "killed by signal " + std::to_string(crashSignal)
                                   : std::string("stopped on an error")) +
                      "); the file is damaged or hostile";
        }
        return std::nullopt;
    }
    Assimp::Importer importer;
    const aiScene* scene = readScene(importer, path, budget);
    if (!scene) {
        std::string reason = importer.GetErrorString();
        if (reason.empty()) reason = "not a model Assimp can read";
        if (reason.find("bad_alloc") != std::string::npos) {
            reason = "it asks for more memory than a model of its size can need (more than " +
                     std::to_string(budget >> 20) + " MiB); its counts are wrong or hostile";
        }
        problem = path + ": cannot be read: " + reason;
        return std::nullopt;
    }
    if (scene->mNumMeshes == 0 || !scene->mRootNode || !scene->mMeshes) {
        problem = path + ": contains no meshes";
        return std::nullopt;
    }

    NodeWalk walk{*scene, {}, {}, {}, {}, {}, {}, {}, 0, {}};
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        if (scene->mLights && scene->mLights[i])
            walk.lightNames.insert(scene->mLights[i]->mName.C_Str());
    }
    walk.visit(*scene->mRootNode, Placement{}, 0);
    if (!walk.problem.empty()) {
        problem = path + ": " + walk.problem;
        return std::nullopt;
    }
    std::size_t triangles = 0;
    for (const Instance& instance : walk.instances) triangles += instance.mesh->mNumFaces;
    if (triangles == 0) {
        problem = path + ": contains no meshes with triangles";
        return std::nullopt;
    }
    if (triangles > mostTriangles) {
        problem = path + ": " + std::to_string(triangles) +
                  " triangles are more than an importable world (" + std::to_string(mostTriangles) +
                  ")";
        return std::nullopt;
    }

    ImportedScene out;
    out.sourceMeshes = scene->mNumMeshes;
    const fs::path folder = file.parent_path();
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        if (!scene->mMaterials[i]) continue;
        out.materials.push_back(
            materialOf(*scene, *scene->mMaterials[i], i, folder, path, problem));
        if (!problem.empty()) return std::nullopt;
    }
    if (out.materials.empty()) out.materials.push_back({"default", std::nullopt, std::nullopt});

    // Entities stand where their nodes put them; their meshes are kept in
    // their own coordinates.
    for (const EntityPlacement& entity : walk.entities) {
        const Vector3 p = entity.placement.point({}) * scale;
        out.entities.push_back({entity.node->mName.C_Str(),
                                {tidy(p.x), tidy(p.y), tidy(p.z)},
                                propertiesOf(*entity.node),
                                {},
                                std::nullopt});
    }
    for (const Instance& instance : walk.instances) {
        ImportedMesh mesh;
        const Vector3 origin =
            instance.owner ? walk.entities[*instance.owner].placement.point({}) : Vector3{};
        if (!convertMesh(instance, scale, origin, out.materials, mesh, problem)) {
            problem = path + ": " + problem;
            return std::nullopt;
        }
        auto& into = instance.owner ? out.entities[*instance.owner].meshes : out.meshes;
        into.push_back(std::move(mesh));
    }
    out.otherNodes = std::move(walk.otherNodes);
    out.placeholderMeshes = walk.placeholderMeshes;
    if (walk.playerStart) {
        const Vector3 p = walk.playerStart->point({}) * scale;
        out.playerStart = Vector3{tidy(p.x), tidy(p.y), tidy(p.z)};
    }
    for (const SoundPlacement& sound : walk.sounds) {
        const Vector3 p = sound.placement.point({}) * scale;
        out.sounds.push_back({sound.node->mName.C_Str(),
                              {tidy(p.x), tidy(p.y), tidy(p.z)},
                              propertiesOf(*sound.node)});
    }

    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* light = scene->mLights[i];
        if (!light || light->mType != aiLightSource_POINT) continue;
        Placement placement;
        if (!findNode(*scene, light->mName, placement)) placement = Placement{};
        ImportedLight imported;
        imported.position = placement.point(vector(light->mPosition)) * scale;
        Vector3 colour{light->mColorDiffuse.r, light->mColorDiffuse.g, light->mColorDiffuse.b};
        const double brightness = std::max({colour.x, colour.y, colour.z, 0.0});
        if (brightness > 1.0) colour /= brightness;
        imported.colour = {unit(colour.x), unit(colour.y), unit(colour.z)};
        imported.range = rangeOf(*light, brightness) * scale;
        // A light on (or just below) a node named Light gives that entity its defaults.
        const auto carrier = walk.lightCarriers.find(light->mName.C_Str());
        if (carrier != walk.lightCarriers.end()) {
            EntityNode& entity = out.entities[carrier->second];
            if (!entity.light) entity.light = imported;
            continue;
        }
        out.lights.push_back(imported);
    }
    return out;
}

}  // namespace tools
