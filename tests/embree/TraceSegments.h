#pragma once

#include "math/Vector3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class World;

// Segments for comparing tracers: the same ones, from a fixed seed, for
// every tracer measured or checked.
struct TraceSegment {
    Vector3 a, b;
};

struct SegmentLengths {
    double shortest = 1.0;
    double longest = 2.0;
};

inline constexpr SegmentLengths shortLengths{1.0, 2.0};    // a player's probes
inline constexpr SegmentLengths longLengths{50.0, 200.0};  // rockets, lights

// Starting a little above the ground (up to a player's height) at random places over the world's
// terrain (on whatever the first downward trace meets: floor, ledge, roof),
// in random directions.
std::vector<TraceSegment> segmentsOverGround(const World& world, std::size_t count,
                                             SegmentLengths lengths, std::uint64_t seed);

// Starting within `spread` (in each axis) of a randomly chosen anchor, in
// random directions: short segments through a sparse scene that still meet
// its surfaces.
std::vector<TraceSegment> segmentsNear(const std::vector<Vector3>& anchors, double spread,
                                       std::size_t count, SegmentLengths lengths,
                                       std::uint64_t seed);
