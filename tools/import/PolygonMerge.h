#pragma once

#include "import/ImportedScene.h"
#include "worldfile/WorldWriter.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tools {

struct MergeCounts {
    std::size_t triangles = 0;  // given
    std::size_t dropped = 0;    // degenerate: no area, or corners too far out
    std::size_t polygons = 0;   // made
};

// The most corners a merged polygon gets: enough for the flat faces of a
// level, few enough to keep each polygon's tests cheap.
constexpr std::size_t mostMergedCorners = 16;

// Turns the triangles of one mesh into drawn polygons with the texture
// given: neighbours across a shared edge (the same two vertices) that lie in
// one plane are joined while the polygon stays strictly convex. Degenerate
// triangles are dropped and counted. Vertices without a normal take the
// face normal. Appends to `out`.
void mergeTriangles(const ImportedMesh& mesh, const std::string& texture,
                    std::vector<DrawnPolygon>& out, MergeCounts& counts);

}  // namespace tools
