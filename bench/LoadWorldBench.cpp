// How fast the default world loads, against a plain formatted-extraction
// reader of the same file: the loader should cost a fraction of what
// reading the text with a stream would.

#include "support/BenchContent.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The thread's own CPU time: the machine may be busy with other work, and
// both sides of a comparison should be charged only for their own.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

bool startsLikeNumber(const std::string& token)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = token[0] == '-' || token[0] == '+' ? 1 : 0;
    if (i < token.size() && token[i] == '.') ++i;
    return i < token.size() && digit(token[i]);
}

// The yardstick: every whitespace-separated token of the file read with
// `std::ifstream >> std::string`, and each one that starts like a number (a
// digit, or a sign or a point before one: every token the loader reads as a
// number, and none of the words) converted with std::strtod in the "C"
// locale the benchmark runs in. The values are summed so the work stays.
// No records are built, no textures read: the bare cost of the text.
double readWithStream(const std::string& path)
{
    std::ifstream in(path);
    std::string token;
    double sum = 0.0;
    while (in >> token) {
        if (startsLikeNumber(token)) sum += std::strtod(token.c_str(), nullptr);
    }
    return sum;
}

void LoadWorldVsStream(benchmark::State& state)
{
    const std::string& path = bench::canyonWorldFile();
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    bench::InContentBin inBin;
    double oursSeconds = 0.0, streamSeconds = 0.0;
    for (auto _ : state) {
        double start = cpuSeconds();
        std::unique_ptr<World> world = loadWorld(path, false);
        if (!world) {
            state.SkipWithError("the canyon did not load");
            break;
        }
        oursSeconds += cpuSeconds() - start;
        world.reset();  // releasing the world is not loading it

        start = cpuSeconds();
        benchmark::DoNotOptimize(readWithStream(path));
        streamSeconds += cpuSeconds() - start;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["MB"] = megabytes;
    state.counters["ours"] = oursSeconds > 0 ? megabytes * runs / oursSeconds : 0.0;
    state.counters["stream"] = streamSeconds > 0 ? megabytes * runs / streamSeconds : 0.0;
    state.counters["ratio"] = oursSeconds > 0 ? streamSeconds / oursSeconds : 0.0;
}
BENCHMARK(LoadWorldVsStream)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Our loader alone, for profiling where a load goes.
void LoadCanyon(benchmark::State& state)
{
    const std::string& path = bench::canyonWorldFile();
    bench::InContentBin inBin;
    for (auto _ : state) {
        std::unique_ptr<World> world = loadWorld(path, false);
        if (!world) {
            state.SkipWithError("the canyon did not load");
            break;
        }
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadCanyon)->Unit(benchmark::kMillisecond);

}  // namespace
