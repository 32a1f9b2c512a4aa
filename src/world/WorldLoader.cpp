#include "world/WorldLoader.h"

#include "geometry/BspNode.h"
#include "geometry/Polygon.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "textures/ImageLoader.h"
#include "world/ObjectFactory.h"
#include "world/World.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace {

std::string lastProblem;

// An entity block is at least its keyword and one token of record.
constexpr int fewestTokensPerEntity = 2;

// Swaps y and z, so the cloud texture lies flat over the world.
Matrix4 cloudSwapMatrix()
{
    Matrix4 m;
    m.m.fill(0.0);
    m[0] = 1.0;
    m[6] = 1.0;
    m[9] = 1.0;
    m[15] = 1.0;
    return m;
}

// One box per failed load; the detail stays behind for tools.
std::unique_ptr<World> refuse(const std::string& message, std::string detail)
{
    lastProblem = std::move(detail);
    platform::showError(message);
    return nullptr;
}

std::unique_ptr<World> refuseFile(const std::string& message, const TokenReader& in,
                                  const std::string& path)
{
    std::string detail = in.describeFailure(path);
    if (detail.empty()) detail = path + ": " + message;
    return refuse(message, std::move(detail));
}

constexpr const char* objectMessage = "Unable to load an object";

// A world that fails part-way has already uploaded some textures: their GL
// names go back when it is dropped, as they would for a world replaced later.
class UnloadUnlessKept {
public:
    explicit UnloadUnlessKept(World& world) : world_(world) {}
    ~UnloadUnlessKept()
    {
        if (!kept_) world_.unloadTextures();
    }
    UnloadUnlessKept(const UnloadUnlessKept&) = delete;
    UnloadUnlessKept& operator=(const UnloadUnlessKept&) = delete;

    void keep() { kept_ = true; }

private:
    World& world_;
    bool kept_ = false;
};

}  // namespace

const std::string& lastWorldLoadProblem() { return lastProblem; }

namespace {

std::unique_ptr<World> loadWorldUnguarded(const std::string& path, bool mipmaps)
{
    std::optional<TokenReader> opened = TokenReader::fromFile(platform::resolvePath(path));
    if (!opened) return refuse("Unable to open input file", path + ": cannot be opened");
    TokenReader& in = *opened;

    auto world = std::make_unique<World>();
    UnloadUnlessKept unloadOnFailure(*world);
    world->textures.setMipmapping(mipmaps);

    // Header. Anything malformed before the texture list has no message of
    // its own; it is refused as an unreadable entity, the box the world
    // format uses for every structural fault.
    {
        TokenReader::Scope scope(in, "world header");
        Vector3 start;
        AmbientLight ambient;
        if (!in.readDouble(start.x) || !in.readDouble(start.y) || !in.readDouble(start.z) ||
            !in.readDouble(ambient.red) || !in.readDouble(ambient.green) ||
            !in.readDouble(ambient.blue)) {
            return refuseFile(objectMessage, in, path);
        }
        world->playerStart = start;
        world->ambientLight = ambient;
    }

    // Listed textures, uploaded as the mip-mapping toggle stands now.
    {
        int count = 0;
        {
            TokenReader::Scope scope(in, "texture count");
            if (!in.readCount(count, 1)) return refuseFile(objectMessage, in, path);
        }
        for (int i = 0; i < count; ++i) {
            std::string name;
            {
                TokenReader::Scope scope(in, "texture", i);
                if (!readTextureName(in, name)) return refuseFile(objectMessage, in, path);
            }
            std::unique_ptr<Texture> texture = loadTexture(name);
            if (!texture) {
                // The name is an argument, never the format: it comes from the file.
                return refuse(
                    platform::formatText("Unable to read in texture \"%s\"", name.c_str()),
                    path + ": texture " + std::to_string(i) + " \"" + name + "\" cannot be loaded");
            }
            texture->upload(mipmaps);
            world->textures.add(std::move(texture));
        }
    }

    // Cloud shadows are optional: no file, no shadows, no message.
    if (std::unique_ptr<Texture> clouds = loadTexture(cloudShadowTexturePath)) {
        clouds->upload(mipmaps);
        world->cloudTexture = std::move(clouds);
        world->cloudTextureMatrix = cloudSwapMatrix();
    }

    // Entities.
    {
        int count = 0;
        {
            TokenReader::Scope scope(in, "object count");
            if (!in.readCount(count, fewestTokensPerEntity)) {
                return refuseFile(objectMessage, in, path);
            }
        }
        for (int i = 0; i < count; ++i) {
            TokenReader::Scope scope(in, "object", i);
            std::optional<ReadEntity> entity = readEntity(in, *world);
            if (!entity) {
                if (in.ok()) in.fail("a readable entity");
                return refuseFile(objectMessage, in, path);
            }
            world->add(std::move(entity->object), entity->role);
        }
    }

    // The BSP section, only when the file goes on past the last entity.
    if (!in.atEnd()) {
        TokenReader::Scope scope(in, "BSP tree");
        world->bspTree = readBspTree(in);
        if (!in.ok()) {
            world->bspTree.reset();
            return refuseFile(objectMessage, in, path);
        }
    }

    unloadOnFailure.keep();
    return world;
}

}  // namespace

std::unique_ptr<World> loadWorld(const std::string& path, bool mipmaps)
{
    lastProblem.clear();
    // The readers bound every size by the file before allocating; should an
    // allocation still fail (a world larger than memory), the load is
    // refused like any unreadable world instead of ending the game.
    // Everything built so far is released by the unwinding.
    try {
        return loadWorldUnguarded(path, mipmaps);
    } catch (const std::exception& e) {
        return refuse(objectMessage, path + ": " + e.what());
    }
}

std::optional<std::string> chooseWorldFile()
{
    namespace fs = std::filesystem;
    // The remembered folder is relative, so after a world from elsewhere is
    // chosen it is looked for next to that world's folder.
    static const std::string rememberedFolder = "..\\WORLDS";

    std::error_code ec;
    fs::path start = fs::absolute(platform::resolvePath(rememberedFolder), ec);
    if (ec || !fs::is_directory(start, ec)) start = fs::current_path(ec);

    std::optional<std::string> chosen =
        platform::current().chooseFile(start.lexically_normal().string(), "*.wrl");
    if (!chosen || chosen->empty()) return std::nullopt;

    return enterWorldFolder(*chosen);
}

std::string enterWorldFolder(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = fs::absolute(fs::path(platform::resolvePath(path)), ec);
    if (ec) return path;
    if (file.has_parent_path() && fs::is_directory(file.parent_path(), ec)) {
        fs::current_path(file.parent_path(), ec);
    }
    return file.lexically_normal().string();
}
