#pragma once

// The terrain's plain visiting order: every cell of the rectangle between
// the segment's ends, column by column from A's column and within a column
// from A's row, the first cell with a hit answering. What the prepared walk
// must answer, bit for bit. No clipping to the grid and no skipping: keep
// the segments near the grid.

#include "geometry/HeightGrid.h"

#include <cmath>
#include <optional>

inline std::optional<TraceHit> plainCellOrderHit(const HeightGrid& f, const Vector3& a,
                                                 const Vector3& b)
{
    const Vertex& o = f.vertices[0];
    const Vertex& e = f.vertices[static_cast<std::size_t>(f.columns - 1)];
    const Vertex& g = f.vertices[static_cast<std::size_t>((f.rows - 1) * f.columns)];
    const double dx = (e.position.x - o.position.x) / (f.columns - 1),
                 dz = (g.position.z - o.position.z) / (f.rows - 1);
    const double ax = (a.x - o.position.x) / dx, az = (a.z - o.position.z) / dz;
    const double bx = (b.x - o.position.x) / dx, bz = (b.z - o.position.z) / dz;
    const int sx = ax < bx ? 1 : -1, sz = az < bz ? 1 : -1;
    for (int i = static_cast<int>(std::floor(ax)); i != static_cast<int>(std::floor(bx + sx));
         i += sx) {
        for (int j = static_cast<int>(std::floor(az)); j != static_cast<int>(std::floor(bz + sz));
             j += sz) {
            if (std::optional<TraceHit> found = f.intersectCell(i, j, a, b)) return found;
        }
    }
    return std::nullopt;
}
