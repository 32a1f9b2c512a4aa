#include "geometry/BspNode.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {
// The smallest collision polygon record: a plane and a corner count.
constexpr int tokensPerPolygon = 5;

// The debug colour takes three draws of the generator as 15-bit values
// (0 to 32767), scaled to 0..0.7. glibc's rand() reaches 2^31 - 1, so only
// its low 15 bits are used to keep the colours in that range.
double debugComponent() { return static_cast<double>(std::rand() % 32768) / 32767.0 * 0.7; }

}  // namespace

BspNode::~BspNode()
{
    // Unlink the subtrees onto a work list so that deleting even a long
    // chain never recurses: every node is destroyed childless.
    if (!front && !back) return;
    std::vector<std::unique_ptr<BspNode>> pending;
    if (front) pending.push_back(std::move(front));
    if (back) pending.push_back(std::move(back));
    while (!pending.empty()) {
        std::unique_ptr<BspNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->front) pending.push_back(std::move(node->front));
        if (node->back) pending.push_back(std::move(node->back));
    }
}

std::optional<TraceHit> BspNode::referenceIntersectSegment(const Vector3& a, const Vector3& b) const
{
    // A segment on one side of a plane loops here; a crossing searches both
    // sides, each recursively, with the whole segment A..B.
    const BspNode* node = this;
    while (node) {
        if (node->polygons.empty()) return std::nullopt;
        const Plane& split = node->polygons.front().plane;
        const double dA = split.distance(a);
        const double dB = split.distance(b);
        // Front first: a segment lying in the plane goes to the front only.
        if (dA > -planeEpsilon && dB > -planeEpsilon) {
            node = node->front.get();
            continue;
        }
        if (dA < planeEpsilon && dB < planeEpsilon) {
            node = node->back.get();
            continue;
        }
        const double t = dA / (dA - dB);
        const Vector3 p = a + (b - a) * t;
        const bool startInFront = dA > -planeEpsilon;
        const BspNode* nearSide = startInFront ? node->front.get() : node->back.get();
        const BspNode* farSide = startInFront ? node->back.get() : node->front.get();

        // Each side gets the whole segment, not just its part of it: a
        // polygon filed on one side may reach up to the classification's
        // tolerance past the plane, where several nearly parallel planes
        // meet at a vertex, and its crossing lies just beyond the node
        // plane. So the answer is the nearest of the three searches, the
        // earlier one on equal distances.
        std::optional<TraceHit> nearest;
        if (nearSide) nearest = nearSide->referenceIntersectSegment(a, b);
        // A crossing lost to overflow (absurd planes or ends) is no hit:
        // `contains` would accept a NaN point.
        const bool usable = std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        for (const CollisionPolygon& polygon : node->polygons) {
            if (!usable || !polygon.contains(p)) continue;
            const double distance = (p - a).length();
            if (!nearest || distance < nearest->distance)
                nearest = TraceHit{distance, p, polygon.plane};
            break;
        }
        if (farSide) {
            const std::optional<TraceHit> far = farSide->referenceIntersectSegment(a, b);
            if (far && (!nearest || far->distance < nearest->distance)) nearest = far;
        }
        return nearest;
    }
    return std::nullopt;
}

namespace {
// Visits every node under `root` with its level (the root's is 1), with an
// explicit work list so that a deep tree cannot exhaust the stack.
template <typename Visit>
void visitNodes(const BspNode* root, Visit visit)
{
    std::vector<std::pair<const BspNode*, int>> pending{{root, 1}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        visit(*node, level);
        if (node->front) pending.emplace_back(node->front.get(), level + 1);
        if (node->back) pending.emplace_back(node->back.get(), level + 1);
    }
}
}  // namespace

int BspNode::depth() const
{
    int deepest = 0;
    visitNodes(this, [&](const BspNode&, int level) {
        if (level > deepest) deepest = level;
    });
    return deepest;
}

std::size_t BspNode::nodeCount() const
{
    std::size_t count = 0;
    visitNodes(this, [&](const BspNode&, int) { ++count; });
    return count;
}

std::size_t BspNode::polygonCount() const
{
    std::size_t count = 0;
    visitNodes(this, [&](const BspNode& node, int) { count += node.polygons.size(); });
    return count;
}

std::unique_ptr<BspNode> readBspTree(TokenReader& in)
{
    // Pre-order with an explicit work list: each entry is the link a node
    // record fills, so a deep file cannot exhaust the stack while reading.
    struct Pending {
        std::unique_ptr<BspNode>* link;
        int depth;
    };
    std::unique_ptr<BspNode> root;
    std::vector<Pending> pending{{&root, 1}};
    long nodeIndex = 0;
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();

        TokenReader::Scope scope(in, "BSP node", nodeIndex);
        int count = 0;
        if (!in.readCount(count, tokensPerPolygon)) return nullptr;
        if (count == 0) continue;
        if (next.depth > maximumBspDepth) {
            in.fail("a BSP tree at most " + std::to_string(maximumBspDepth) + " levels deep");
            return nullptr;
        }
        ++nodeIndex;

        const double r = debugComponent();
        const double g = debugComponent();
        const double b = debugComponent();
        auto node = std::make_unique<BspNode>();
        node->polygons.reserve(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            TokenReader::Scope polygonScope(in, "polygon", k);
            std::optional<CollisionPolygon> polygon = readCollisionPolygon(in);
            if (!polygon) return nullptr;
            polygon->debugColour = {r, g, b};
            node->polygons.push_back(std::move(*polygon));
        }
        *next.link = std::move(node);
        BspNode& placed = **next.link;
        // The front subtree's record comes first, so it is taken first.
        pending.push_back({&placed.back, next.depth + 1});
        pending.push_back({&placed.front, next.depth + 1});
    }
    return root;
}

void writeBspTree(std::string& out, const BspNode* root)
{
    std::vector<const BspNode*> pending{root};
    while (!pending.empty()) {
        const BspNode* node = pending.back();
        pending.pop_back();
        if (!node) {
            out += "0\n";
            continue;
        }
        out += std::to_string(node->polygons.size());
        out += '\n';
        for (const CollisionPolygon& polygon : node->polygons) writeCollisionPolygon(out, polygon);
        pending.push_back(node->back.get());
        pending.push_back(node->front.get());
    }
}
