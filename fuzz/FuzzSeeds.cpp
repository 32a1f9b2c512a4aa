// Writes the seed corpora of the harnesses from our own content: small
// versions of the game's textures in every bitmap layout the reader takes,
// the demo world, its BSP section and a terrain record. Nothing is
// committed; scripts/fuzz.sh runs this before fuzzing.
//   fuzz_seeds FOLDER  ->  FOLDER/<harness>/<seed>

#include "FuzzSupport.h"
#include "ImageTestFiles.h"

#include "bsp/CollisionBuilder.h"
#include "content/Demo.h"
#include "content/Textures.h"
#include "content/WorldWriter.h"
#include "geometry/BspNode.h"
#include "images/Image.h"
#include "world/World.h"
#include "world/WorldLoader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using imagetest::Bmp;
using imagetest::Bytes;

namespace {

fs::path root;

void seed(const std::string& harness, const std::string& name, const std::string& bytes)
{
    fs::create_directories(root / harness);
    std::ofstream(root / harness / name, std::ios::binary) << bytes;
}

std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The picture's red channel cut to `bits` bits, as palette indices.
std::vector<int> indices(const tools::Image& image, int bits)
{
    std::vector<int> out;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.push_back(image.at(x, y)[0] >> (8 - bits));
    return out;
}

Bytes packed(const std::vector<int>& values, int width, int bits)
{
    Bytes out;
    const int rowBytes = (width * bits + 7) / 8;
    for (std::size_t start = 0; start < values.size(); start += static_cast<std::size_t>(width)) {
        Bytes row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < width; ++x)
            row[static_cast<std::size_t>(x * bits / 8)] |=
                static_cast<std::uint8_t>(values[start + x] << (8 - bits * (x % (8 / bits) + 1)));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// Plain run-length data: a run per pixel pair, a line end per row.
Bytes rle(const std::vector<int>& values, int width, bool fourBits)
{
    Bytes out;
    for (std::size_t start = 0; start < values.size(); start += static_cast<std::size_t>(width)) {
        for (int x = 0; x < width; x += 2) {
            const int a = values[start + x];
            const int b = x + 1 < width ? values[start + x + 1] : a;
            out.push_back(static_cast<std::uint8_t>(std::min(2, width - x)));
            out.push_back(static_cast<std::uint8_t>(fourBits ? a << 4 | b : a));
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 2, 1, 1, 0, 1});
    return out;
}

std::vector<std::array<std::uint8_t, 3>> palette(int entries)
{
    std::vector<std::array<std::uint8_t, 3>> out;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / std::max(1, entries - 1));
        out.push_back({v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v / 2)});
    }
    return out;
}

std::vector<std::string> bitmapSeeds()
{
    const tools::Image tile = tools::demoTileTexture(8);
    const tools::Image cross = tools::crosshairTexture(8);
    std::vector<std::string> out = {text(tools::encodeBmp24(tile)),
                                    text(tools::encodeAlphaBmp8(cross))};
    const int w = tile.width, h = tile.height;
    for (int bits : {1, 2, 4}) {
        const auto v = indices(tile, bits);
        out.push_back(imagetest::bmpFile({.width = w,
                                          .height = h,
                                          .bits = bits,
                                          .palette = palette(1 << bits),
                                          .pixels = packed(v, w, bits)}));
    }
    out.push_back(imagetest::bmpFile({.width = w,
                                      .height = h,
                                      .bits = 4,
                                      .infoSize = 12,
                                      .palette = palette(16),
                                      .pixels = packed(indices(tile, 4), w, 4)}));
    out.push_back(imagetest::bmpFile({.width = w,
                                      .height = h,
                                      .bits = 8,
                                      .compression = 1,
                                      .palette = palette(256),
                                      .rle = rle(indices(cross, 8), w, false)}));
    out.push_back(imagetest::bmpFile({.width = w,
                                      .height = h,
                                      .bits = 4,
                                      .compression = 2,
                                      .palette = palette(16),
                                      .rle = rle(indices(cross, 4), w, true)}));
    for (const std::array<std::uint32_t, 4> masks :
         {std::array<std::uint32_t, 4>{0xF800, 0x07E0, 0x001F, 0},
          std::array<std::uint32_t, 4>{0x0F00, 0x00F0, 0x000F, 0xF000}}) {
        Bmp b{.width = w,
              .height = h,
              .bits = 16,
              .infoSize = masks[3] ? 108u : 40u,
              .compression = 3,
              .masks = masks};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = tile.at(x, y);
                const unsigned v = (p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3;
                b.pixels.insert(b.pixels.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
            }
        out.push_back(imagetest::bmpFile(b));
    }
    Bmp deep{
        .width = w, .height = h, .bits = 32, .topDown = true, .infoSize = 124, .compression = 3};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = cross.at(x, y);
            deep.pixels.insert(deep.pixels.end(), {p[2], p[1], p[0], p[3]});
        }
    out.push_back(imagetest::bmpFile(deep));
    return out;
}

std::string terrainRecord()
{
    tools::HeightFieldRecord field;
    field.columns = 3;
    field.rows = 3;
    field.texture = "c.bmp";
    auto at = [](int i, int j) { return Vector3{2.0 * i, 0.3 * i - 0.2 * j, 2.0 * j}; };
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            Vertex v;
            const Vector3 p = at(i, j);
            v.x = p.x, v.y = p.y, v.z = p.z, v.ny = 1, v.r = v.g = v.b = 1;
            field.vertices.push_back(v);
        }
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            const std::vector<Vector3> first = {at(i, j), at(i, j + 1), at(i + 1, j)};
            const std::vector<Vector3> second = {at(i + 1, j), at(i, j + 1), at(i + 1, j + 1)};
            field.triangles.push_back(*tools::makeCollisionPolygon(first, {0, 1, 0}));
            field.triangles.push_back(*tools::makeCollisionPolygon(second, {0, 1, 0}));
        }
    return tools::heightFieldBlock(field);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    root = argv[1];
    fuzz::environment();

    const auto bitmaps = bitmapSeeds();
    for (std::size_t i = 0; i < bitmaps.size(); ++i)
        seed("bmp", "bmp-" + std::to_string(i), bitmaps[i]);
    const tools::Image corona = tools::coronaTexture(8);
    seed("tga", "tga24", text(tools::encodeTga24(corona)));
    seed("tga", "tga32", text(tools::encodeTga32(corona)));

    // The texture harness: a kind byte, the image's length, the image, the companion.
    const auto texture = [](bool tga, const std::string& image, const std::string& alpha) {
        std::string out(1, tga ? '\1' : '\0');
        out += static_cast<char>(image.size() & 0xFF);
        out += static_cast<char>(image.size() >> 8);
        return out + image + alpha;
    };
    const std::string alpha = text(tools::encodeAlphaBmp8(tools::crosshairTexture(8)));
    seed("texture_alpha", "bmp", texture(false, bitmaps[0], alpha));
    seed("texture_alpha", "bmp4", texture(false, bitmaps[4], bitmaps[2]));
    seed("texture_alpha", "tga", texture(true, text(tools::encodeTga32(corona)), alpha));

    // Worlds: the demo world (its BSP tree included), a terrain world
    // naming the harness's textures, an empty one.
    const tools::DemoWorld demo = tools::generateDemo();
    seed("world", "demo", demo.text);
    const std::string terrain = terrainRecord();
    seed("world", "terrain", "0 5 0 0.5 0.5 0.5 3 a.bmp !a.bmp b.tga 1\n" + terrain + "0\n");
    seed("world", "empty", "1 2 3 1 1 1 0 0 0");
    seed("heightfield", "grid", terrain.substr(terrain.find('\n') + 1));

    // The demo world's BSP section, as the loader reads it: the world is
    // loaded beside a tile of its own.
    const std::string tile = text(tools::encodeBmp24(tools::demoTileTexture(8)));
    fs::create_directories(fuzz::scratchFolder() + "/Textures");
    fs::create_directories(fuzz::scratchFolder() + "/Bin");
    fuzz::writeScratch("Textures/demo-tile.bmp", reinterpret_cast<const std::uint8_t*>(tile.data()),
                       tile.size());
    const std::string demoPath = fuzz::writeScratch(
        "demo.wrl", reinterpret_cast<const std::uint8_t*>(demo.text.data()), demo.text.size());
    const fs::path here = fs::current_path();
    fs::current_path(fuzz::scratchFolder() + "/Bin");
    auto world = loadWorld(demoPath, true);
    fs::current_path(here);
    if (!world || !world->bspTree) {
        std::fprintf(stderr, "fuzz_seeds: the demo world did not load: %s\n",
                     lastWorldLoadProblem().c_str());
        return 1;
    }
    {
        std::string bsp;
        writeBspTree(bsp, world->bspTree.get());
        seed("bsp", "demo", bsp);
        world->unloadTextures();
    }
    seed("bsp", "empty", "0");

    // The token reader: a script of reads, then a slice of real text.
    seed("tokens", "header", std::string("\1\1\1\1\1\1\0\3", 8) + demo.text.substr(0, 400));
    seed("tokens", "terrain", std::string("\0\0\2\1\1\1\1\1", 8) + terrain);
    return 0;
}
