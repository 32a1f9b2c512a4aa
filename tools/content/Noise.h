#pragma once

#include "worldfile/Trig.h"

#include <cstdint>

namespace tools {

double clamp01(double v);
double mix(double a, double b, double t);
// 0 below e0, 1 above e1, smooth in between.
double smoothstep(double e0, double e1, double x);

// Value noise in [0, 1) on an integer lattice that repeats every periodX
// cells along x and periodY along y, so textures made from it tile.
double valueNoise(double x, double y, int periodX, int periodY, std::uint64_t seed);

// Octaves of value noise, each twice the frequency of the one before and
// `persistence` times its amplitude; in [0, 1]. Tiles with the base periods.
double fractalNoise(double x, double y, int periodX, int periodY, int octaves, double persistence,
                    std::uint64_t seed);

}  // namespace tools
