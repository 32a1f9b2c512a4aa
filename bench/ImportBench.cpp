// worldtool import on generated models of 28,000, 100,000 and 1,000,000
// triangles, as OBJ, with the whole command timed (reading, merging,
// compiling the BSP tree, writing) and the world then loaded as the game
// loads it: a blocky town of boxes, a quarter of them turned, on one floor;
// and a smooth rolling terrain with boxes standing on it. Smooth terrain is
// the compiler's hard case: every triangle leans on its neighbours' planes,
// and a hill's triangles all lie on one side of each other's planes.

#include "commands/ToolEnvironment.h"
#include "content/Random.h"
#include "geometry/BspNode.h"
#include "import/ImportCommand.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Corner k of a box has x from bit 0, y from bit 1 and depth from bit 2.
constexpr int boxFaces[6][4] = {{0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4},
                                {1, 5, 7, 3}, {0, 1, 3, 2}, {4, 6, 7, 5}};

double terrainHeight(double x, double z)
{
    return 2.0 * std::sin(x * 0.11) * std::cos(z * 0.07) + 0.02 * x;
}

std::string levelObj(int cells, int boxes)
{
    std::ostringstream obj;
    obj.imbue(std::locale::classic());
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i)
            obj << "v " << i << ' ' << terrainHeight(i, -j) << ' ' << -j << '\n';
    }
    auto at = [&](int i, int j) { return j * (cells + 1) + i + 1; };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            obj << "f " << at(i, j) << ' ' << at(i + 1, j) << ' ' << at(i + 1, j + 1) << '\n';
            obj << "f " << at(i, j) << ' ' << at(i + 1, j + 1) << ' ' << at(i, j + 1) << '\n';
        }
    }
    int next = (cells + 1) * (cells + 1) + 1;
    tools::Random random(100000);
    for (int b = 0; b < boxes; ++b) {
        const double x = random.uniform(2, cells - 4), z = -random.uniform(2, cells - 4);
        const double w = random.uniform(0.5, 2.5), d = random.uniform(0.5, 2.5),
                     h = random.uniform(1, 6);
        const double y = terrainHeight(x, z) - 1.0;
        for (int k = 0; k < 8; ++k) {
            obj << "v " << x + (k & 1 ? w : 0) << ' ' << y + (k & 2 ? h : 0) << ' '
                << z - (k & 4 ? d : 0) << '\n';
        }
        for (const auto& f : boxFaces) {
            obj << "f " << next + f[0] << ' ' << next + f[1] << ' ' << next + f[2] << '\n';
            obj << "f " << next + f[0] << ' ' << next + f[2] << ' ' << next + f[3] << '\n';
        }
        next += 8;
    }
    return obj.str();
}

std::string townObj(int boxes)
{
    std::ostringstream obj;
    obj.imbue(std::locale::classic());
    // As dense as a town of 8,333 boxes on a 1000 x 1000 floor, whatever its size.
    const double half = 500.0 * std::sqrt(boxes / 8333.0), room = half - 20.0;
    obj << "v " << -half << " 0 " << -half << "\nv " << half << " 0 " << -half << "\nv " << half
        << " 0 " << half << "\nv " << -half << " 0 " << half << "\nf 1 4 3\nf 1 3 2\n";
    int next = 5;
    tools::Random random(8333);
    for (int b = 0; b < boxes; ++b) {
        const double x = random.uniform(-room, room), z = random.uniform(-room, room);
        const double w = random.uniform(1, 8), d = random.uniform(1, 8), h = random.uniform(1, 12);
        const double turn = random.uniform(0, 1) < 0.25 ? random.uniform(0, 3.14159) : 0.0;
        const double c = std::cos(turn), s = std::sin(turn);
        for (int k = 0; k < 8; ++k) {
            const double lx = k & 1 ? w : 0, ly = k & 2 ? h : 0, lz = k & 4 ? -d : 0;
            obj << "v " << x + c * lx + s * lz << ' ' << ly << ' ' << z - s * lx + c * lz << '\n';
        }
        for (const auto& f : boxFaces) {
            obj << "f " << next + f[0] << ' ' << next + f[1] << ' ' << next + f[2] << '\n';
            obj << "f " << next + f[0] << ' ' << next + f[2] << ' ' << next + f[3] << '\n';
        }
        next += 8;
    }
    return obj.str();
}

// Wall-clock seconds: the import and the load are whole commands a builder waits for.
double wallSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Imports a generated model of about range(1) triangles, smooth (a rolling
// terrain with boxes standing on it; range(0) 0 writes the terrain as a
// HeightField, 2 keeps it as polygons in the BSP tree: the compiler's hard
// case) or blocky (range(0) 1: a town of boxes, a quarter of them turned),
// then loads the world as the game does. Reports the tree
// (polygons, depth, nodes), the file's size, both times and the process's
// peak memory so far.
void importAndLoad(benchmark::State& state)
{
    const bool smooth = state.range(0) != 1;
    tools::ImportOptions options;
    options.heightFields = state.range(0) == 0;
    const auto triangles = static_cast<double>(state.range(1));
    std::string text;
    if (smooth) {
        // A few box walls (one triangle in a hundred), the rest in the
        // terrain's grid: 28,000 triangles is a grid of 119 x 119 cells.
        const int boxes = static_cast<int>(triangles * 0.01 / 12.0);
        const int cells = static_cast<int>(std::sqrt((triangles - boxes * 12.0) / 2.0));
        text = levelObj(cells, boxes);
    } else {
        text = townObj(static_cast<int>(triangles / 12.0));
    }
    const fs::path folder =
        fs::temp_directory_path() / ("import-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string model = (folder / "level.obj").string();
    const std::string world = (folder / "Worlds" / "level.wrl").string();
    std::ofstream(model) << text;
    text.clear();
    double importSeconds = 0.0, loadSeconds = 0.0;
    std::size_t treePolygons = 0, nodes = 0;
    int depth = 0;
    for (auto _ : state) {
        std::ostringstream report, errors;
        std::ostringstream messages;
        tools::ToolEnvironment environment(messages);
        double start = wallSeconds();
        if (tools::runImportCommand({model, world, options}, report, errors) != 0) {
            state.SkipWithError(errors.str().c_str());
            break;
        }
        importSeconds = wallSeconds() - start;
        // Texture names are resolved from the folder the game runs in.
        const fs::path previous = fs::current_path();
        fs::current_path(folder / "Worlds");
        start = wallSeconds();
        std::unique_ptr<World> loaded = loadWorld(world, false);
        loadSeconds = wallSeconds() - start;
        fs::current_path(previous);
        if (!loaded) {
            state.SkipWithError("the imported world did not load");
            break;
        }
        if (const BspNode* root = loaded->bspTree.root()) {
            treePolygons = root->polygonCount();
            nodes = root->nodeCount();
            depth = root->depth();
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.SetLabel(!smooth ? "blocky" : options.heightFields ? "smooth" : "smooth, as polygons");
    state.counters["triangles"] = triangles;
    state.counters["treePolygons"] = static_cast<double>(treePolygons);
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["depth"] = depth;
    std::error_code ec;
    state.counters["fileMB"] = static_cast<double>(fs::file_size(world, ec)) / 1e6;
    state.counters["importS"] = importSeconds;
    state.counters["loadS"] = loadSeconds;
    state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    fs::remove_all(folder, ec);
}

BENCHMARK(importAndLoad)
    ->ArgsProduct({{0, 1, 2}, {28000, 100000, 1000000}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
