#pragma once

#include "geometry/Vertex.h"
#include "math/Vector3.h"
#include "text/TokenReader.h"

#include <optional>
#include <string>
#include <vector>

class Texture;
class TextureCache;

// A drawn, convex, optionally textured polygon.
struct Polygon {
    Texture* texture = nullptr;  // owned by the world's texture cache
    std::vector<Vertex> vertices;
    Vector3 normal;
};

// Reads the eleven doubles of a vertex record in file order
// x, y, z, u, v, nx, ny, nz, r, g, b.
bool readVertex(TokenReader& in, Vertex& vertex);

// A texture word of at most 255 characters (longer ones are refused).
bool readTextureName(TokenReader& in, std::string& name);

// texture word, normal, vertex count, vertices. The texture is looked up in
// the cache (a texture that fails to load leaves the polygon untextured).
std::optional<Polygon> readPolygon(TokenReader& in, TextureCache& textures);

// What a polygon count below zero stands for: a refusal (the static
// geometry), or no polygons (the moving objects and the sky, whose stored
// files may give one).
enum class CountBelowZero { refused, noPolygons };

// A count and that many polygon records, in file order. A count larger than
// the rest of the file could hold is refused before anything is allocated;
// on any failure nothing read is kept.
std::optional<std::vector<Polygon>> readPolygonList(
    TokenReader& in, TextureCache& textures, CountBelowZero belowZero = CountBelowZero::refused);
