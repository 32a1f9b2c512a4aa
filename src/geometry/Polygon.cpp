#include "geometry/Polygon.h"

#include "textures/TextureCache.h"

namespace {
// Texture names longer than this are not names a world file can hold; they
// are refused rather than cut, so a hostile file cannot name anything odd.
constexpr std::size_t longestTextureName = 255;
// x y z u v nx ny nz r g b
constexpr int tokensPerVertex = 11;
}  // namespace

bool readVertex(TokenReader& in, Vertex& vertex)
{
    Vertex v;
    if (!(in.readDouble(v.position.x) && in.readDouble(v.position.y) &&
          in.readDouble(v.position.z) && in.readDouble(v.u) && in.readDouble(v.v) &&
          in.readDouble(v.normal.x) && in.readDouble(v.normal.y) && in.readDouble(v.normal.z) &&
          in.readDouble(v.r) && in.readDouble(v.g) && in.readDouble(v.b))) {
        return false;
    }
    vertex = v;
    return true;
}

bool readTextureName(TokenReader& in, std::string& name)
{
    if (!in.readWord(name)) return false;
    if (name.size() > longestTextureName) {
        in.fail("a texture name of at most 255 characters");
        return false;
    }
    return true;
}

std::optional<Polygon> readPolygon(TokenReader& in, TextureCache& textures)
{
    Polygon polygon;
    std::string textureName;
    if (!readTextureName(in, textureName)) return std::nullopt;
    // Looked up as soon as the word is read; a texture that fails to load
    // leaves the polygon untextured and the rest of the record in step.
    polygon.texture = textures.findOrLoad(textureName);

    if (!(in.readDouble(polygon.normal.x) && in.readDouble(polygon.normal.y) &&
          in.readDouble(polygon.normal.z))) {
        return std::nullopt;
    }
    int count = 0;
    if (!in.readCount(count, tokensPerVertex)) return std::nullopt;
    polygon.vertices.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        TokenReader::Scope scope(in, "vertex", k);
        if (!readVertex(in, polygon.vertices[static_cast<std::size_t>(k)])) return std::nullopt;
    }
    return polygon;
}

std::optional<std::vector<Polygon>> readPolygonList(TokenReader& in, TextureCache& textures,
                                                    CountBelowZero belowZero)
{
    // Texture word, three normal components and a vertex count.
    constexpr int fewestTokensPerPolygon = 5;
    int count = 0;
    if (!in.readCount(count, fewestTokensPerPolygon, belowZero == CountBelowZero::noPolygons))
        return std::nullopt;
    std::vector<Polygon> polygons;
    polygons.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TokenReader::Scope scope(in, "polygon", i);
        std::optional<Polygon> polygon = readPolygon(in, textures);
        if (!polygon || !in.ok()) return std::nullopt;
        polygons.push_back(std::move(*polygon));
    }
    return polygons;
}
