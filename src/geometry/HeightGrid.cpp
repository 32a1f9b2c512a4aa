#include "geometry/HeightGrid.h"

#include "geometry/HitRegion.h"
#include "geometry/Polygon.h"
#include "math/OutwardFloat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr int tokensPerVertex = 11;
// The smallest collision polygon record: a plane and a corner count.
constexpr int tokensPerTriangle = 5;

bool finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The cells from the cell of `from` to the cell of `to` along one axis,
// clipped to the cells 0..last that exist. Cells outside the grid never
// hit, so leaving them out keeps the answer and bounds the loop even for
// coordinates far outside the grid. False when no cell of the grid is left.
bool cellRange(double from, double to, int last, int& first, int& end, int& step)
{
    step = from < to ? 1 : -1;
    const double lo = std::min(from, to), hi = std::max(from, to);
    // The floor of hi is below 0 exactly when hi is, and the floor of lo
    // above last exactly when lo reaches last + 1. Between, the floors are
    // clamped or, for values above 0, truncations (cheaper than floor).
    if (hi < 0.0 || lo >= static_cast<double>(last) + 1.0) return false;
    const int loCell = lo <= 0.0 ? 0 : static_cast<int>(lo);
    const int hiCell = hi >= static_cast<double>(last) ? last : static_cast<int>(hi);
    first = step > 0 ? loCell : hiCell;
    end = step > 0 ? hiCell + 1 : loCell - 1;
    return true;
}

using Grid = HeightGrid::Grid;

// The grid's origin and cell size; false for a grid the queries cannot use.
bool gridOf(const HeightGrid& field, Grid& grid)
{
    const int columns = field.columns, rows = field.rows;
    if (columns < 2 || rows < 2 ||
        field.vertices.size() < static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows))
        return false;
    const Vertex& o = field.vertices[0];
    const Vertex& e = field.vertices[static_cast<std::size_t>(columns - 1)];
    const Vertex& f =
        field.vertices[static_cast<std::size_t>(rows - 1) * static_cast<std::size_t>(columns)];
    grid = {o.position.x, o.position.z, (e.position.x - o.position.x) / (columns - 1),
            (f.position.z - o.position.z) / (rows - 1)};
    return true;
}

// How far, in cells, a triangle's hit region may reach past its own cell
// and still count as held by it, and how far a segment's path is widened
// when choosing the cells to visit (the difference absorbs rounding).
constexpr double cellSlack = 0.001;
constexpr double pathSlack = 0.002;
// Segments with coordinates beyond this take the plain scan, so the
// rounding of their crossing points stays far below the slack above.
constexpr double preparedRange = 1e6;
// Cells narrower than this take the plain scan, for the same reason.
constexpr double smallestPreparedCell = 1e-3;
// World units between a cell's heights and a segment's before the cell is
// passed over: far above the rounding of any crossing in preparedRange.
constexpr double heightMargin = 1e-4;

// True when every point of the triangle's plane that `contains` accepts,
// with room for rounding, lies in cell (i, j) widened by cellSlack.
bool hitsStayInCell(const std::optional<BoundingBox>& region, const Grid& grid, int i, int j)
{
    if (!region) return false;
    // Cell coordinates grow or shrink with x and z, so the box's faces
    // bound them.
    const double x1 = (region->minX - grid.ox) / grid.dx;
    const double x2 = (region->maxX - grid.ox) / grid.dx;
    const double z1 = (region->minZ - grid.oz) / grid.dz;
    const double z2 = (region->maxZ - grid.oz) / grid.dz;
    if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(z1) || !std::isfinite(z2))
        return false;
    return std::min(x1, x2) >= i - cellSlack && std::max(x1, x2) <= i + 1 + cellSlack &&
           std::min(z1, z2) >= j - cellSlack && std::max(z1, z2) <= j + 1 + cellSlack;
}
}  // namespace

std::optional<TraceHit> HeightGrid::intersectSegment(const Vector3& a, const Vector3& b) const
{
    // Prepared queries keep the grid (the same numbers gridOf gives), which
    // saves three reads from the vertices on every query.
    const bool ready = cellsHoldTheirHits_ && columns == preparedColumns_ && rows == preparedRows_;
    Grid grid = preparedGrid_;
    if (!ready && !gridOf(*this, grid)) return std::nullopt;
    if (!finite(a) || !finite(b)) return std::nullopt;

    const double ax = (a.x - grid.ox) / grid.dx;
    const double az = (a.z - grid.oz) / grid.dz;
    const double bx = (b.x - grid.ox) / grid.dx;
    const double bz = (b.z - grid.oz) / grid.dz;
    // A grid without width or depth has no cell a segment can be placed in.
    if (std::isnan(ax) || std::isnan(az) || std::isnan(bx) || std::isnan(bz)) return std::nullopt;

    int iFirst, iEnd, iStep, jFirst, jEnd, jStep;
    if (!cellRange(ax, bx, columns - 2, iFirst, iEnd, iStep)) return std::nullopt;
    if (!cellRange(az, bz, rows - 2, jFirst, jEnd, jStep)) return std::nullopt;

    const bool prepared = ready && std::fabs(a.x) <= preparedRange &&
                          std::fabs(a.y) <= preparedRange && std::fabs(a.z) <= preparedRange &&
                          std::fabs(b.x) <= preparedRange && std::fabs(b.y) <= preparedRange &&
                          std::fabs(b.z) <= preparedRange;
    // Rounding in the path's cell range is far below pathSlack, so the
    // divisions are made once.
    const double perColumn = 1.0 / (bx - ax);
    const auto cellsPerColumn = static_cast<std::size_t>(rows - 1);
    const int rowLow = std::min(jFirst, jEnd - jStep), rowHigh = std::max(jFirst, jEnd - jStep);
    // Column by column from A's column, and within a column from A's row;
    // the first cell with a hit answers, nearest or not.
    for (int i = iFirst; i != iEnd; i += iStep) {
        int from = jFirst, to = jEnd;
        double lowY = -HUGE_VAL, highY = HUGE_VAL;
        if (prepared) {
            // Only the rows the path comes near can hold a hit in this
            // column; the others are passed over in place.
            double tLow = 0.0, tHigh = 1.0;
            if (bx != ax) {
                const double t1 = (i - pathSlack - ax) * perColumn;
                const double t2 = (i + 1 + pathSlack - ax) * perColumn;
                tLow = std::max(0.0, std::min(t1, t2));
                tHigh = std::min(1.0, std::max(t1, t2));
                if (tLow > tHigh) continue;
            } else if (ax < i - pathSlack || ax > i + 1 + pathSlack) {
                continue;
            }
            // The heights the path passes at in this column: a cell whose
            // hits all lie above or below them has none on the segment.
            const double y1 = a.y + tLow * (b.y - a.y), y2 = a.y + tHigh * (b.y - a.y);
            lowY = std::min(y1, y2) - heightMargin;
            highY = std::max(y1, y2) + heightMargin;
            const ColumnHeights& column = columnHeights_[static_cast<std::size_t>(i)];
            // From here on the path stays between y1 and B's height: past
            // every cell still ahead, above or below, nothing is left to find.
            const CellHeights& ahead = iStep > 0 ? column.fromHere : column.upToHere;
            if (ahead.high < std::min(y1, b.y) - 2 * heightMargin ||
                ahead.low > std::max(y1, b.y) + 2 * heightMargin)
                break;
            if (column.own.high < lowY || column.own.low > highY) continue;
            const double z1 = az + tLow * (bz - az), z2 = az + tHigh * (bz - az);
            // The rows from ceil(zLow) to floor(zHigh), within rowLow..rowHigh.
            const double zLow = std::min(z1, z2) - 1 - pathSlack;
            const double zHigh = std::max(z1, z2) + pathSlack;
            if (zLow > rowHigh || zHigh < rowLow) continue;
            int lowRow = rowLow, highRow = rowHigh;
            if (zLow > rowLow) {  // above 0: truncation, up by one unless whole
                lowRow = static_cast<int>(zLow);
                lowRow += lowRow < zLow;
            }
            if (zHigh < rowHigh) highRow = static_cast<int>(zHigh);  // at least 0: truncation
            if (lowRow > highRow) continue;
            from = jStep > 0 ? lowRow : highRow;
            to = jStep > 0 ? highRow + 1 : lowRow - 1;
        }
        for (int j = from; j != to; j += jStep) {
            if (prepared) {
                const std::size_t cell =
                    static_cast<std::size_t>(i) * cellsPerColumn + static_cast<std::size_t>(j);
                // The triangles' planes are fetched alongside the heights: a
                // cell that is not passed over needs them at once.
                if (!packedCells_.empty()) __builtin_prefetch(packedCells_[cell].planes);
                const PackedHeights& h = cellHeights_[cell];
                if (h.high < lowY || h.low > highY) continue;
                if (!packedCells_.empty()) {
                    if (std::optional<TraceHit> hit = hitInPackedCell(packedCells_[cell], a, b))
                        return hit;
                    continue;
                }
            }
            if (std::optional<TraceHit> hit = intersectCell(i, j, a, b)) return hit;
        }
    }
    return std::nullopt;
}

void HeightGrid::prepareQueries()
{
    cellsHoldTheirHits_ = false;
    cellHeights_.clear();
    columnHeights_.clear();
    packedCells_.clear();
    Grid grid;
    if (!gridOf(*this, grid)) return;
    const bool usableCells = std::fabs(grid.dx) >= smallestPreparedCell &&
                             std::fabs(grid.dz) >= smallestPreparedCell && std::isfinite(grid.dx) &&
                             std::isfinite(grid.dz);
    if (!usableCells) return;
    const std::size_t perRow = 2 * static_cast<std::size_t>(columns) - 2;
    if (triangles.size() != perRow * static_cast<std::size_t>(rows - 1)) return;
    const auto cellsPerRow = static_cast<std::size_t>(columns - 1);
    const auto cellsPerColumn = static_cast<std::size_t>(rows - 1);
    const bool threeEdges =
        std::all_of(triangles.begin(), triangles.end(),
                    [](const CollisionPolygon& t) { return t.edgePlanes.size() == 3; });
    std::vector<PackedHeights> heights(cellsPerRow * cellsPerColumn);
    std::vector<ColumnHeights> columnHeights(cellsPerRow);
    for (ColumnHeights& column : columnHeights) column.own = {HUGE_VAL, -HUGE_VAL};
    if (threeEdges) packedCells_.resize(heights.size());
    // The triangles in the order they are stored (row by row), so that their
    // edge lists are read in the order they were allocated: a walk column by
    // column would miss the cache on almost every one. Each column still
    // takes its cells in row order.
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            const std::size_t n =
                perRow * static_cast<std::size_t>(j) + 2 * static_cast<std::size_t>(i);
            const std::optional<BoundingBox> first =
                hitRegionBounds(triangles[n].plane, triangles[n].edgePlanes);
            const std::optional<BoundingBox> second =
                hitRegionBounds(triangles[n + 1].plane, triangles[n + 1].edgePlanes);
            if (!hitsStayInCell(first, grid, i, j) || !hitsStayInCell(second, grid, i, j)) {
                packedCells_.clear();
                return;
            }
            const double low = std::min(first->minY, second->minY);
            const double high = std::max(first->maxY, second->maxY);
            // Column by column, the order in which a segment visits cells.
            const std::size_t cell =
                static_cast<std::size_t>(i) * cellsPerColumn + static_cast<std::size_t>(j);
            heights[cell] = {roundedDown(low), roundedUp(high)};
            CellHeights& own = columnHeights[static_cast<std::size_t>(i)].own;
            own = {std::min(own.low, low), std::max(own.high, high)};
            if (threeEdges) {
                PackedCell& packed = packedCells_[cell];
                for (std::size_t k = 0; k < 2; ++k) {
                    const CollisionPolygon& triangle = triangles[n + k];
                    packed.planes[k] = triangle.plane;
                    std::copy(triangle.edgePlanes.begin(), triangle.edgePlanes.end(),
                              packed.edges[k]);
                }
            }
        }
    }
    cellHeights_ = std::move(heights);
    columnHeights_ = std::move(columnHeights);
    cellsHoldTheirHits_ = true;
    preparedGrid_ = grid;
    preparedColumns_ = columns;
    preparedRows_ = rows;

    // The heights of all columns up to each column and from it.
    for (std::size_t i = 0; i < cellsPerRow; ++i) {
        const CellHeights before =
            i > 0 ? columnHeights_[i - 1].upToHere : CellHeights{HUGE_VAL, -HUGE_VAL};
        const CellHeights& own = columnHeights_[i].own;
        columnHeights_[i].upToHere = {std::min(before.low, own.low),
                                      std::max(before.high, own.high)};
    }
    for (std::size_t i = cellsPerRow; i-- > 0;) {
        const CellHeights after =
            i + 1 < cellsPerRow ? columnHeights_[i + 1].fromHere : CellHeights{HUGE_VAL, -HUGE_VAL};
        const CellHeights& own = columnHeights_[i].own;
        columnHeights_[i].fromHere = {std::min(after.low, own.low), std::max(after.high, own.high)};
    }
}

std::optional<TraceHit> HeightGrid::hitInPackedCell(const PackedCell& cell, const Vector3& a,
                                                    const Vector3& b) const
{
    // As intersectCell, step for step, so the answer is the same to the bit.
    std::optional<TraceHit> best;
    for (int k = 0; k < 2; ++k) {
        const Plane& plane = cell.planes[k];
        const Plane* edges = cell.edges[k];
        const double dA = plane.distance(a);
        const double dB = plane.distance(b);
        if (dA > -planeEpsilon && dB > -planeEpsilon) continue;
        if (dA < planeEpsilon && dB < planeEpsilon) continue;
        const Vector3 p = a + (b - a) * (dA / (dA - dB));
        if (!finite(p) || edges[0].distance(p) < -planeEpsilon ||
            edges[1].distance(p) < -planeEpsilon || edges[2].distance(p) < -planeEpsilon)
            continue;
        const double d = (p - a).length();
        if (!best || d < best->distance) best = TraceHit{d, p, plane};
    }
    return best;
}

std::optional<TraceHit> HeightGrid::intersectCell(int i, int j, const Vector3& a,
                                                  const Vector3& b) const
{
    if (i < 0 || j < 0 || i >= columns - 1 || j >= rows - 1) return std::nullopt;
    const std::size_t n =
        (2 * static_cast<std::size_t>(columns) - 2) * static_cast<std::size_t>(j) +
        2 * static_cast<std::size_t>(i);
    if (n + 1 >= triangles.size()) return std::nullopt;

    std::optional<TraceHit> best;
    for (std::size_t k = n; k <= n + 1; ++k) {
        const CollisionPolygon& triangle = triangles[k];
        const double dA = triangle.plane.distance(a);
        const double dB = triangle.plane.distance(b);
        if (dA > -planeEpsilon && dB > -planeEpsilon) continue;
        if (dA < planeEpsilon && dB < planeEpsilon) continue;
        const Vector3 p = a + (b - a) * (dA / (dA - dB));
        // `contains` would accept a point lost to overflow.
        if (!finite(p) || !triangle.contains(p)) continue;
        const double d = (p - a).length();
        // The second triangle replaces the first only when strictly nearer.
        if (!best || d < best->distance) best = TraceHit{d, p, triangle.plane};
    }
    return best;
}

bool readHeightGridSize(TokenReader& in, HeightGrid& grid)
{
    if (!in.readInt(grid.columns)) return false;
    if (!in.readInt(grid.rows)) return false;
    if (grid.columns < 2 || grid.rows < 2) {
        // The cell size divides by columns - 1 and rows - 1.
        in.fail("a grid of at least 2 columns and 2 rows");
        return false;
    }
    // A grid larger than the rest of the file could describe is refused
    // before anything is allocated. Every bound is taken by division before
    // any product is formed, so no size can wrap, however large the counts.
    const std::uint64_t columns = static_cast<std::uint64_t>(grid.columns);
    const std::uint64_t rows = static_cast<std::uint64_t>(grid.rows);
    // Every token takes at least two bytes (itself and a separator).
    const std::uint64_t tokensPossible = (in.remainingBytes() + 1) / 2;
    const std::uint64_t verticesPossible = tokensPossible / tokensPerVertex;
    if (columns > verticesPossible / rows) {
        in.fail("a grid the rest of the file can hold");
        return false;
    }
    // Now columns * rows * tokensPerVertex <= tokensPossible, and there are
    // fewer triangles than twice the vertices: nothing below can wrap.
    const std::uint64_t vertexCount = columns * rows;
    const std::uint64_t triangleCount = (rows - 1) * (2 * columns - 2);
    const std::uint64_t tokensLeft = tokensPossible - vertexCount * tokensPerVertex;
    if (triangleCount > tokensLeft / tokensPerTriangle) {
        in.fail("a grid the rest of the file can hold");
        return false;
    }
    return true;
}

bool readHeightGridCells(TokenReader& in, HeightGrid& grid)
{
    // The size was checked against the file when it was read.
    const auto columns = static_cast<std::uint64_t>(grid.columns);
    const auto rows = static_cast<std::uint64_t>(grid.rows);
    grid.vertices.resize(static_cast<std::size_t>(columns * rows));
    for (std::size_t k = 0; k < grid.vertices.size(); ++k) {
        TokenReader::Scope scope(in, "vertex", static_cast<long>(k));
        if (!readVertex(in, grid.vertices[k])) return false;
    }
    const std::uint64_t triangleCount = (rows - 1) * (2 * columns - 2);
    grid.triangles.reserve(static_cast<std::size_t>(triangleCount));
    for (std::uint64_t k = 0; k < triangleCount; ++k) {
        TokenReader::Scope scope(in, "triangle", static_cast<long>(k));
        std::optional<CollisionPolygon> triangle = readCollisionPolygon(in);
        if (!triangle) return false;
        grid.triangles.push_back(std::move(*triangle));
    }
    grid.prepareQueries();
    return true;
}
