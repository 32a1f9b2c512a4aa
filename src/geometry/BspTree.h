#pragma once

#include "geometry/BspNode.h"
#include "geometry/Plane.h"
#include "geometry/TraceHit.h"
#include "math/Vector3.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The world's collision tree. It owns the nodes as they were read (which
// the writer, the tools and the debug view use) and keeps the same tree
// laid out flat for queries: nodes, polygons and edge planes in contiguous
// arrays linked by index, each node with a box around every point its
// subtree can report. A query walks nodes in the same order as
// BspNode::referenceIntersectSegment and reports the same hit, bit for bit;
// it only passes over what cannot report a nearer hit: subtrees whose box
// the segment cannot reach, the parts of the segment where a side's hits
// cannot lie (a side's polygons reach only a little past the node plane),
// everything beyond the nearest hit found so far, and crossings outside the
// box of the node's own polygons. One departure: when that walk misses, and
// only because a segment lying in a node plane went to the front side
// alone, the walk is repeated searching both sides of such planes (front
// first), so that a polygon the segment plainly crosses just behind the
// plane is not lost.
class BspTree {
public:
    BspTree() = default;
    // Implicit, so that a freshly read or built tree is simply assigned.
    BspTree(std::unique_ptr<BspNode> root);

    // The nodes as they were read or built, for writing the tree, for the
    // debug view and for the reference walk; none for an empty tree.
    const BspNode* root() const { return root_.get(); }
    bool empty() const { return root_ == nullptr; }
    void reset() { *this = BspTree(); }

    // The nearest polygon the segment A->B crosses, searched near side,
    // node, far side (the earlier on equal distances; failing any hit, both
    // sides of planes the segment lies in); none on a miss. The distance is
    // from A. Allocates nothing.
    std::optional<TraceHit> intersectSegment(const Vector3& a, const Vector3& b) const;

    // How many nodes have a finite box around their own polygons (the rest
    // are always entered): a measure of how much the boxes can pass over.
    std::size_t boundedNodeCount() const { return boundedNodes_; }

private:
    // One cache line: all that a step of the walk reads.
    struct alignas(64) Node {
        Plane split;    // the first polygon's plane
        float low[3];   // box around every hit in the subtree, loosened and
        float high[3];  // rounded outward; infinite when a region in it is unbounded
        // The least distance from the parent's plane, measured towards this
        // node's side, at which a hit in this subtree can lie (a little
        // below zero in a sound tree): the part of a segment in front of
        // that cannot hit anything here. -infinity when unknown.
        float parentSide = -HUGE_VALF;
        // Bit 0: a front child, always at the next index. Above it: the
        // back child's index + 1, or 0 for none. A child without polygons
        // ends the walk at once, so it is linked as none.
        std::uint32_t links = 0;

        std::int32_t front(std::int32_t self) const { return (links & 1u) ? self + 1 : -1; }
        std::int32_t back() const { return static_cast<std::int32_t>(links >> 1) - 1; }
    };
    // A node's own polygons, with a box around their hits (as the node's,
    // but without its children), so that most crossings are turned away
    // before a polygon is read.
    struct NodePolygons {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        float low[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
        float high[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF};
    };
    struct Polygon {
        Plane plane;
        std::uint32_t firstEdge = 0;
        std::uint32_t edgeCount = 0;
    };
    struct Query;

    void walk(Query& query, std::int32_t start, double lowParameter, double highParameter) const;
    void testNode(Query& query, std::int32_t node, double t, const Vector3& p) const;
    std::optional<TraceHit> hitInNode(const Query& query, std::int32_t node,
                                      const Vector3& p) const;
    bool reaches(const Query& query, std::int32_t child, double lowParameter,
                 double highParameter) const;
    double farLowParameter(const Query& query, std::int32_t far, double fromDistance,
                           double towardsFar, double lowParameter) const;
    double nearHighParameter(const Query& query, std::int32_t near, double fromDistance,
                             double towardsFar, double highParameter) const;

    std::unique_ptr<BspNode> root_;
    std::vector<Node> nodes_;  // pre-order: the root first
    std::vector<NodePolygons> nodePolygons_;
    std::vector<Polygon> polygons_;
    std::vector<Plane> edges_;
    std::size_t boundedNodes_ = 0;
};
