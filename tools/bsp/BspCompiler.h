#pragma once

#include "geometry/BspNode.h"
#include "math/Vector3.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tools {

// One drawn polygon as the compiler takes it: its corners in drawing order
// and the face normal of its record.
struct SourcePolygon {
    std::vector<Vector3> corners;
    Vector3 faceNormal;
};

struct BspCompileOptions {
    // Splitting planes tried per node, spread evenly over its polygons.
    int candidates = 32;
    // Polygons of the node each candidate is judged against, spread evenly
    // over them; the cost of choosing stays bounded however large the node.
    int sampledPolygons = 256;
    // A polygon cut in two costs as much as this much imbalance.
    double splitWeight = 8.0;
    // Nodes with more polygons than this may be parted by a plane across
    // the longest side of their box instead of a polygon's plane.
    std::size_t leafPolygons = 24;
    // Deepest tree accepted; the game reads nothing deeper.
    int maximumDepth = maximumBspDepth;
};

struct BspCompileStats {
    std::size_t inputPolygons = 0;
    std::size_t droppedPolygons = 0;  // degenerate ones
    std::size_t treePolygons = 0;     // pieces stored in the tree
    std::size_t nodes = 0;
    std::size_t splits = 0;      // polygons cut by a node plane
    std::size_t axisSplits = 0;  // nodes parted by a plane across their box
    int depth = 0;
};

struct BspCompileResult {
    std::unique_ptr<BspNode> root;  // none when there is nothing to collide with
    BspCompileStats stats;
    std::vector<std::string> warnings;  // one per dropped polygon
    std::string error;                  // set when the tree could not be built

    bool ok() const { return error.empty(); }
};

// Builds a tree whose node planes are planes of the polygons: at each node
// the candidate plane with the lowest cost (splits against balance) is
// chosen, polygons lying in it stay in the node (whichever way they face),
// the others go front or back, and those straddling it are cut. Degenerate
// polygons are dropped with a warning. Fails, rather than produce a tree the
// game would refuse, when the tree would be deeper than the maximum depth or
// the cuts multiply the polygons beyond reason.
BspCompileResult compileBsp(const std::vector<SourcePolygon>& polygons,
                            const BspCompileOptions& options = {});

// The collision polygons of the source, as the compiler builds them before
// any cut (degenerate ones left out): what a brute-force search would test.
std::vector<CollisionPolygon> collisionPolygons(const std::vector<SourcePolygon>& polygons);

}  // namespace tools
