#include "bsp/BspCompiler.h"

#include "bsp/CollisionBuilder.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

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

    std::size_t chooseSplitter(const std::vector<std::size_t>& list) const
    {
        const std::size_t n = list.size();
        const std::size_t tries =
            std::min<std::size_t>(n, static_cast<std::size_t>(std::max(1, options_.candidates)));
        // The cost of a candidate is judged on an even sample of the list:
        // a few hundred polygons rank the candidates as well as all of them.
        const std::size_t samples = std::min<std::size_t>(
            n, static_cast<std::size_t>(std::max(1, options_.sampledPolygons)));
        double bestCost = std::numeric_limits<double>::infinity();
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

        const std::size_t chosen = chooseSplitter(list);
        const Plane plane = pool_[list[chosen]].plane;
        auto node = std::make_unique<BspNode>();
        // The node plane is its first polygon's plane: the splitter goes first.
        node->polygons.push_back(std::move(pool_[list[chosen]]));

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
    std::vector<Side> sides_;  // of the node being split, against its plane
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
