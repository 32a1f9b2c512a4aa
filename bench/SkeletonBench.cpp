// The player's body: one frame's animation (channels and pose) of the
// walking figure the build ships, and reading its file at start-up.

#include "content/SkeletonFile.h"
#include "skeleton/SkeletonReader.h"
#include "text/TokenReader.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SkeletonAnimateFrame(benchmark::State& state)
{
    TokenReader in(tools::humanoidSkeletonText());
    const auto skeleton = readSkeleton(in);
    double seconds = 0.0;
    for (auto _ : state) {
        skeleton->animate(seconds);
        seconds += 0.025;
        benchmark::DoNotOptimize(skeleton->bones.back().poseMatrix);
    }
    state.counters["bones"] = static_cast<double>(skeleton->bones.size());
}
BENCHMARK(BM_SkeletonAnimateFrame);

void BM_SkeletonRead(benchmark::State& state)
{
    const std::string text = tools::humanoidSkeletonText();
    for (auto _ : state) {
        TokenReader in(text);
        benchmark::DoNotOptimize(readSkeleton(in));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_SkeletonRead);

}  // namespace
