// worldtool import on a generated level of about 100,000 triangles: a
// rolling 200 x 200 terrain and 1,667 boxes standing on it, as OBJ, with the
// whole command timed (reading, merging, compiling the BSP tree, writing).

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

double terrainHeight(double x, double z) { return 2.0 * std::sin(x * 0.11) * std::cos(z * 0.07) + 0.02 * x; }

std::string levelObj(int cells, int boxes)
{
    std::ostringstream obj;
    obj.imbue(std::locale::classic());
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) obj << "v " << i << ' ' << terrainHeight(i, -j) << ' ' << -j << '\n';
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
        const double w = random.uniform(0.5, 2.5), d = random.uniform(0.5, 2.5), h = random.uniform(1, 6);
        const double y = terrainHeight(x, z) - 1.0;
        for (int k = 0; k < 8; ++k) {
            obj << "v " << x + (k & 1 ? w : 0) << ' ' << y + (k & 2 ? h : 0) << ' ' << z - (k & 4 ? d : 0) << '\n';
        }
        // Corner k has x from bit 0, y from bit 1 and depth from bit 2.
        static const int faces[6][4] = {{0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}, {0, 1, 3, 2}, {4, 6, 7, 5}};
        for (const auto& f : faces) {
            obj << "f " << next + f[0] << ' ' << next + f[1] << ' ' << next + f[2] << '\n';
            obj << "f " << next + f[0] << ' ' << next + f[2] << ' ' << next + f[3] << '\n';
        }
        next += 8;
    }
    return obj.str();
}

void importLevel(benchmark::State& state)
{
    std::ostringstream messages;
    tools::ToolEnvironment environment(messages);
    const fs::path folder = fs::temp_directory_path() / ("import-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string model = (folder / "level.obj").string();
    std::ofstream(model) << levelObj(200, 1667);
    for (auto _ : state) {
        std::ostringstream report, errors;
        const int status = tools::runImportCommand({model, (folder / "Worlds" / "level.wrl").string(), {}}, report,
                                                   errors);
        if (status != 0) state.SkipWithError(errors.str().c_str());
        benchmark::DoNotOptimize(status);
    }
    state.counters["triangles"] = 200 * 200 * 2 + 1667 * 12;
    std::error_code ec;
    fs::remove_all(folder, ec);
}

BENCHMARK(importLevel)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
