// Our segment traces against Embree's on the same triangles and the same
// segments: the canyon (BSP tree and terrain) and a soup of 100,000 small
// triangles in a World holding only its compiled BSP tree. Each case runs
// both tracers in turn over its segments and reports traces per second of
// each, and ours / Embree.
//
// Embree runs as it would for a renderer that wants speed: default scene
// flags (not RTC_SCENE_FLAG_ROBUST), high build quality, scenes built on one
// thread before any timing; single rays (rtcIntersect1) with tnear 0 and
// tfar 1 over the segment.

#include "bsp/BspCompiler.h"
#include "content/TriangleSoup.h"
#include "embree/EmbreeTracer.h"
#include "embree/TraceSegments.h"
#include "support/BenchContent.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

// The thread's own CPU time: the machine may be busy with other work, and
// both sides of a comparison should be charged only for their own.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

constexpr std::size_t segmentCount = 4096;
constexpr std::size_t soupTriangles = 100000;

struct Scene {
    std::unique_ptr<World> world;
    std::unique_ptr<EmbreeTracer> embree;
    std::vector<TraceSegment> shortSegments, longSegments;
};

Scene& canyon()
{
    static const std::unique_ptr<Scene> scene = [] {
        auto s = std::make_unique<Scene>();
        s->world = bench::loadCanyon();
        s->embree = std::make_unique<EmbreeTracer>(traceablePolygons(*s->world), false);
        s->shortSegments = segmentsOverGround(*s->world, segmentCount, shortLengths, 11);
        s->longSegments = segmentsOverGround(*s->world, segmentCount, longLengths, 12);
        return s;
    }();
    return *scene;
}

Scene& soup()
{
    static const std::unique_ptr<Scene> scene = [] {
        auto s = std::make_unique<Scene>();
        s->world = std::make_unique<World>();
        const std::vector<tools::SourcePolygon> triangles = tools::triangleSoup(soupTriangles);
        s->world->bspTree = tools::compileBsp(triangles).root;
        s->embree = std::make_unique<EmbreeTracer>(traceablePolygons(*s->world), false);
        // Segments from anywhere in so sparse a cube would nearly all miss:
        // they start close to the triangles' centres instead.
        std::vector<Vector3> centres;
        for (const tools::SourcePolygon& p : triangles)
            centres.push_back((p.corners[0] + p.corners[1] + p.corners[2]) / 3.0);
        s->shortSegments = segmentsNear(centres, 0.5, segmentCount, shortLengths, 21);
        s->longSegments = segmentsNear(centres, 0.5, segmentCount, longLengths, 22);
        return s;
    }();
    return *scene;
}

void compare(benchmark::State& state, const Scene& scene, const std::vector<TraceSegment>& segments)
{
    double oursSeconds = 0.0, embreeSeconds = 0.0;
    std::size_t oursHits = 0, embreeHits = 0;
    for (auto _ : state) {
        double start = cpuSeconds();
        for (const TraceSegment& s : segments) {
            const auto hit = scene.world->traceSegment(s.a, s.b);
            oursHits += hit.has_value();
            benchmark::DoNotOptimize(hit);
        }
        oursSeconds += cpuSeconds() - start;

        start = cpuSeconds();
        for (const TraceSegment& s : segments) {
            const auto hit = scene.embree->trace(s.a, s.b);
            embreeHits += hit.has_value();
            benchmark::DoNotOptimize(hit);
        }
        embreeSeconds += cpuSeconds() - start;
    }
    const double traces = static_cast<double>(state.iterations() * segments.size());
    state.counters["ours"] = traces / oursSeconds;
    state.counters["embree"] = traces / embreeSeconds;
    state.counters["ratio"] = embreeSeconds / oursSeconds;
    state.counters["hit%"] = 100.0 * static_cast<double>(oursHits) / traces;
    state.counters["embreeHit%"] = 100.0 * static_cast<double>(embreeHits) / traces;
}

void canyon_short(benchmark::State& state) { compare(state, canyon(), canyon().shortSegments); }
void canyon_long(benchmark::State& state) { compare(state, canyon(), canyon().longSegments); }
void soup_short(benchmark::State& state) { compare(state, soup(), soup().shortSegments); }
void soup_long(benchmark::State& state) { compare(state, soup(), soup().longSegments); }

BENCHMARK(canyon_short)->Name("TraceVsEmbree/canyon_short")->Unit(benchmark::kMillisecond);
BENCHMARK(canyon_long)->Name("TraceVsEmbree/canyon_long")->Unit(benchmark::kMillisecond);
BENCHMARK(soup_short)->Name("TraceVsEmbree/soup_short")->Unit(benchmark::kMillisecond);
BENCHMARK(soup_long)->Name("TraceVsEmbree/soup_long")->Unit(benchmark::kMillisecond);

}  // namespace
