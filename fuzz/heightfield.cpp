// The HeightField record: refused, or a grid whose lists have the sizes
// its counts promise and whose segment queries finish.
#include "FuzzSupport.h"

#include "geometry/HeightField.h"
#include "textures/TextureCache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::environment();
    TokenReader in(std::string(reinterpret_cast<const char*>(data), size));
    TextureCache textures;
    const auto field = readHeightField(in, textures);
    if (!field) {
        if (in.ok()) fuzz::broken("refused without a located failure");
        return 0;
    }
    const std::size_t columns = static_cast<std::size_t>(field->columns);
    const std::size_t rows = static_cast<std::size_t>(field->rows);
    if (field->vertices.size() != columns * rows ||
        field->triangles.size() != (rows - 1) * (2 * columns - 2))
        fuzz::broken("lists do not match the counts");
    (void)field->intersectSegment({0, 10, 0}, {0, -10, 0});
    (void)field->intersectSegment({-1e3, 5, -7}, {1e3, -5, 9});
    (void)field->intersectSegment({1e300, 1, 1e300}, {-1e300, -1, -1e300});
    return 0;
}
