#pragma once

#include "bsp/BspCompiler.h"

#include <cstddef>
#include <vector>

namespace tools {

// Small triangles scattered through a cube, at every angle: a level's worth
// of detail without a level's regularity. The same soup for a count on
// every run, so benchmarks and tests compare like with like. The cube grows
// with the count, so the density stays the same.
std::vector<SourcePolygon> triangleSoup(std::size_t count);

}  // namespace tools
