#include "embree/TraceSegments.h"

#include "content/Random.h"
#include "entities/HeightField.h"
#include "world/World.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// Uniform over the sphere's directions (rejection from the cube).
Vector3 randomDirection(tools::Random& random)
{
    for (;;) {
        const Vector3 d{random.uniform(-1, 1), random.uniform(-1, 1), random.uniform(-1, 1)};
        const double length = d.length();
        if (length > 0.05 && length <= 1.0) return d / length;
    }
}

TraceSegment segmentFrom(const Vector3& a, SegmentLengths lengths, tools::Random& random)
{
    const double length = random.uniform(lengths.shortest, lengths.longest);
    return {a, a + randomDirection(random) * length};
}

}  // namespace

std::vector<TraceSegment> segmentsOverGround(const World& world, std::size_t count,
                                             SegmentLengths lengths, std::uint64_t seed)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    Vector3 lo{inf, inf, inf}, hi{-inf, -inf, -inf};
    for (const HeightGrid* field : world.heightFields) {
        for (const Vertex& v : field->vertices) {
            lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y),
                  std::min(lo.z, v.position.z)};
            hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y),
                  std::max(hi.z, v.position.z)};
        }
    }
    if (lo.x > hi.x) throw std::invalid_argument("segmentsOverGround: the world has no terrain");

    tools::Random random(seed);
    std::vector<TraceSegment> out;
    out.reserve(count);
    const double top = hi.y + 1000.0, bottom = lo.y - 1.0;
    while (out.size() < count) {
        const double x = random.uniform(lo.x, hi.x), z = random.uniform(lo.z, hi.z);
        const auto ground = world.traceSegment({x, top, z}, {x, bottom, z});
        if (!ground) continue;
        const Vector3 start = ground->point + Vector3{0.0, random.uniform(0.2, 2.5), 0.0};
        out.push_back(segmentFrom(start, lengths, random));
    }
    return out;
}

std::vector<TraceSegment> segmentsNear(const std::vector<Vector3>& anchors, double spread,
                                       std::size_t count, SegmentLengths lengths,
                                       std::uint64_t seed)
{
    if (anchors.empty()) throw std::invalid_argument("segmentsNear: no anchors");
    tools::Random random(seed);
    std::vector<TraceSegment> out;
    out.reserve(count);
    while (out.size() < count) {
        const Vector3 start =
            anchors[random.below(anchors.size())] + Vector3{random.uniform(-spread, spread),
                                                            random.uniform(-spread, spread),
                                                            random.uniform(-spread, spread)};
        out.push_back(segmentFrom(start, lengths, random));
    }
    return out;
}
