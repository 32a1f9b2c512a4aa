#pragma once

#include "bsp/BspCompiler.h"
#include "math/Vector3.h"

#include <string>
#include <vector>

namespace tools {

namespace texture {
inline const std::string demoTile = "..\\Textures\\demo-tile.bmp";
}  // namespace texture

// A coloured block standing on the yard's floor.
struct DemoBlock {
    Vector3 lo;  // floor corner with the smallest x and z
    Vector3 hi;  // top corner with the largest x and z
    Vector3 colour;
};

struct DemoWorld {
    std::string text;  // the whole world file, BSP section included
    Vector3 playerStart;
    std::vector<DemoBlock> blocks;  // red, blue, yellow, green
    BspCompileStats bsp;
    std::vector<std::string> warnings;
    std::size_t worldspawnPolygons = 0;
};

// The small world "demo.wrl": a 40 x 40 yard with a floor of two-tone
// tiles, walls 4 high all round and a few coloured blocks ahead of the
// player, who starts near the +z wall looking down -z. Everything is drawn
// with the one tile texture, tinted by vertex colours and fully lit. The
// same text on every run.
DemoWorld generateDemo();

}  // namespace tools
