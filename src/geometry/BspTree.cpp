#include "geometry/BspTree.h"

#include "geometry/HitRegion.h"
#include "math/OutwardFloat.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Boxes are only trusted for segments within this range of the origin:
// there, every crossing point is computed to far better than the margin
// below, so a hit cannot fall outside the box of the subtree that reports it.
constexpr double boundedRange = 1e6;
// World units added to every box, and the slack on segment parameters.
constexpr double boxMargin = 1e-4;
constexpr double parameterSlack = 1e-9;
// Crossings kept on the walk's own stack before it recurses.
constexpr int stackDepth = 64;
// Subtrees with more polygon corners than this are measured by their boxes.
constexpr std::size_t mostCornersMeasured = 512;

bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool withinRange(const Vector3& v)
{
    return std::fabs(v.x) <= boundedRange && std::fabs(v.y) <= boundedRange &&
           std::fabs(v.z) <= boundedRange;
}

// The box widened by the margin, in floats rounded outward.
void storeLoosened(const BoundingBox& box, float (&low)[3], float (&high)[3])
{
    const double lows[3] = {box.minX, box.minY, box.minZ};
    const double highs[3] = {box.maxX, box.maxY, box.maxZ};
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = roundedDown(lows[axis] - boxMargin);
        high[axis] = roundedUp(highs[axis] + boxMargin);
    }
}

constexpr BoundingBox emptyBox = BoundingBox::empty();
constexpr BoundingBox everywhereBox = BoundingBox::everywhere();
}  // namespace

// What every step of one query shares: its start, and the inverse of its
// direction for the box tests (a huge finite value for a zero component, so
// that no 0 * infinity arises).
struct BspTree::Query {
    Vector3 a;
    Vector3 b;
    Vector3 inverse;
    bool useBoxes = false;
    // Second pass only: a segment lying in a node plane goes to both sides.
    bool bothSidesInPlane = false;
    // Set when a segment lying in a plane left a back side unsearched.
    bool backSkippedInPlane = false;

    // The nearest hit so far, and its parameter along A->B: nothing beyond
    // it is searched.
    std::optional<TraceHit> nearest;
    double nearestParameter = HUGE_VAL;

    Query(const Vector3& start, const Vector3& end) : a(start), b(end)
    {
        useBoxes = finite(start) && finite(end) && withinRange(start) && withinRange(end);
        const Vector3 d = end - start;
        auto invert = [](double v) { return std::fabs(v) > 1e-300 ? 1.0 / v : 1e300; };
        inverse = {invert(d.x), invert(d.y), invert(d.z)};
    }
};

BspTree::BspTree(std::unique_ptr<BspNode> root) : root_(std::move(root))
{
    if (!root_ || root_->polygons.empty()) return;
    // Pre-order with an explicit work list, as deep as the file allows.
    std::vector<const BspNode*> source;
    std::vector<const BspNode*> pending{root_.get()};
    while (!pending.empty()) {
        const BspNode* next = pending.back();
        pending.pop_back();
        source.push_back(next);
        if (next->back) pending.push_back(next->back.get());
        if (next->front) pending.push_back(next->front.get());
    }
    // Sized first: a large tree would otherwise copy every array several
    // times over as it grows.
    std::size_t polygonTotal = 0, edgeTotal = 0;
    for (const BspNode* node : source) {
        polygonTotal += node->polygons.size();
        for (const CollisionPolygon& polygon : node->polygons)
            edgeTotal += polygon.edgePlanes.size();
    }
    nodes_.reserve(source.size());
    nodePolygons_.reserve(source.size());
    polygons_.reserve(polygonTotal);
    edges_.reserve(edgeTotal);
    for (const BspNode* node : source) {
        nodes_.emplace_back();
        nodePolygons_.push_back({static_cast<std::uint32_t>(polygons_.size()),
                                 static_cast<std::uint32_t>(node->polygons.size())});
        if (!node->polygons.empty()) nodes_.back().split = node->polygons.front().plane;
        for (const CollisionPolygon& polygon : node->polygons) {
            polygons_.push_back({polygon.plane, static_cast<std::uint32_t>(edges_.size()),
                                 static_cast<std::uint32_t>(polygon.edgePlanes.size())});
            edges_.insert(edges_.end(), polygon.edgePlanes.begin(), polygon.edgePlanes.end());
        }
    }
    // Children were placed in pre-order: the front child right after its
    // parent, the back child after the whole front subtree. A node without
    // polygons ends the walk as a missing child does, so it is linked as none.
    const std::size_t count = nodes_.size();
    std::vector<std::size_t> subtreeEnd(count);
    std::vector<std::int32_t> parent(count, -1);
    std::vector<double> side(count, 1.0);  // +1 in front of the parent's plane, -1 behind
    for (std::size_t k = count; k-- > 0;) {
        const BspNode* node = source[k];
        std::size_t next = k + 1;
        if (node->front) {
            if (!source[next]->polygons.empty()) nodes_[k].links |= 1u;
            parent[next] = static_cast<std::int32_t>(k);
            next = subtreeEnd[next];
        }
        if (node->back) {
            if (!source[next]->polygons.empty())
                nodes_[k].links |= static_cast<std::uint32_t>(next + 1) << 1;
            parent[next] = static_cast<std::int32_t>(k);
            side[next] = -1.0;
            next = subtreeEnd[next];
        }
        subtreeEnd[k] = next;
    }

    // Each polygon's accepted region in its node's plane, by its corners;
    // polygons follow their nodes in pre-order, so a subtree's polygons are
    // one run of this list.
    std::vector<HitCorner> corners;
    std::vector<std::size_t> firstCorner;         // per polygon, and one past the last
    std::vector<std::size_t> unboundedBefore{0};  // polygons without a region before each
    corners.reserve(edgeTotal);                   // as many as edges, in a convex polygon
    firstCorner.reserve(polygonTotal + 1);
    unboundedBefore.reserve(polygonTotal + 1);
    for (std::size_t k = 0; k < count; ++k) {
        for (const CollisionPolygon& polygon : source[k]->polygons) {
            firstCorner.push_back(corners.size());
            const bool bounded =
                appendHitRegionCorners(nodes_[k].split, polygon.edgePlanes, corners);
            unboundedBefore.push_back(unboundedBefore.back() + (bounded ? 0 : 1));
        }
    }
    firstCorner.push_back(corners.size());

    // Boxes, children before parents: a node's hits lie in its plane where
    // one of its polygons accepts them.
    std::vector<BoundingBox> boxes(count, emptyBox);
    for (std::size_t k = count; k-- > 0;) {
        Node& node = nodes_[k];
        BoundingBox& box = boxes[k];
        const NodePolygons& own = nodePolygons_[k];
        const bool bounded = unboundedBefore[own.first + own.count] == unboundedBefore[own.first];
        if (bounded) {
            ++boundedNodes_;
            for (std::size_t c = firstCorner[own.first]; c < firstCorner[own.first + own.count];
                 ++c)
                includeCorner(box, corners[c]);
            storeLoosened(box, nodePolygons_[k].low, nodePolygons_[k].high);
        } else {
            box = everywhereBox;
        }
        for (std::int32_t child : {node.front(static_cast<std::int32_t>(k)), node.back()}) {
            if (child >= 0) box.include(boxes[static_cast<std::size_t>(child)]);
        }
        storeLoosened(box, node.low, node.high);
    }

    // How far onto the parent's side of its plane each subtree's hits can
    // reach: the least distance over its polygons' corners, less their
    // rounding and the box margin (a hit lies that close to the regions).
    // A large subtree is measured by its box instead, looser but in bounded
    // time, so that a deep tree costs no more than a shallow one.
    for (std::size_t k = 1; k < count; ++k) {
        if (parent[k] < 0) continue;
        const auto up = static_cast<std::size_t>(parent[k]);
        const Plane& plane = nodes_[up].split;
        const std::size_t first = nodePolygons_[k].first;
        const std::size_t last =
            subtreeEnd[k] < count ? nodePolygons_[subtreeEnd[k]].first : polygons_.size();
        if (unboundedBefore[last] != unboundedBefore[first]) continue;
        const double scale = std::fabs(plane.a) + std::fabs(plane.b) + std::fabs(plane.c);
        double least = HUGE_VAL;
        const bool large = firstCorner[last] - firstCorner[first] > mostCornersMeasured;
        if (large) {
            const BoundingBox& box = boxes[k];
            const double n[3] = {side[k] * plane.a, side[k] * plane.b, side[k] * plane.c};
            const double low[3] = {box.minX, box.minY, box.minZ};
            const double high[3] = {box.maxX, box.maxY, box.maxZ};
            least = side[k] * plane.d - boxMargin * scale;
            for (int axis = 0; axis < 3; ++axis)
                least += std::min(n[axis] * low[axis], n[axis] * high[axis]);
        }
        for (std::size_t c = firstCorner[first]; !large && c < firstCorner[last]; ++c) {
            const double reach = side[k] * plane.distance(corners[c].point) -
                                 (corners[c].rounding + boxMargin) * scale;
            // A distance lost to overflow (NaN) leaves the bound unknown,
            // however many usable ones follow it.
            if (std::isnan(reach)) {
                least = reach;
                break;
            }
            if (reach < least) least = reach;
        }
        if (std::isfinite(least)) nodes_[k].parentSide = roundedDown(least);
    }
}

bool BspTree::reaches(const Query& query, std::int32_t child, double lowParameter,
                      double highParameter) const
{
    if (child < 0) return false;
    if (!query.useBoxes) return true;
    // The part of A->B from lowParameter to highParameter.
    const Node& node = nodes_[static_cast<std::size_t>(child)];
    const double x1 = (node.low[0] - query.a.x) * query.inverse.x;
    const double x2 = (node.high[0] - query.a.x) * query.inverse.x;
    const double y1 = (node.low[1] - query.a.y) * query.inverse.y;
    const double y2 = (node.high[1] - query.a.y) * query.inverse.y;
    const double z1 = (node.low[2] - query.a.z) * query.inverse.z;
    const double z2 = (node.high[2] - query.a.z) * query.inverse.z;
    const double enter =
        std::max({lowParameter, std::min(x1, x2), std::min(y1, y2), std::min(z1, z2)});
    const double leave =
        std::min({highParameter, std::max(x1, x2), std::max(y1, y2), std::max(z1, z2)});
    // Written so that a parameter lost to overflow (NaN) enters.
    return !(enter > leave + parameterSlack);
}

double BspTree::farLowParameter(const Query& query, std::int32_t far, double fromDistance,
                                double towardsFar, double lowParameter) const
{
    if (far < 0 || !query.useBoxes) return lowParameter;
    // Along A->B the distance from the plane, measured towards the far
    // side, grows from fromDistance at the rate towardsFar (> 0, the
    // segment crosses); the far subtree's hits lie no nearer than its
    // parentSide.
    const double side = nodes_[static_cast<std::size_t>(far)].parentSide;
    const double bound = (side - fromDistance) / towardsFar - parameterSlack;
    // Written so that a bound lost to overflow (NaN) changes nothing.
    return bound > lowParameter ? bound : lowParameter;
}

double BspTree::nearHighParameter(const Query& query, std::int32_t near, double fromDistance,
                                  double towardsFar, double highParameter) const
{
    if (near < 0 || !query.useBoxes) return highParameter;
    // The near subtree's hits lie no further onto the far side than its
    // parentSide allows: a little past the plane in a sound tree.
    const double side = nodes_[static_cast<std::size_t>(near)].parentSide;
    const double bound = (-side - fromDistance) / towardsFar + parameterSlack;
    return bound < highParameter ? bound : highParameter;
}

void BspTree::testNode(Query& query, std::int32_t node, double t, const Vector3& p) const
{
    if (query.nearest && !(t <= query.nearestParameter + parameterSlack)) return;
    const std::optional<TraceHit> hit = hitInNode(query, node, p);
    if (hit && (!query.nearest || hit->distance < query.nearest->distance)) {
        query.nearest = hit;
        query.nearestParameter = t;
    }
}

std::optional<TraceHit> BspTree::hitInNode(const Query& query, std::int32_t node,
                                           const Vector3& p) const
{
    // A crossing lost to overflow (absurd planes or ends) is no hit:
    // `contains` would accept a NaN point.
    if (!finite(p)) return std::nullopt;
    const NodePolygons& list = nodePolygons_[static_cast<std::size_t>(node)];
    if (query.useBoxes && (p.x < list.low[0] || p.x > list.high[0] || p.y < list.low[1] ||
                           p.y > list.high[1] || p.z < list.low[2] || p.z > list.high[2]))
        return std::nullopt;
    const Polygon* polygon = polygons_.data() + list.first;
    const Polygon* last = polygon + list.count;
    for (; polygon != last; ++polygon) {
        const Plane* edge = edges_.data() + polygon->firstEdge;
        const Plane* edgesEnd = edge + polygon->edgeCount;
        while (edge != edgesEnd && !(edge->distance(p) < -planeEpsilon)) ++edge;
        if (edge == edgesEnd) return TraceHit{(p - query.a).length(), p, polygon->plane};
    }
    return std::nullopt;
}

std::optional<TraceHit> BspTree::intersectSegment(const Vector3& a, const Vector3& b) const
{
    if (nodes_.empty()) return std::nullopt;
    Query query(a, b);
    if (!reaches(query, 0, 0.0, 1.0)) return std::nullopt;
    walk(query, 0, 0.0, 1.0);
    if (query.nearest) return query.nearest;
    // A segment within planeEpsilon of a node plane is searched on the front
    // side only, so a polygon just behind the plane that it plainly crosses
    // (a vertical probe over the very edge of a crate top, say) was never
    // tested. Only when that left the query without any hit, the search is
    // repeated with such segments searched in front and then behind: a miss
    // can become a hit, and every hit found before stays as it was.
    if (!query.backSkippedInPlane) return std::nullopt;
    query.bothSidesInPlane = true;
    walk(query, 0, 0.0, 1.0);
    return query.nearest;
}

void BspTree::walk(Query& query, std::int32_t start, double lowParameter,
                   double highParameter) const
{
    // The near side of a crossing is walked first; the node's polygons and
    // its far side wait here. Parameters run along A->B (every side is
    // searched with the whole segment); no hit of the subtree being walked
    // lies outside lowParameter..highParameter, nor can one beyond the
    // nearest found so far replace it, so those parts are passed over.
    struct Waiting {
        std::int32_t node;  // whose polygons to test; -1 for none (in its plane)
        std::int32_t far;
        double lowParameter;
        double highParameter;
        double fromDistance;  // for the far side's bound: see farLowParameter
        double towardsFar;
        double crossingParameter;
        Vector3 crossing;
    };
    Waiting waiting[stackDepth];
    int waitingCount = 0;
    const Vector3& a = query.a;
    const Vector3& b = query.b;
    std::int32_t index = start;
    // Written so that a parameter lost to overflow (NaN) keeps the bound.
    auto withinNearest = [&](double high) {
        const double limit = query.nearestParameter + parameterSlack;
        return limit < high ? limit : high;
    };
    for (;;) {
        while (index >= 0) {
            highParameter = withinNearest(highParameter);
            const Node& node = nodes_[static_cast<std::size_t>(index)];
            const std::int32_t front = node.front(index);
            const std::int32_t back = node.back();
            // The front child follows in memory; the back child is fetched
            // while the plane test decides.
            if (back >= 0) __builtin_prefetch(&nodes_[static_cast<std::size_t>(back)]);
            const double dA = node.split.distance(a);
            const double dB = node.split.distance(b);
            // Front first: a segment lying in the plane goes to the front only.
            if (dA > -planeEpsilon && dB > -planeEpsilon) {
                if (dA < planeEpsilon && dB < planeEpsilon && back >= 0) {
                    if (!query.bothSidesInPlane) {
                        query.backSkippedInPlane = true;
                    } else if (waitingCount == stackDepth) {
                        if (reaches(query, front, lowParameter, highParameter))
                            walk(query, front, lowParameter, highParameter);
                        highParameter = withinNearest(highParameter);
                        index = reaches(query, back, lowParameter, highParameter) ? back : -1;
                        continue;
                    } else {
                        // No crossing: the back side keeps the level's bounds.
                        waiting[waitingCount++] = {-1,       back, lowParameter, highParameter,
                                                   HUGE_VAL, 1.0,  0.0,          a};
                    }
                }
                index = reaches(query, front, lowParameter, highParameter) ? front : -1;
                continue;
            }
            if (dA < planeEpsilon && dB < planeEpsilon) {
                index = reaches(query, back, lowParameter, highParameter) ? back : -1;
                continue;
            }
            const double t = dA / (dA - dB);
            const bool startInFront = dA > -planeEpsilon;
            const std::int32_t nearSide = startInFront ? front : back;
            const std::int32_t farSide = startInFront ? back : front;
            const double fromDistance = startInFront ? -dA : dA;
            const double towardsFar = startInFront ? dA - dB : dB - dA;
            const double nearHigh =
                nearHighParameter(query, nearSide, fromDistance, towardsFar, highParameter);
            // The crossing comes before any hit this subtree can hold: the
            // node's polygons cannot report one.
            const bool crossingUsable = !(t < lowParameter - parameterSlack);
            const Vector3 p = a + (b - a) * t;
            if (waitingCount == stackDepth) {
                // Deeper than the stack here: the near side on a fresh one.
                if (reaches(query, nearSide, lowParameter, nearHigh))
                    walk(query, nearSide, lowParameter, nearHigh);
                if (crossingUsable) testNode(query, index, t, p);
                highParameter = withinNearest(highParameter);
                lowParameter =
                    farLowParameter(query, farSide, fromDistance, towardsFar, lowParameter);
                index = reaches(query, farSide, lowParameter, highParameter) ? farSide : -1;
                continue;
            }
            // Both are read when the near side is done: fetch them meanwhile.
            __builtin_prefetch(&nodePolygons_[static_cast<std::size_t>(index)]);
            if (farSide >= 0) __builtin_prefetch(&nodes_[static_cast<std::size_t>(farSide)]);
            waiting[waitingCount++] = {crossingUsable ? index : -1,
                                       farSide,
                                       lowParameter,
                                       highParameter,
                                       fromDistance,
                                       towardsFar,
                                       t,
                                       p};
            index = reaches(query, nearSide, lowParameter, nearHigh) ? nearSide : -1;
            highParameter = nearHigh;
        }
        if (waitingCount == 0) return;
        const Waiting& next = waiting[--waitingCount];
        if (next.node >= 0) testNode(query, next.node, next.crossingParameter, next.crossing);
        highParameter = withinNearest(next.highParameter);
        lowParameter =
            farLowParameter(query, next.far, next.fromDistance, next.towardsFar, next.lowParameter);
        index = reaches(query, next.far, lowParameter, highParameter) ? next.far : -1;
    }
}
