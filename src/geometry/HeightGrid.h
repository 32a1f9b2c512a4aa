#pragma once

#include "geometry/CollisionPolygon.h"
#include "geometry/TraceHit.h"
#include "geometry/Vertex.h"
#include "text/TokenReader.h"

#include <optional>
#include <vector>

// Terrain for collision: a regular grid in x and z with free heights, hit
// through two triangles per cell. The terrain entity owns one and draws it.
class HeightGrid {
public:
    // Visits cells column by column from A's cell; the first cell with a
    // hit answers; none on a miss.
    std::optional<TraceHit> intersectSegment(const Vector3& a, const Vector3& b) const;
    std::optional<TraceHit> intersectCell(int i, int j, const Vector3& a, const Vector3& b) const;

    // Works out whether every triangle can be hit only inside its own cell
    // (true of any grid whose triangles follow its vertices). Then a segment
    // visits, in the same order, only the cells its path comes near, rather
    // than the whole rectangle between its ends: the same answer, found in
    // time proportional to the length instead of its square. The reader
    // calls it; call it again after changing vertices or triangles.
    void prepareQueries();
    bool cellsHoldTheirHits() const { return cellsHoldTheirHits_; }

    // The grid's origin and cell size, from its corner vertices.
    struct Grid {
        double ox = 0, oz = 0, dx = 0, dz = 0;
    };

    int columns = 0;
    int rows = 0;
    std::vector<Vertex> vertices;             // columns * rows, row by row
    std::vector<CollisionPolygon> triangles;  // (rows - 1) * (2 * columns - 2)

private:
    // The heights between which hits lie; a cell the path passes entirely
    // above or below is skipped. Per cell in floats (rounded outward), so
    // that a cache line holds eight cells of a column.
    struct CellHeights {
        double low;
        double high;
    };
    struct PackedHeights {
        float low;
        float high;
    };
    // What a cell test reads, in four cache lines rather than scattered over
    // the triangles and their edge lists: the two triangles' planes in the
    // first (most paths cross neither), then their edge planes. Kept when
    // every triangle has three edges (any grid whose triangles follow its
    // vertices).
    struct alignas(64) PackedCell {
        Plane planes[2];
        Plane edges[2][3];
    };
    std::optional<TraceHit> hitInPackedCell(const PackedCell& cell, const Vector3& a,
                                            const Vector3& b) const;

    // Per column: its cells' heights, and those of every column up to it
    // and from it, so a path that has risen above (or sunk below) all that
    // is left ahead stops there.
    struct ColumnHeights {
        CellHeights own, upToHere, fromHere;
    };

    bool cellsHoldTheirHits_ = false;
    Grid preparedGrid_;
    int preparedColumns_ = 0, preparedRows_ = 0;
    // Cells column by column (cell (i, j) at i * (rows - 1) + j), the order
    // in which a segment visits them.
    std::vector<PackedHeights> cellHeights_;
    std::vector<ColumnHeights> columnHeights_;
    std::vector<PackedCell> packedCells_;  // or empty
};

// A terrain record after its keyword is columns, rows, texture word,
// vertices, triangles; the terrain entity reads the texture word between
// these two.

// Columns and rows. Grids under 2 x 2 and sizes the rest of the file cannot
// hold are refused before anything is allocated.
bool readHeightGridSize(TokenReader& in, HeightGrid& grid);

// The vertices and triangles of a grid of the size read, then prepares its
// queries.
bool readHeightGridCells(TokenReader& in, HeightGrid& grid);
