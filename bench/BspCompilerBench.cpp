// The world tool's BSP compiler: how long a large soup takes to compile, and
// how much a trace through the compiled tree saves over testing every polygon.

#include "bsp/BspCompiler.h"
#include "commands/BspCommand.h"
#include "content/Canyon.h"
#include "content/Random.h"
#include "content/TriangleSoup.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>

namespace {

// A smooth rolling terrain of cells x cells squares, two triangles each (the
// import benchmark's ground): every triangle leans on its neighbours' planes
// at a shallow angle.
std::vector<tools::SourcePolygon> rollingTerrain(int cells)
{
    auto at = [](int i, int j) {
        const double x = i, z = -j;
        return Vector3{x, 2.0 * std::sin(x * 0.11) * std::cos(z * 0.07) + 0.02 * x, z};
    };
    std::vector<tools::SourcePolygon> terrain;
    terrain.reserve(static_cast<std::size_t>(cells) * cells * 2);
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            terrain.push_back({{at(i, j), at(i + 1, j), at(i + 1, j + 1)}, {0, 1, 0}});
            terrain.push_back({{at(i, j), at(i + 1, j + 1), at(i, j + 1)}, {0, 1, 0}});
        }
    }
    return terrain;
}

struct Segment {
    Vector3 a, b;
};

std::vector<Segment> segmentsThrough(const std::vector<tools::SourcePolygon>& polygons,
                                     std::size_t count, double length)
{
    // From near a polygon, in a random direction: most segments travel
    // through the geometry, as the game's probes and rockets do.
    tools::Random random(7);
    std::vector<Segment> out;
    for (std::size_t i = 0; i < count; ++i) {
        const Vector3 from =
            polygons[random.below(polygons.size())].corners[0] +
            Vector3{random.uniform(-3, 3), random.uniform(-3, 3), random.uniform(-3, 3)};
        Vector3 d{random.uniform(-1, 1), random.uniform(-1, 1), random.uniform(-1, 1)};
        d /= std::max(d.length(), 1e-9);
        out.push_back({from, from + d * length});
    }
    return out;
}

bool bruteForce(const std::vector<CollisionPolygon>& polygons, const Segment& s, double& nearest)
{
    bool hit = false;
    for (const CollisionPolygon& p : polygons) {
        const double dA = p.plane.distance(s.a), dB = p.plane.distance(s.b);
        if ((dA > -planeEpsilon && dB > -planeEpsilon) || (dA < planeEpsilon && dB < planeEpsilon))
            continue;
        const Vector3 at = s.a + (s.b - s.a) * (dA / (dA - dB));
        if (!p.contains(at)) continue;
        const double d = (at - s.a).length();
        if (!hit || d < nearest) nearest = d;
        hit = true;
    }
    return hit;
}

void compileSoup(benchmark::State& state)
{
    const auto soup = tools::triangleSoup(static_cast<std::size_t>(state.range(0)));
    tools::BspCompileStats stats;
    for (auto _ : state) {
        auto result = tools::compileBsp(soup);
        stats = result.stats;
        benchmark::DoNotOptimize(result.root.get());
    }
    state.counters["nodes"] = static_cast<double>(stats.nodes);
    state.counters["splits"] = static_cast<double>(stats.splits);
    state.counters["depth"] = stats.depth;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(compileSoup)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void compileTerrain(benchmark::State& state)
{
    const auto terrain = rollingTerrain(static_cast<int>(state.range(0)));
    tools::BspCompileStats stats;
    for (auto _ : state) {
        auto result = tools::compileBsp(terrain);
        stats = result.stats;
        benchmark::DoNotOptimize(result.root.get());
    }
    state.counters["nodes"] = static_cast<double>(stats.nodes);
    state.counters["pieces"] = static_cast<double>(stats.treePolygons);
    state.counters["splits"] = static_cast<double>(stats.splits);
    state.counters["depth"] = stats.depth;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(terrain.size()));
}
BENCHMARK(compileTerrain)->Arg(60)->Arg(200)->Unit(benchmark::kMillisecond);

// The soups the trace benchmarks share, compiled once.
struct Compiled {
    std::vector<tools::SourcePolygon> source;
    std::vector<CollisionPolygon> polygons;
    std::unique_ptr<BspNode> tree;
    std::vector<Segment> segments;
};

const Compiled& compiledSoup(std::size_t count)
{
    static std::map<std::size_t, Compiled> cache;
    auto found = cache.find(count);
    if (found != cache.end()) return found->second;
    Compiled c;
    c.source = tools::triangleSoup(count);
    c.polygons = tools::collisionPolygons(c.source);
    c.tree = tools::compileBsp(c.source).root;
    c.segments = segmentsThrough(c.source, 4096, 30.0);
    return cache.emplace(count, std::move(c)).first->second;
}

const Compiled& compiledCanyon()
{
    static const Compiled canyon = [] {
        Compiled c;
        std::string problem;
        auto entities =
            tools::readWorldEntities(tools::generateCanyon().text, "canyon.wrl", problem);
        c.source = entities->worldspawn;
        c.polygons = tools::collisionPolygons(c.source);
        c.tree = tools::compileBsp(c.source).root;
        // Player-sized probes: a couple of units long.
        c.segments = segmentsThrough(c.source, 4096, 2.5);
        return c;
    }();
    return canyon;
}

void traceTree(benchmark::State& state, const Compiled& c)
{
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Segment& s = c.segments[i++ % c.segments.size()];
        const std::optional<TraceHit> hit = c.tree->referenceIntersectSegment(s.a, s.b);
        hits += hit.has_value();
        benchmark::DoNotOptimize(hit);
    }
    state.counters["hit%"] =
        100.0 * static_cast<double>(hits) / static_cast<double>(state.iterations());
    state.counters["nodes"] = static_cast<double>(c.tree->nodeCount());
    state.counters["depth"] = c.tree->depth();
}

void traceBruteForce(benchmark::State& state, const Compiled& c)
{
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        double nearest = 0;
        hits += bruteForce(c.polygons, c.segments[i++ % c.segments.size()], nearest);
        benchmark::DoNotOptimize(nearest);
    }
    state.counters["hit%"] =
        100.0 * static_cast<double>(hits) / static_cast<double>(state.iterations());
}

void traceSoupTree(benchmark::State& state)
{
    traceTree(state, compiledSoup(static_cast<std::size_t>(state.range(0))));
}
void traceSoupBruteForce(benchmark::State& state)
{
    traceBruteForce(state, compiledSoup(static_cast<std::size_t>(state.range(0))));
}
void traceCanyonTree(benchmark::State& state) { traceTree(state, compiledCanyon()); }
void traceCanyonBruteForce(benchmark::State& state) { traceBruteForce(state, compiledCanyon()); }

BENCHMARK(traceSoupTree)->Arg(10000)->Arg(100000);
BENCHMARK(traceSoupBruteForce)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(traceCanyonTree);
BENCHMARK(traceCanyonBruteForce)->Unit(benchmark::kMicrosecond);

// Whole world traces (World::traceSegment) through the 100k soup, with the
// player-sized (1-2 units) and rocket/light-sized (50-200 units) segments of
// the collision benchmarks.
struct SoupWorld {
    World world;
    std::vector<Segment> shortSegments;
    std::vector<Segment> longSegments;
};

std::vector<Segment> segmentsBetween(const std::vector<tools::SourcePolygon>& polygons,
                                     double shortest, double longest)
{
    tools::Random random(11);
    std::vector<Segment> out;
    for (std::size_t i = 0; i < 8192; ++i) {
        const Vector3 from =
            polygons[random.below(polygons.size())].corners[0] +
            Vector3{random.uniform(-3, 3), random.uniform(-3, 3), random.uniform(-3, 3)};
        Vector3 d{random.uniform(-1, 1), random.uniform(-1, 1), random.uniform(-1, 1)};
        d /= std::max(d.length(), 1e-9);
        out.push_back({from, from + d * random.uniform(shortest, longest)});
    }
    return out;
}

SoupWorld& soupWorld()
{
    static const std::unique_ptr<SoupWorld> built = [] {
        auto w = std::make_unique<SoupWorld>();
        const auto soup = tools::triangleSoup(100000);
        w->world.bspTree = tools::compileBsp(soup).root;
        w->shortSegments = segmentsBetween(soup, 1, 2);
        w->longSegments = segmentsBetween(soup, 50, 200);
        return w;
    }();
    return *built;
}

void traceSoupWorld(benchmark::State& state, const std::vector<Segment>& segments)
{
    const World& world = soupWorld().world;
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Segment& s = segments[i++ % segments.size()];
        const bool hit = world.traceSegment(s.a, s.b).has_value();
        hits += hit;
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["hit%"] =
        100.0 * static_cast<double>(hits) / static_cast<double>(state.iterations());
}
void traceSoupWorldShort(benchmark::State& state)
{
    traceSoupWorld(state, soupWorld().shortSegments);
}
void traceSoupWorldLong(benchmark::State& state)
{
    traceSoupWorld(state, soupWorld().longSegments);
}

BENCHMARK(traceSoupWorldShort);
BENCHMARK(traceSoupWorldLong);

// The same segments through the node-by-node walk the flat query form
// replaced, for comparison on the same machine at the same time.
void traceSoupNodeWalk(benchmark::State& state, const std::vector<Segment>& segments)
{
    const BspNode& root = *soupWorld().world.bspTree.root();
    std::size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Segment& s = segments[i++ % segments.size()];
        const bool hit = root.referenceIntersectSegment(s.a, s.b).has_value();
        hits += hit;
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["hit%"] =
        100.0 * static_cast<double>(hits) / static_cast<double>(state.iterations());
}
void traceSoupNodeWalkShort(benchmark::State& state)
{
    traceSoupNodeWalk(state, soupWorld().shortSegments);
}
void traceSoupNodeWalkLong(benchmark::State& state)
{
    traceSoupNodeWalk(state, soupWorld().longSegments);
}
BENCHMARK(traceSoupNodeWalkShort);
BENCHMARK(traceSoupNodeWalkLong);

}  // namespace
