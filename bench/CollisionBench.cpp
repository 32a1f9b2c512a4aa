// Segment traces against a large world: a 256 x 256-cell heightfield and a
// BSP of over ten thousand polygons (the faces of random boxes standing on
// the terrain), with player-sized and rocket/light-sized segments.

#include "entities/HeightField.h"
#include "geometry/BspNode.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int gridCells = 256;
constexpr double cellSize = 2.0;
constexpr double worldHalf = gridCells * cellSize / 2;

double terrainHeight(double x, double z)
{
    return 6.0 * std::sin(x * 0.031) * std::cos(z * 0.027) + 3.0 * std::sin((x + z) * 0.11);
}

CollisionPolygon triangle(const Vector3& p0, const Vector3& p1, const Vector3& p2)
{
    CollisionPolygon t;
    Vector3 n = (p1 - p0).cross(p2 - p0);
    n /= n.length();
    if (n.y < 0) n = -n;
    t.plane = {n.x, n.y, n.z, -n.dot(p0)};
    const Vector3 corners[3] = {p0, p1, p2};
    for (int k = 0; k < 3; ++k) {
        const Vector3& a = corners[k];
        const Vector3& b = corners[(k + 1) % 3];
        Vector3 m = n.cross(b - a);
        m /= m.length();
        if (m.dot(corners[(k + 2) % 3] - a) < 0) m = -m;
        t.edgePlanes.push_back({m.x, m.y, m.z, -m.dot(a)});
        t.vertices.push_back(Vertex::at(a));
    }
    return t;
}

std::unique_ptr<HeightField> makeTerrain()
{
    auto field = std::make_unique<HeightField>();
    field->grid.columns = gridCells + 1;
    field->grid.rows = gridCells + 1;
    for (int j = 0; j <= gridCells; ++j) {
        for (int i = 0; i <= gridCells; ++i) {
            Vertex v;
            v.position.x = -worldHalf + i * cellSize;
            v.position.z = -worldHalf + j * cellSize;
            v.position.y = terrainHeight(v.position.x, v.position.z);
            field->grid.vertices.push_back(v);
        }
    }
    auto at = [&](int i, int j) {
        const Vertex& v =
            field->grid.vertices[static_cast<std::size_t>(j * field->grid.columns + i)];
        return v.position;
    };
    for (int j = 0; j < gridCells; ++j) {
        for (int i = 0; i < gridCells; ++i) {
            field->grid.triangles.push_back(triangle(at(i, j), at(i, j + 1), at(i + 1, j)));
            field->grid.triangles.push_back(triangle(at(i, j + 1), at(i + 1, j), at(i + 1, j + 1)));
        }
    }
    field->grid.prepareQueries();  // as the reader does
    return field;
}

// An axis-aligned rectangle in the plane x[axis] = at, facing +axis or -axis.
struct Rectangle {
    int axis;
    double at;
    int facing;
    std::array<double, 3> lo, hi;
};

CollisionPolygon toPolygon(const Rectangle& r)
{
    CollisionPolygon p;
    std::array<double, 3> n{};
    n[static_cast<std::size_t>(r.axis)] = r.facing;
    p.plane = {n[0], n[1], n[2], -r.facing * r.at};
    for (int k = 1; k <= 2; ++k) {
        const auto axis = static_cast<std::size_t>((r.axis + k) % 3);
        std::array<double, 3> e{};
        e[axis] = 1;
        p.edgePlanes.push_back({e[0], e[1], e[2], -r.lo[axis]});
        e[axis] = -1;
        p.edgePlanes.push_back({e[0], e[1], e[2], r.hi[axis]});
    }
    return p;
}

// Where a rectangle lies against a splitting plane: -1 behind, 0 in it,
// 1 in front, 2 across.
int side(const Rectangle& split, const Rectangle& r)
{
    const auto k = static_cast<std::size_t>(split.axis);
    if (r.axis == split.axis)
        return r.at == split.at ? 0 : (r.at > split.at) == (split.facing > 0) ? 1 : -1;
    if (r.lo[k] < split.at && r.hi[k] > split.at) return 2;
    const double middle = (r.lo[k] + r.hi[k]) / 2;
    return (middle > split.at) == (split.facing > 0) ? 1 : -1;
}

// A plain compiler: picks the splitter among a few candidates by splits and
// balance, cuts rectangles that span its plane.
std::unique_ptr<BspNode> compile(std::vector<Rectangle> rectangles, std::mt19937& random)
{
    if (rectangles.empty()) return nullptr;
    std::size_t best = 0;
    long bestScore = -1;
    for (int c = 0; c < 8; ++c) {
        const std::size_t candidate = random() % rectangles.size();
        long front = 0, back = 0, splits = 0;
        for (const Rectangle& r : rectangles) {
            const int s = side(rectangles[candidate], r);
            front += s == 1;
            back += s == -1;
            splits += s == 2;
        }
        const long score = splits * 8 + std::labs(front - back);
        if (bestScore < 0 || score < bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    const Rectangle split = rectangles[best];
    std::vector<Rectangle> front, back;
    auto node = std::make_unique<BspNode>();
    // The splitter goes first: the node plane is its first polygon's plane.
    node->polygons.push_back(toPolygon(split));
    for (std::size_t k = 0; k < rectangles.size(); ++k) {
        const Rectangle& r = rectangles[k];
        const int s = k == best ? 0 : side(split, r);
        if (s == 0) {
            if (k != best) node->polygons.push_back(toPolygon(r));
        } else if (s == 1) {
            front.push_back(r);
        } else if (s == -1) {
            back.push_back(r);
        } else {
            const auto axis = static_cast<std::size_t>(split.axis);
            Rectangle below = r, above = r;
            below.hi[axis] = split.at;
            above.lo[axis] = split.at;
            (side(split, below) == 1 ? front : back).push_back(below);
            (side(split, above) == 1 ? front : back).push_back(above);
        }
    }
    node->front = compile(std::move(front), random);
    node->back = compile(std::move(back), random);
    return node;
}

std::unique_ptr<BspNode> makeBoxes(std::mt19937& random)
{
    std::uniform_real_distribution<double> place(-worldHalf + 20, worldHalf - 20);
    std::uniform_real_distribution<double> size(2, 12);
    std::uniform_real_distribution<double> tall(3, 25);
    std::vector<Rectangle> faces;
    for (int box = 0; box < 1800; ++box) {
        const double x = place(random), z = place(random);
        const std::array<double, 3> lo{x, terrainHeight(x, z) - 4, z};
        const std::array<double, 3> hi{x + size(random), lo[1] + tall(random), z + size(random)};
        for (int axis = 0; axis < 3; ++axis) {
            faces.push_back({axis, lo[static_cast<std::size_t>(axis)], -1, lo, hi});
            faces.push_back({axis, hi[static_cast<std::size_t>(axis)], 1, lo, hi});
        }
    }
    return compile(std::move(faces), random);
}

struct Segment {
    Vector3 a, b;
};

struct BenchWorld {
    World world;
    std::vector<Segment> shortSegments;
    std::vector<Segment> longSegments;
};

std::vector<Segment> makeSegments(std::mt19937& random, double shortest, double longest)
{
    std::uniform_real_distribution<double> place(-worldHalf + 10, worldHalf - 10);
    std::uniform_real_distribution<double> above(0.5, 25);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_real_distribution<double> length(shortest, longest);
    std::vector<Segment> segments;
    while (segments.size() < 8192) {
        Vector3 d{unit(random), unit(random) * 0.5, unit(random)};
        if (d.length() < 0.1) continue;
        d /= d.length();
        const double x = place(random), z = place(random);
        const Vector3 a{x, terrainHeight(x, z) + above(random), z};
        segments.push_back({a, a + d * length(random)});
    }
    return segments;
}

BenchWorld& benchWorld()
{
    // Built once for all the benchmarks: building takes longer than a run.
    static const std::unique_ptr<BenchWorld> built = [] {
        auto w = std::make_unique<BenchWorld>();
        std::mt19937 random(20240611);
        // Filed as the loader files it, so that traces reach it.
        w->world.add(makeTerrain(), EntityRole::terrain);
        w->world.bspTree = makeBoxes(random);
        w->shortSegments = makeSegments(random, 1, 2);
        w->longSegments = makeSegments(random, 50, 200);
        return w;
    }();
    return *built;
}

void runTraces(benchmark::State& state, const std::vector<Segment>& segments, const World& world)
{
    std::size_t k = 0, hits = 0, traces = 0;
    for (auto _ : state) {
        const Segment& s = segments[k];
        k = (k + 1) % segments.size();
        const bool hit = world.traceSegment(s.a, s.b).has_value();
        benchmark::DoNotOptimize(hit);
        hits += hit;
        ++traces;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(traces));
    state.counters["hit%"] =
        traces ? 100.0 * static_cast<double>(hits) / static_cast<double>(traces) : 0;
    state.counters["bspPolygons"] =
        static_cast<double>(!world.bspTree.empty() ? world.bspTree.root()->polygonCount() : 0);
    state.counters["bspDepth"] = !world.bspTree.empty() ? world.bspTree.root()->depth() : 0;
}

void BM_TraceShortSegments(benchmark::State& state)
{
    BenchWorld& w = benchWorld();
    runTraces(state, w.shortSegments, w.world);
}
BENCHMARK(BM_TraceShortSegments);

void BM_TraceLongSegments(benchmark::State& state)
{
    BenchWorld& w = benchWorld();
    runTraces(state, w.longSegments, w.world);
}
BENCHMARK(BM_TraceLongSegments);

// Lends one part of the shared world (its BSP tree or its objects) to `run`
// as a world of its own and takes it back afterwards.
template <typename Part, typename Run>
void withOnly(BenchWorld& w, Part World::*part, Run run)
{
    World only;
    only.*part = std::move(w.world.*part);
    run(only);
    w.world.*part = std::move(only.*part);
}

// The terrain on its own: the objects and the HeightFields filed among them.
template <typename Run>
void withTerrainOnly(BenchWorld& w, Run run)
{
    World only;
    only.objects = std::move(w.world.objects);
    only.heightFields = std::move(w.world.heightFields);
    run(only);
    w.world.objects = std::move(only.objects);
    w.world.heightFields = std::move(only.heightFields);
}

// The two halves of a long trace on their own.
void BM_TraceLongSegmentsBspOnly(benchmark::State& state)
{
    BenchWorld& w = benchWorld();
    withOnly(w, &World::bspTree,
             [&](const World& bspOnly) { runTraces(state, w.longSegments, bspOnly); });
}
BENCHMARK(BM_TraceLongSegmentsBspOnly);

void BM_TraceLongSegmentsTerrainOnly(benchmark::State& state)
{
    BenchWorld& w = benchWorld();
    withTerrainOnly(
        w, [&](const World& terrainOnly) { runTraces(state, w.longSegments, terrainOnly); });
}
BENCHMARK(BM_TraceLongSegmentsTerrainOnly);

// The whole rectangle between the ends, as a terrain whose triangles do not
// follow its grid would be searched.
void BM_TraceLongSegmentsTerrainPlainScan(benchmark::State& state)
{
    BenchWorld& w = benchWorld();
    withTerrainOnly(w, [&](World& terrainOnly) {
        auto& field = static_cast<HeightField&>(*terrainOnly.objects.front());
        std::swap(field.grid.triangles.front(), field.grid.triangles.back());
        field.grid.prepareQueries();
        runTraces(state, w.longSegments, terrainOnly);
        std::swap(field.grid.triangles.front(), field.grid.triangles.back());
        field.grid.prepareQueries();
    });
}
BENCHMARK(BM_TraceLongSegmentsTerrainPlainScan);

}  // namespace
