#pragma once

#include "geometry/CollisionPolygon.h"
#include "geometry/TraceHit.h"
#include "text/TokenReader.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// A node of the pre-built binary space partition of the static geometry.
// The node plane is the plane of its first polygon.
struct BspNode {
    std::unique_ptr<BspNode> front;
    std::unique_ptr<BspNode> back;
    std::vector<CollisionPolygon> polygons;  // never empty

    ~BspNode();

    // The reference walk over the nodes as read: the nearest polygon the
    // segment A->B crosses, where a segment on one side of a node plane is
    // searched on that side only and a crossing one on both, near side,
    // node, far side (the earlier on equal distances); none on a miss. The
    // distance is from A. The game traces through BspTree, whose flat walk
    // answers the same; this one is for tools and tests.
    std::optional<TraceHit> referenceIntersectSegment(const Vector3& a, const Vector3& b) const;

    int depth() const;
    std::size_t nodeCount() const;
    std::size_t polygonCount() const;
};

// Deepest tree a file may hold: queries recurse once per level, and this
// keeps the deepest recursion far inside the stack.
constexpr int maximumBspDepth = 4096;

// Reads one node record in pre-order; none for a count of 0 (and, on a
// malformed record, none with the reader failed).
std::unique_ptr<BspNode> readBspTree(TokenReader& in);

// Writes the tree in the format readBspTree reads ("0" for none). Every
// node needs a polygon: a node without one cannot be written.
void writeBspTree(std::string& out, const BspNode* root);
