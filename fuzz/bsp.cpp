// The BSP section reader and the flat query form built from it: refused
// with the reader failed and no tree, or a tree within the depth limit whose
// flat walk answers what the node walk answers, bit for bit, on segments
// aimed at the tree's own corners (it may find more only where the node walk
// misses: a segment lying in a node plane).
#include "FuzzSupport.h"

#include "geometry/BspNode.h"
#include "geometry/BspTree.h"
#include "world/World.h"

#include "support/SameHit.h"

#include <vector>

namespace {
// Corners of the first polygons in pre-order: where the walks' edge cases are.
std::vector<Vector3> cornersOf(const BspNode* root, std::size_t wanted)
{
    std::vector<Vector3> corners;
    std::vector<const BspNode*> pending{root};
    while (!pending.empty() && corners.size() < wanted) {
        const BspNode* node = pending.back();
        pending.pop_back();
        for (const CollisionPolygon& polygon : node->polygons)
            for (const Vertex& v : polygon.vertices)
                if (corners.size() < wanted) corners.push_back(v.position);
        if (node->back) pending.push_back(node->back.get());
        if (node->front) pending.push_back(node->front.get());
    }
    return corners;
}

void compare(const BspTree& tree, const Vector3& a, const Vector3& b)
{
    const std::optional<TraceHit> reference = tree.root()->referenceIntersectSegment(a, b);
    const std::optional<TraceHit> flat = tree.intersectSegment(a, b);
    if (reference && !sameHit(reference, flat)) {
        fuzz::broken("the flat walk answered otherwise than the node walk");
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TokenReader in(std::string(reinterpret_cast<const char*>(data), size));
    std::unique_ptr<BspNode> root = readBspTree(in);
    if (!in.ok()) {
        if (root) fuzz::broken("a failed read kept a tree");
        return 0;
    }
    if (!root) return 0;
    if (root->depth() > maximumBspDepth) fuzz::broken("tree too deep");
    World world;
    world.bspTree = std::move(root);
    const BspTree& tree = world.bspTree;
    (void)world.traceSegment({0, 10, 0}, {0, -10, 0});
    (void)world.traceSegment({-1e6, 3, 2}, {1e6, -3, -2});

    const std::vector<Vector3> corners = cornersOf(tree.root(), 12);
    const Vector3 up{0, 5, 0}, nudge{3e-6, 0, -7e-6};
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const Vector3& c = corners[k];
        compare(tree, c + up, c - up);
        compare(tree, c + up + nudge, c - up + nudge);
        compare(tree, c - up - nudge, c + up - nudge);
        const Vector3& other = corners[(k * 7 + 3) % corners.size()];
        compare(tree, c + (c - other), other + (other - c) * 0.5);
    }
    return 0;
}
