#pragma once

#include "import/ImportedScene.h"
#include "worldfile/WorldWriter.h"

#include <optional>
#include <string>

namespace tools {

// Fewer cells than this are left to the polygon merge: a small patch costs
// the BSP tree little, and a flat one merges into a single polygon.
constexpr int fewestGridCells = 16;

// Takes the height grid out of a mesh, when it has one, as terrain: the
// largest connected patch of triangles that halve the cells of one regular
// grid in x and z, face up, split each cell along the diagonal the terrain's
// triangle strip draws (from its low-x, high-z corner to its high-x, low-z
// corner; a flat cell may be split either way) and agree on each corner's
// height, texture coordinates and colour. The patch must fill its rectangle
// of cells and must not be flat. Its triangles are removed from the mesh
// and come back as a terrain record with the texture given, corners snapped
// onto the grid (they lie within a thousandth of a cell of it) and normals
// averaged over the corner's triangles. None, with the mesh untouched,
// otherwise.
std::optional<HeightFieldRecord> takeHeightGrid(ImportedMesh& mesh, const std::string& texture);

}  // namespace tools
