#include "entities/HeightField.h"

#include "geometry/Polygon.h"
#include "textures/TextureCache.h"

#include <string>

std::unique_ptr<HeightField> readHeightField(TokenReader& in, TextureCache& textures)
{
    auto field = std::make_unique<HeightField>();
    if (!readHeightGridSize(in, field->grid)) return nullptr;
    std::string textureName;
    if (!readTextureName(in, textureName)) return nullptr;
    field->texture = textures.findOrLoad(textureName);
    if (!readHeightGridCells(in, field->grid)) return nullptr;
    return field;
}
