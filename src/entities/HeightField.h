#pragma once

#include "geometry/HeightGrid.h"
#include "text/TokenReader.h"
#include "world/Object.h"

#include <memory>

class Texture;
class TextureCache;

// Terrain: a height grid, drawn as one triangle strip per row of cells and
// traced by the world through the grid's own walk.
class HeightField : public Object {
public:
    void draw(DrawMode mode, const FrameContext& frame) override;
    const char* className() const override { return "HeightField"; }
    const HeightGrid* terrainGrid() const override { return &grid; }

    HeightGrid grid;
    Texture* texture = nullptr;  // owned by the cache
};

// After the keyword: columns, rows, texture word, vertices, triangles.
// Grids under 2 x 2 and sizes the file cannot hold are refused.
std::unique_ptr<HeightField> readHeightField(TokenReader& in, TextureCache& textures);
