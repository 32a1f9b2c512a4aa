// worldtool import on generated models of about 100,000 triangles, as OBJ,
// with the whole command timed (reading, merging, compiling the BSP tree,
// writing): a town of 8,333 boxes, a quarter of them turned, on one floor;
// and a rolling 200 x 200 terrain with 1,667 boxes on it. Smooth terrain is
// the compiler's hard case: every triangle leans on its neighbours' planes,
// so strips are copied along nearly every edge.

#include "commands/ToolEnvironment.h"
#include "content/Random.h"
#include "import/ImportCommand.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    obj << "v -500 0 -500\nv 500 0 -500\nv 500 0 500\nv -500 0 500\nf 1 4 3\nf 1 3 2\n";
    int next = 5;
    tools::Random random(8333);
    for (int b = 0; b < boxes; ++b) {
        const double x = random.uniform(-480, 480), z = random.uniform(-480, 480);
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

void importModel(benchmark::State& state)
{
    std::ostringstream messages;
    tools::ToolEnvironment environment(messages);
    const fs::path folder =
        fs::temp_directory_path() / ("import-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string model = (folder / "level.obj").string();
    std::ofstream(model) << (state.range(0) == 0 ? townObj(8333) : levelObj(200, 1667));
    for (auto _ : state) {
        std::ostringstream report, errors;
        const int status = tools::runImportCommand(
            {model, (folder / "Worlds" / "level.wrl").string(), {}}, report, errors);
        if (status != 0) state.SkipWithError(errors.str().c_str());
        benchmark::DoNotOptimize(status);
    }
    state.SetLabel(state.range(0) == 0 ? "town" : "terrain");
    state.counters["triangles"] = state.range(0) == 0 ? 2 + 8333 * 12 : 200 * 200 * 2 + 1667 * 12;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

BENCHMARK(importModel)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
