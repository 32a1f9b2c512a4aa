// The model import ("worldtool import") on any bytes. The first byte picks
// the format (glTF, GLB, OBJ, PLY, Collada); the rest is the model, then,
// after each companion mark, the files it may name beside it: "m.mtl" and
// "t.png". The contract: a refusal is one message and leaves nothing
// behind; anything written is a world our own loader takes whole.
#include "FuzzSupport.h"

#include "import/ImportCommand.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <new>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

// The import caps the address space while Assimp reads, so counts that ask
// for more than a model of the file's size can need end in std::bad_alloc,
// which Assimp reports as a read error. The sanitizers' reserved ranges rule
// that cap out here; refusing single allocations beyond this budget stands
// in for it, so the fuzzer finds what the cap would not catch.
namespace {
constexpr std::size_t allocationBudget = std::size_t(256) << 20;

void* allocate(std::size_t size)
{
    if (size > allocationBudget) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return size > allocationBudget ? nullptr : std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return size > allocationBudget ? nullptr : std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Shared with fuzz/FuzzSeeds.cpp, which writes the seeds this way.
constexpr std::string_view companionMark = "\n--companion--\n";
constexpr const char* extensions[] = {"gltf", "glb", "obj", "ply", "dae"};

std::vector<std::string_view> parts(std::string_view bytes)
{
    std::vector<std::string_view> out;
    while (out.size() < 2) {
        const std::size_t at = bytes.find(companionMark);
        if (at == std::string_view::npos) break;
        out.push_back(bytes.substr(0, at));
        bytes.remove_prefix(at + companionMark.size());
    }
    out.push_back(bytes);
    return out;
}

void write(const fs::path& path, std::string_view bytes)
{
    fuzz::writeScratch(fs::relative(path, fuzz::scratchFolder()).string(),
                       reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::size_t lineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool anyFileIn(const fs::path& folder)
{
    std::error_code ec;
    return fs::exists(folder, ec) && !fs::is_empty(folder, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto& device = fuzz::environment();
    if (size < 1) return 0;
    const fs::path scratch = fuzz::scratchFolder();
    const fs::path in = scratch / "import-in", out = scratch / "import-out";
    std::error_code ec;
    fs::remove_all(in, ec);
    fs::remove_all(out, ec);
    fs::create_directories(in);
    fs::create_directories(out / "Worlds");

    const std::string model = std::string("m.") + extensions[data[0] % std::size(extensions)];
    const auto files = parts({reinterpret_cast<const char*>(data + 1), size - 1});
    write(in / model, files[0]);
    if (files.size() > 1) write(in / "m.mtl", files[1]);
    if (files.size() > 2) write(in / "t.png", files[2]);

    const fs::path world = out / "Worlds" / "m.wrl";
    std::ostringstream report, errors;
    // The sky is the same for every input: generating it for each would
    // only slow the search down.
    tools::ImportOptions options;
    options.sky = false;
    const int status =
        tools::runImportCommand({(in / model).string(), world.string(), options}, report, errors);
    const std::string messages = errors.str();
    if (status != 0) {
        if (status != 1) fuzz::broken("an exit status other than 0 or 1");
        if (lineCount(messages) != 1 || messages.rfind("worldtool: ", 0) != 0) {
            std::fprintf(stderr, "%s", messages.c_str());
            fuzz::broken("a refusal without exactly one message");
        }
        if (fs::exists(world, ec) || anyFileIn(out / "Textures"))
            fuzz::broken("a refusal left files behind");
        return 0;
    }
    if (!fs::is_regular_file(world, ec)) fuzz::broken("success without a world file");
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.path().extension() == ".tmp") fuzz::broken("a temporary file left behind");
    }

    // As the game loads it after "Run World": from the world's own folder.
    const fs::path here = fs::current_path();
    fs::current_path(out / "Worlds");
    const long before = device.live;
    {
        std::unique_ptr<World> loaded = loadWorld("m.wrl", true);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", lastWorldLoadProblem().c_str());
            fuzz::broken("an imported world the loader refuses");
        }
        (void)loaded->traceSegment(loaded->playerStart, loaded->playerStart - Vector3{0, 100, 0});
        loaded->unloadTextures();
    }
    fs::current_path(here);
    if (device.live != before) fuzz::broken("the imported world's GL names were not given back");
    return 0;
}
