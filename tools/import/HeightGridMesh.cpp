#include "import/HeightGridMesh.h"

#include "bsp/CollisionBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>

namespace tools {

namespace {

// How far a corner may lie from the grid, in cells, and still be on it:
// far above a float's rounding, far below anything a builder would see.
constexpr double offGrid = 1e-3;
// Triangles meeting at a grid point agree on its height within this many
// cells, and on texture coordinates and colour within attributeAgreement.
constexpr double heightAgreement = 1e-4;
constexpr double attributeAgreement = 1e-4;
// Heights all this close (in cells) to one plane make a flat grid.
constexpr double flatness = 1e-6;
// Sides of triangles' shadows are sorted into buckets this wide, relative.
constexpr double legBucket = 5e-4;

struct Legs {
    double x = 0.0, z = 0.0;
};

// The sides along x and along z of a triangle whose shadow on the ground
// is half of an axis-aligned rectangle, when it faces up.
std::optional<Legs> cellHalfLegs(const std::array<Vector3, 3>& p)
{
    Legs legs;
    int alongX = 0, alongZ = 0;
    for (int e = 0; e < 3; ++e) {
        const double dx = std::fabs(p[e].x - p[(e + 1) % 3].x);
        const double dz = std::fabs(p[e].z - p[(e + 1) % 3].z);
        if (dx > 0.0 && dz <= offGrid * dx) {
            legs.x = dx;
            ++alongX;
        } else if (dz > 0.0 && dx <= offGrid * dz) {
            legs.z = dz;
            ++alongZ;
        }
    }
    if (alongX != 1 || alongZ != 1) return std::nullopt;
    if ((p[1] - p[0]).cross(p[2] - p[0]).y <= 0.0) return std::nullopt;
    return legs;
}

// Cell (i, k) as one number: i in the high half, k in the low.
std::int64_t cellKey(std::int64_t i, std::int64_t k)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(i) << 32 |
                                     static_cast<std::uint32_t>(k));
}

// The triangles halving one cell, by the corner each leaves out: bit 0 of
// a corner is its high x, bit 1 its high z.
struct Cell {
    std::array<int, 4> byMissing{-1, -1, -1, -1};
};

// What the triangles meeting at a grid point say of it.
struct GridPoint {
    bool seen = false;
    Vertex vertex;
    Vector3 normalSum;
};

bool near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

class GridFinder {
public:
    GridFinder(const ImportedMesh& mesh) : mesh_(mesh) {}

    std::optional<HeightFieldRecord> find(const std::string& texture, std::vector<bool>& taken)
    {
        if (!chooseLegs()) return std::nullopt;
        fillCells();
        if (!chooseRectangle()) return std::nullopt;
        if (!gatherPoints()) return std::nullopt;
        return record(texture, taken);
    }

private:
    std::array<Vector3, 3> corners(std::size_t t) const
    {
        const auto& tri = mesh_.triangles[t];
        return {mesh_.vertices[tri[0]].position, mesh_.vertices[tri[1]].position,
                mesh_.vertices[tri[2]].position};
    }

    // The commonest cell size among the triangles that could halve a cell.
    bool chooseLegs()
    {
        std::map<std::pair<long long, long long>, std::vector<std::size_t>> buckets;
        for (std::size_t t = 0; t < mesh_.triangles.size(); ++t) {
            const std::optional<Legs> legs = cellHalfLegs(corners(t));
            if (!legs) continue;
            buckets[{std::llround(std::log(legs->x) / legBucket),
                     std::llround(std::log(legs->z) / legBucket)}]
                .push_back(t);
        }
        const std::vector<std::size_t>* best = nullptr;
        for (const auto& [key, members] : buckets) {
            if (!best || members.size() > best->size()) best = &members;
        }
        if (!best || best->size() < 2 * static_cast<std::size_t>(fewestGridCells)) return false;
        candidates_ = *best;
        const std::optional<Legs> first = cellHalfLegs(corners(candidates_.front()));
        size_ = *first;
        origin_ = corners(candidates_.front())[0];
        return true;
    }

    void fillCells()
    {
        for (std::size_t t : candidates_) {
            const std::array<Vector3, 3> p = corners(t);
            std::array<std::int64_t, 3> i{}, k{};
            bool onGrid = true;
            for (int c = 0; c < 3; ++c) {
                const double fi = (p[c].x - origin_.x) / size_.x;
                const double fk = (p[c].z - origin_.z) / size_.z;
                i[c] = std::llround(fi);
                k[c] = std::llround(fk);
                // Beyond 2^30 cells the grid cannot be written anyway.
                onGrid = onGrid && near(fi, double(i[c]), 4 * offGrid) &&
                         near(fk, double(k[c]), 4 * offGrid) && std::llabs(i[c]) < (1 << 30) &&
                         std::llabs(k[c]) < (1 << 30);
            }
            if (!onGrid) continue;
            const std::int64_t ci = std::min({i[0], i[1], i[2]});
            const std::int64_t ck = std::min({k[0], k[1], k[2]});
            int present = 0, sum = 0;
            for (int c = 0; c < 3; ++c) {
                const std::int64_t bx = i[c] - ci, bz = k[c] - ck;
                if (bx > 1 || bz > 1) present = -1;
                if (present < 0) break;
                const int corner = int(bx) | int(bz) << 1;
                present |= 1 << corner;
                sum += corner;
            }
            if (present < 0 || __builtin_popcount(unsigned(present)) != 3) continue;
            int& slot = cells_[cellKey(ci, ck)].byMissing[6 - sum];
            if (slot < 0) slot = static_cast<int>(t);
        }
    }

    double height(std::size_t t, std::int64_t ci, std::int64_t ck, int corner) const
    {
        for (const Vector3& p : corners(t)) {
            const auto i = std::llround((p.x - origin_.x) / size_.x) - ci;
            const auto k = std::llround((p.z - origin_.z) / size_.z) - ck;
            if ((int(i) | int(k) << 1) == corner) return p.y;
        }
        return 0.0;
    }

    // The pair of triangles a cell is drawn with: those the strip draws
    // (leaving out the high-high and the low-low corner), or the other pair
    // when the cell is flat and either split is the same surface.
    std::optional<std::array<int, 2>> cellPair(std::int64_t key, std::int64_t ci,
                                               std::int64_t ck) const
    {
        const auto found = cells_.find(key);
        if (found == cells_.end()) return std::nullopt;
        const Cell& cell = found->second;
        if (cell.byMissing[3] >= 0 && cell.byMissing[0] >= 0)
            return std::array<int, 2>{cell.byMissing[3], cell.byMissing[0]};
        if (cell.byMissing[1] < 0 || cell.byMissing[2] < 0) return std::nullopt;
        const auto a = std::size_t(cell.byMissing[1]), b = std::size_t(cell.byMissing[2]);
        // The first leaves out the high-x corner and so holds the other three.
        const double lowLow = height(a, ci, ck, 0), highHigh = height(a, ci, ck, 3);
        const double lowHigh = height(a, ci, ck, 2), highLow = height(b, ci, ck, 1);
        const double cellSide = std::min(size_.x, size_.z);
        if (!near(lowLow + highHigh, highLow + lowHigh, flatness * cellSide)) return std::nullopt;
        return std::array<int, 2>{cell.byMissing[1], cell.byMissing[2]};
    }

    // The largest connected patch of cells with a usable pair; it must
    // fill the rectangle around it.
    bool chooseRectangle()
    {
        std::unordered_map<std::int64_t, int> patchOf;
        std::vector<std::pair<std::int64_t, std::int64_t>> queue;
        std::size_t bestSize = 0;
        for (const auto& [key, cell] : cells_) {
            (void)cell;
            if (patchOf.count(key)) continue;
            const std::int64_t ci = key >> 32;
            const auto ck = static_cast<std::int64_t>(static_cast<std::int32_t>(key & 0xffffffff));
            if (!cellPair(key, ci, ck)) continue;
            const int patch = static_cast<int>(patchOf.size()) + 1;
            queue.assign(1, {ci, ck});
            patchOf[key] = patch;
            std::int64_t lo[2] = {ci, ck}, hi[2] = {ci, ck};
            for (std::size_t q = 0; q < queue.size(); ++q) {
                const auto [i, k] = queue[q];
                lo[0] = std::min(lo[0], i), hi[0] = std::max(hi[0], i);
                lo[1] = std::min(lo[1], k), hi[1] = std::max(hi[1], k);
                const std::int64_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
                for (const auto& s : steps) {
                    const std::int64_t ni = i + s[0], nk = k + s[1], nkey = cellKey(ni, nk);
                    if (patchOf.count(nkey) || !cellPair(nkey, ni, nk)) continue;
                    patchOf[nkey] = patch;
                    queue.push_back({ni, nk});
                }
            }
            if (queue.size() > bestSize) {
                bestSize = queue.size();
                low_ = {lo[0], lo[1]};
                cellColumns_ = hi[0] - lo[0] + 1;
                cellRows_ = hi[1] - lo[1] + 1;
            }
        }
        // A patch fills its rectangle when it has as many cells.
        return bestSize >= static_cast<std::size_t>(fewestGridCells) && cellColumns_ >= 2 &&
               cellRows_ >= 2 && std::int64_t(bestSize) == cellColumns_ * cellRows_;
    }

    std::size_t pointIndex(std::int64_t i, std::int64_t k) const
    {
        return static_cast<std::size_t>(k * (cellColumns_ + 1) + i);
    }

    bool gatherPoints()
    {
        points_.assign(static_cast<std::size_t>((cellColumns_ + 1) * (cellRows_ + 1)), {});
        const double heightTolerance = heightAgreement * std::min(size_.x, size_.z);
        for (std::int64_t k = 0; k < cellRows_; ++k) {
            for (std::int64_t i = 0; i < cellColumns_; ++i) {
                const std::int64_t ci = low_[0] + i, ck = low_[1] + k;
                const std::array<int, 2> pair = *cellPair(cellKey(ci, ck), ci, ck);
                for (int t : pair) {
                    const auto& tri = mesh_.triangles[std::size_t(t)];
                    const std::array<Vector3, 3> p = corners(std::size_t(t));
                    Vector3 face = (p[1] - p[0]).cross(p[2] - p[0]);
                    face /= face.length();
                    for (std::uint32_t index : tri) {
                        const Vertex& v = mesh_.vertices[index];
                        const auto pi =
                            std::llround((v.position.x - origin_.x) / size_.x) - low_[0];
                        const auto pk =
                            std::llround((v.position.z - origin_.z) / size_.z) - low_[1];
                        GridPoint& point = points_[pointIndex(pi, pk)];
                        point.normalSum += v.normal.length() > 0.0 ? v.normal : face;
                        if (!point.seen) {
                            point.seen = true;
                            point.vertex = v;
                            continue;
                        }
                        const Vertex& w = point.vertex;
                        if (!near(v.position.y, w.position.y, heightTolerance) ||
                            !near(v.u, w.u, attributeAgreement) ||
                            !near(v.v, w.v, attributeAgreement) ||
                            !near(v.r, w.r, attributeAgreement) ||
                            !near(v.g, w.g, attributeAgreement) ||
                            !near(v.b, w.b, attributeAgreement))
                            return false;
                    }
                }
            }
        }
        return true;
    }

    // Corners placed exactly on the grid through the outer rows' and
    // columns' mean positions.
    std::optional<HeightFieldRecord> record(const std::string& texture, std::vector<bool>& taken)
    {
        const int columns = static_cast<int>(cellColumns_) + 1,
                  rows = static_cast<int>(cellRows_) + 1;
        auto meanAlong = [&](bool alongX, int line) {
            double sum = 0.0;
            const int count = alongX ? rows : columns;
            for (int n = 0; n < count; ++n) {
                const Vertex& v = alongX ? points_[pointIndex(line, n)].vertex
                                         : points_[pointIndex(n, line)].vertex;
                sum += alongX ? v.position.x : v.position.z;
            }
            return sum / count;
        };
        const double x0 = meanAlong(true, 0), z0 = meanAlong(false, 0);
        const double dx = (meanAlong(true, columns - 1) - x0) / (columns - 1);
        const double dz = (meanAlong(false, rows - 1) - z0) / (rows - 1);

        HeightFieldRecord field;
        field.columns = columns;
        field.rows = rows;
        field.texture = texture;
        field.vertices.reserve(points_.size());
        double lowFlat = 1e300, highFlat = -1e300;
        const GridPoint& o = points_[pointIndex(0, 0)];
        const double riseX =
            points_[pointIndex(columns - 1, 0)].vertex.position.y - o.vertex.position.y;
        const double riseZ =
            points_[pointIndex(0, rows - 1)].vertex.position.y - o.vertex.position.y;
        for (int k = 0; k < rows; ++k) {
            for (int i = 0; i < columns; ++i) {
                const GridPoint& point = points_[pointIndex(i, k)];
                Vertex v = point.vertex;
                if (!near(v.position.x, x0 + i * dx, offGrid * dx) ||
                    !near(v.position.z, z0 + k * dz, offGrid * dz))
                    return std::nullopt;
                v.position.x = x0 + i * dx;
                v.position.z = z0 + k * dz;
                v.normal = point.normalSum / point.normalSum.length();
                const double plane =
                    o.vertex.position.y + riseX * i / (columns - 1) + riseZ * k / (rows - 1);
                lowFlat = std::min(lowFlat, v.position.y - plane);
                highFlat = std::max(highFlat, v.position.y - plane);
                field.vertices.push_back(v);
            }
        }
        if (highFlat - lowFlat <= flatness * std::min(dx, dz)) return std::nullopt;

        // Two triangles a cell, in the strip's split, as the terrain's
        // reader expects them: cell rows in order.
        auto at = [&](int i, int k) {
            return field.vertices[static_cast<std::size_t>(k * columns + i)].position;
        };
        const Vector3 up{0, 1, 0};
        field.triangles.reserve(static_cast<std::size_t>(2 * (columns - 1) * (rows - 1)));
        for (int k = 0; k + 1 < rows; ++k) {
            for (int i = 0; i + 1 < columns; ++i) {
                auto first = makeCollisionPolygon({at(i, k), at(i, k + 1), at(i + 1, k)}, up);
                auto second =
                    makeCollisionPolygon({at(i, k + 1), at(i + 1, k + 1), at(i + 1, k)}, up);
                if (!first || !second) return std::nullopt;
                field.triangles.push_back(std::move(*first));
                field.triangles.push_back(std::move(*second));
            }
        }
        for (std::int64_t k = 0; k < cellRows_; ++k) {
            for (std::int64_t i = 0; i < cellColumns_; ++i) {
                const std::int64_t ci = low_[0] + i, ck = low_[1] + k;
                const std::array<int, 2> pair = *cellPair(cellKey(ci, ck), ci, ck);
                for (int t : pair) taken[std::size_t(t)] = true;
            }
        }
        return field;
    }

    const ImportedMesh& mesh_;
    std::vector<std::size_t> candidates_;
    Legs size_;
    Vector3 origin_;
    std::unordered_map<std::int64_t, Cell> cells_;
    std::array<std::int64_t, 2> low_{};
    std::int64_t cellColumns_ = 0, cellRows_ = 0;
    std::vector<GridPoint> points_;
};

}  // namespace

std::optional<HeightFieldRecord> takeHeightGrid(ImportedMesh& mesh, const std::string& texture)
{
    std::vector<bool> taken(mesh.triangles.size(), false);
    std::optional<HeightFieldRecord> field = GridFinder(mesh).find(texture, taken);
    if (!field) return std::nullopt;
    std::size_t kept = 0;
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        if (!taken[t]) mesh.triangles[kept++] = mesh.triangles[t];
    }
    mesh.triangles.resize(kept);
    return field;
}

}  // namespace tools
