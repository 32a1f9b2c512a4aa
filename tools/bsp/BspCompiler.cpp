#include "bsp/BspCompiler.h"

#include "bsp/CollisionBuilder.h"
#include "geometry/BoundingBox.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>

namespace tools {

namespace {

// Candidates tried before a node whose planes all leave the rest on one side
// is taken for a convex patch.
constexpr std::size_t convexPatchTries = 6;

class TreeBuilder {
public:
    TreeBuilder(std::vector<CollisionPolygon> polygons, const BspCompileOptions& options,
                BspCompileStats& stats)
        : options_(options),
          stats_(stats)
    {
        // Cuts normally add a few percent; many times the input means the
        // planes shred each other and the tree would be useless anyway.
        mostPieces_ = polygons.size() * 16 + 100000;
        // Room for the pieces the cuts add, so the packed corners are
        // seldom moved.
        std::size_t given = 0;
        for (const CollisionPolygon& p : polygons) given += p.vertices.size();
        corners_.reserve(given * 4);
        cornerRange_.reserve(polygons.size() * 4);
        for (CollisionPolygon& p : polygons) add(std::move(p));
    }

    std::unique_ptr<BspNode> buildAll(std::string& error)
    {
        std::vector<std::size_t> all(pool_.size());
        for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
        auto root = build(all, 1);
        error = error_;
        if (!error_.empty()) return nullptr;
        return root;
    }

private:
    // Where a polygon's corners sit in corners_: the splitter search reads
    // them for every candidate, so they are packed together rather than
    // spread through the polygons' vertex records.
    struct CornerRange {
        std::size_t first = 0;
        std::size_t count = 0;
    };

    Side sideOf(std::size_t index, const Plane& plane) const
    {
        const CornerRange range = cornerRange_[index];
        bool front = false;
        bool back = false;
        for (std::size_t k = range.first; k < range.first + range.count; ++k) {
            const double d = plane.distance(corners_[k]);
            front = front || d > planeEpsilon;
            back = back || d < -planeEpsilon;
        }
        if (front && back) return Side::Spanning;
        if (front) return Side::Front;
        if (back) return Side::Back;
        return Side::Coplanar;
    }

    std::size_t chooseSplitter(const std::vector<std::size_t>& list, double& bestCost) const
    {
        const std::size_t n = list.size();
        const std::size_t tries =
            std::min<std::size_t>(n, static_cast<std::size_t>(std::max(1, options_.candidates)));
        // The cost of a candidate is judged on an even sample of the list:
        // a few hundred polygons rank the candidates as well as all of them.
        const std::size_t samples = std::min<std::size_t>(
            n, static_cast<std::size_t>(std::max(1, options_.sampledPolygons)));
        bestCost = std::numeric_limits<double>::infinity();
        std::size_t best = 0;
        bool allOneSided = true;
        for (std::size_t k = 0; k < tries; ++k) {
            // Where the first candidates all leave every other polygon on
            // one side and cut nothing, the node holds a convex patch (a
            // smooth hill, say): any plane of it does as well as another,
            // and searching on costs the time of a whole node per try.
            if (k == convexPatchTries && allOneSided) break;
            const std::size_t candidate = k * n / tries;
            const Plane& plane = pool_[list[candidate]].plane;
            double front = 0.0;
            double back = 0.0;
            double splits = 0.0;
            bool hopeless = false;
            for (std::size_t s = 0; s < samples && !hopeless; ++s) {
                const std::size_t i = s * n / samples;
                if (i == candidate) continue;
                switch (sideOf(list[i], plane)) {
                case Side::Front: front += 1.0; break;
                case Side::Back: back += 1.0; break;
                case Side::Spanning:
                    splits += 1.0;
                    hopeless = splits * options_.splitWeight >= bestCost;
                    break;
                case Side::Coplanar: break;
                }
            }
            allOneSided = allOneSided && splits == 0.0 && (front == 0.0 || back == 0.0);
            if (hopeless) continue;
            const double cost = splits * options_.splitWeight + std::fabs(front - back);
            if (cost < bestCost) {
                bestCost = cost;
                best = candidate;
            }
        }
        // A convex patch chains one polygon per level whichever plane is
        // taken: as bad as a node can split.
        if (allOneSided) bestCost = std::max(bestCost, static_cast<double>(samples));
        return best;
    }

    // Where the polygon planes split a large node badly (a smooth hill
    // chains one triangle per level, a long wall cuts everything), a plane
    // across the longest side of its box, through a corner near the middle
    // (a grid's lines cut nothing), parts it evenly. Judged on the same
    // sample and by the same cost as the polygon planes; none when those do
    // as well or the plane would leave one side empty.
    std::optional<Plane> chooseAxisPlane(const std::vector<std::size_t>& list,
                                         double polygonCost) const
    {
        const std::size_t n = list.size();
        const std::size_t samples = std::min<std::size_t>(
            n, static_cast<std::size_t>(std::max(1, options_.sampledPolygons)));
        BoundingBox box = BoundingBox::empty();
        for (std::size_t s = 0; s < samples; ++s) {
            const CornerRange range = cornerRange_[list[s * n / samples]];
            for (std::size_t k = range.first; k < range.first + range.count; ++k)
                box.include(BoundingBox::at(corners_[k]));
        }
        const double extents[3] = {box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ};
        const int axis = static_cast<int>(std::max_element(extents, extents + 3) - extents);
        if (!(extents[axis] > 1e-3)) return std::nullopt;
        middle_ = (box.low() + box.high()) / 2.0;
        auto coordinate = [axis](const Vector3& v) {
            return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
        };
        coordinates_.clear();
        for (std::size_t s = 0; s < samples; ++s) {
            const CornerRange range = cornerRange_[list[s * n / samples]];
            for (std::size_t k = range.first; k < range.first + range.count; ++k)
                coordinates_.push_back(coordinate(corners_[k]));
        }
        std::sort(coordinates_.begin(), coordinates_.end());
        std::optional<Plane> best;
        double bestCost = polygonCost;
        for (const double share : {0.5, 0.45, 0.55, 0.4, 0.6, 0.35, 0.65}) {
            const double at =
                coordinates_[static_cast<std::size_t>(share * (coordinates_.size() - 1))];
            Plane plane{axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0, -at};
            double front = 0.0, back = 0.0, splits = 0.0;
            for (std::size_t s = 0; s < samples; ++s) {
                switch (sideOf(list[s * n / samples], plane)) {
                case Side::Front: front += 1.0; break;
                case Side::Back: back += 1.0; break;
                case Side::Spanning: splits += 1.0; break;
                case Side::Coplanar: break;
                }
            }
            if (front + splits == 0.0 || back + splits == 0.0) continue;
            const double cost = splits * options_.splitWeight + std::fabs(front - back);
            if (cost < bestCost) {
                bestCost = cost;
                best = plane;
            }
        }
        return best;
    }

    std::unique_ptr<BspNode> build(std::vector<std::size_t>& list, int depth)
    {
        if (list.empty() || !error_.empty()) return nullptr;
        if (depth > options_.maximumDepth) {
            error_ = "the geometry needs a tree deeper than " +
                     std::to_string(options_.maximumDepth) + " levels";
            return nullptr;
        }
        stats_.depth = std::max(stats_.depth, depth);
        ++stats_.nodes;

        double polygonCost = 0.0;
        std::size_t chosen = chooseSplitter(list, polygonCost);
        std::optional<Plane> axisPlane;
        if (list.size() > options_.leafPolygons) axisPlane = chooseAxisPlane(list, polygonCost);
        auto node = std::make_unique<BspNode>();
        // The node plane is its first polygon's plane: the splitter goes first.
        if (axisPlane) {
            ++stats_.axisSplits;
            chosen = list.size();
            node->polygons.push_back(splittingPolygon(*axisPlane, middle_));
        } else {
            node->polygons.push_back(std::move(pool_[list[chosen]]));
        }
        const Plane plane = node->polygons.front().plane;

        // Sides first, so the lists below are allocated once at their size.
        sides_.resize(list.size());
        std::size_t inFrontCount = 0;
        std::size_t inBackCount = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            sides_[i] = i == chosen ? Side::Coplanar : sideOf(list[i], plane);
            inFrontCount += sides_[i] == Side::Front || sides_[i] == Side::Spanning;
            inBackCount += sides_[i] == Side::Back || sides_[i] == Side::Spanning;
        }
        std::vector<std::size_t> front;
        std::vector<std::size_t> back;
        front.reserve(inFrontCount + inBackCount / 8);
        back.reserve(inBackCount + inFrontCount / 8);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i == chosen) continue;
            const std::size_t index = list[i];
            const Side side = sides_[i];
            switch (side) {
            case Side::Coplanar: node->polygons.push_back(std::move(pool_[index])); break;
            case Side::Front: front.push_back(index); break;
            case Side::Back: back.push_back(index); break;
            case Side::Spanning: {
                ++stats_.splits;
                SplitPieces pieces = split(pool_[index], plane);
                pool_[index] = CollisionPolygon{};
                if (!pieces.front.vertices.empty()) front.push_back(add(std::move(pieces.front)));
                if (!pieces.back.vertices.empty()) back.push_back(add(std::move(pieces.back)));
                break;
            }
            }
            if (pool_.size() > mostPieces_) {
                error_ = "the polygons cut each other into more than " +
                         std::to_string(mostPieces_) + " pieces";
                return nullptr;
            }
        }
        stats_.treePolygons += node->polygons.size();
        // The parent's list is not needed below this point.
        std::vector<std::size_t>().swap(list);
        node->front = build(front, depth + 1);
        node->back = build(back, depth + 1);
        if (!error_.empty()) return nullptr;
        return node;
    }

    std::size_t add(CollisionPolygon polygon)
    {
        cornerRange_.push_back({corners_.size(), polygon.vertices.size()});
        for (const Vertex& v : polygon.vertices) corners_.push_back(position(v));
        pool_.push_back(std::move(polygon));
        return pool_.size() - 1;
    }

    // A deque: growing it never moves the polygons already in it.
    std::deque<CollisionPolygon> pool_;
    std::vector<CornerRange> cornerRange_;
    std::vector<Side> sides_;                  // of the node being split, against its plane
    mutable std::vector<double> coordinates_;  // corners along the axis being judged
    mutable Vector3 middle_;                   // of the sampled corners' box
    std::vector<Vector3> corners_;
    const BspCompileOptions& options_;
    BspCompileStats& stats_;
    std::size_t mostPieces_ = 0;
    std::string error_;
};

}  // namespace

std::vector<CollisionPolygon> collisionPolygons(const std::vector<SourcePolygon>& polygons)
{
    std::vector<CollisionPolygon> out;
    out.reserve(polygons.size());
    for (const SourcePolygon& p : polygons) {
        if (auto built = makeCollisionPolygon(p.corners, p.faceNormal))
            out.push_back(std::move(*built));
    }
    return out;
}

BspCompileResult compileBsp(const std::vector<SourcePolygon>& polygons,
                            const BspCompileOptions& options)
{
    BspCompileResult result;
    result.stats.inputPolygons = polygons.size();
    std::vector<CollisionPolygon> usable;
    usable.reserve(polygons.size());
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        std::string problem;
        auto built = makeCollisionPolygon(polygons[i].corners, polygons[i].faceNormal, &problem);
        if (!built) {
            ++result.stats.droppedPolygons;
            result.warnings.push_back("polygon " + std::to_string(i) + " dropped: " + problem);
            continue;
        }
        usable.push_back(std::move(*built));
    }
    TreeBuilder builder(std::move(usable), options, result.stats);
    result.root = builder.buildAll(result.error);
    if (!result.ok()) {
        result.stats.nodes = 0;
        result.stats.treePolygons = 0;
        result.stats.depth = 0;
    }
    return result;
}

}  // namespace tools
