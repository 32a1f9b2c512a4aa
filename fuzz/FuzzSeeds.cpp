// Writes the seed corpora of the harnesses from our own content: small
// versions of the game's textures in every bitmap layout the reader takes,
// the demo world, its BSP section, a terrain record, the player's skeleton
// and the small models of the import tests. Nothing is committed;
// scripts/fuzz.sh runs this before fuzzing.
//   fuzz_seeds FOLDER  ->  FOLDER/<harness>/<seed>

#include "FuzzSupport.h"
#include "ImageTestFiles.h"
#include "ImportTestModels.h"

#include "bsp/CollisionBuilder.h"
#include "content/Demo.h"
#include "content/SkeletonFile.h"
#include "content/Sounds.h"
#include "content/Textures.h"
#include "geometry/BspNode.h"
#include "images/Image.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "worldfile/WorldWriter.h"

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
            v.position = p, v.normal.y = 1, v.r = v.g = v.b = 1;
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

// Bone records of length 1 with the given axis and reference direction.
std::string bone(const char* axes, int children)
{
    return std::string("1 ") + axes + " 0 0.1 0 -30 45 " + std::to_string(children) + "\n";
}

void skeletonSeeds()
{
    seed("skeleton", "humanoid", tools::humanoidSkeletonText());
    seed("skeleton", "one-bone", bone("1 0 0 0 1 0", 0) + "0\n");
    // root -> (c1 -> (g1), c2): channels on the first three, one stepping.
    seed("skeleton", "tree",
         bone("1 0 0 0 1 0", 2) + bone("0 0 2 0 1 0", 1) + bone("1 0 0 1 0 0", 0) +
             bone("0 1 0 1 0 0", 0) +
             "3\n3 0 0 0.5 1 1 0\n2 0 0.25 2 0.75\n4 0 1 0.5 0 0.5 1 1.5 1\n");
    // A reference parallel to the axis leaves a flat frame that is still read.
    seed("skeleton", "flat-frame",
         bone("0 3 0 0 1 0", 1) + bone("1 0 0 -2 0 0", 0) + "1 2 0 0 2 1\n");
}

std::string fromBase64(const std::string& text)
{
    static const std::string digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const std::size_t d = digits.find(c);
        if (d == std::string::npos) break;  // '=' ends it
        bits = bits << 6 | static_cast<unsigned>(d);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// The GLB container around glTF text: the buffer's data URI becomes the
// binary chunk.
std::string glb(std::string json)
{
    const std::string prefix = "\"uri\":\"data:application/octet-stream;base64,";
    const std::size_t at = json.find(prefix);
    const std::size_t end = json.find('"', at + prefix.size());
    std::string binary = fromBase64(json.substr(at + prefix.size(), end - at - prefix.size()));
    json.erase(at - 1, end + 1 - (at - 1));  // the comma before the uri too
    while (json.size() % 4) json += ' ';
    while (binary.size() % 4) binary += '\0';
    const auto put32 = [](std::string& out, std::size_t v) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string out = "glTF";
    put32(out, 2);
    put32(out, 12 + 8 + json.size() + 8 + binary.size());
    put32(out, json.size());
    out += "JSON" + json;
    put32(out, binary.size());
    out += std::string("BIN\0", 4) + binary;
    return out;
}

// A floor with an embedded picture, a wall, a PlayerStart node and a lamp.
std::string gltfRoom()
{
    import_test::Gltf g;
    const float white[4] = {1, 1, 1, 1};
    const float brick[4] = {0.75f, 0.25f, 0.125f, 1};
    const int tiles =
        g.addMaterial("Tiles", white, g.addTexture(import_test::patterned(4, 2, true)));
    const int bricks = g.addMaterial("Brick", brick);
    import_test::Gltf::Primitive floor;
    floor.positions = {-4, 0, -4, 4, 0, -4, 4, 0, 4, -4, 0, 4};
    floor.normals = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
    floor.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    floor.indices = {0, 3, 2, 0, 2, 1};
    floor.material = tiles;
    import_test::Gltf::Primitive wall;
    wall.positions = {-4, 0, -4, 4, 0, -4, 4, 3, -4};
    wall.indices = {0, 1, 2};
    wall.material = bricks;
    const int floorMesh = g.addMesh("floor", floor);
    const int wallMesh = g.addMesh("wall", wall);
    const float at[3] = {1, 1.5f, 2}, origin[3] = {0, 0, 0}, lampAt[3] = {0, 2.5f, 0};
    const int start = g.addNode("PlayerStart", at);
    const int room = g.addNode(
        "Room", origin,
        "\"mesh\":" + std::to_string(floorMesh) + ",\"children\":[" + std::to_string(start) + "]");
    const int wallNode = g.addNode("Wall", origin, "\"mesh\":" + std::to_string(wallMesh));
    const float orange[3] = {1, 0.5f, 0.25f};
    const int lamp = g.addNode("Lamp", lampAt,
                               "\"extensions\":{\"KHR_lights_punctual\":{\"light\":" +
                                   std::to_string(g.addPointLight(orange, 4.0)) + "}}");
    return g.text({room, wallNode, lamp});
}

// The import harness: a format byte (0 glTF, 1 GLB, 2 OBJ, 3 PLY, 4
// Collada), the model, then the companions "m.mtl" and "t.png" after marks.
void importSeeds()
{
    const std::string mark = "\n--companion--\n";
    const auto model = [&](char format, const std::string& text, const std::string& mtl = {},
                           const std::string& png = {}) {
        std::string out = std::string(1, format) + text;
        if (!mtl.empty() || !png.empty()) out += mark + mtl;
        if (!png.empty()) out += mark + png;
        return out;
    };
    const std::string room = gltfRoom();
    seed("import", "gltf-room", model(0, room));
    seed("import", "glb-room", model(1, glb(room)));
    seed("import", "obj-textured",
         model(2,
               "mtllib m.mtl\nv 0 0 0\nv 8 0 0\nv 8 0 -8\nv 0 0 -8\nv 0 4 -8\nv 8 4 -8\n"
               "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 1 0\n"
               "usemtl glass\nf 1/1/1 2/2/1 3/3/1 4/4/1\nusemtl stone\nf 4/1 3/2 6/3 5/4\n",
               "newmtl glass\nKd 1 1 1\nmap_Kd t.png\nnewmtl stone\nKd 0.5 0.4 0.3\n",
               import_test::png(import_test::patterned(3, 5, false))));
    // An L-shaped face, three points on a line and a repeated corner.
    seed("import", "obj-awkward",
         model(2,
               "v 0 0 4\nv 2 0 4\nv 2 0 2\nv 4 0 2\nv 4 0 0\nv 0 0 0\n"
               "v 10 0 0\nv 11 0 0\nv 12 0 0\nf 1 2 3 4 5 6\nf 7 8 9\nf 7 7 8\n"));
    seed("import", "ply-floor", model(3, import_test::plyFloor));
    std::string binaryPly =
        "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
        "property float y\nproperty float z\nelement face 1\n"
        "property list uchar int vertex_indices\nend_header\n";
    const float corners[9] = {0, 0, 0, 0, 0, -1, 1, 0, 0};
    binaryPly.append(reinterpret_cast<const char*>(corners), sizeof corners);
    const std::int32_t face[3] = {0, 1, 2};
    binaryPly += '\3';
    binaryPly.append(reinterpret_cast<const char*>(face), sizeof face);
    seed("import", "ply-binary", model(3, binaryPly));
    seed("import", "dae-floor", model(4, import_test::zUpCollada));
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
    if (!world || world->bspTree.empty()) {
        std::fprintf(stderr, "fuzz_seeds: the demo world did not load: %s\n",
                     lastWorldLoadProblem().c_str());
        return 1;
    }
    {
        std::string bsp;
        writeBspTree(bsp, world->bspTree.root());
        seed("bsp", "demo", bsp);
        world->unloadTextures();
    }
    seed("bsp", "empty", "0");

    // The token reader: a script of reads, then a slice of real text.
    seed("tokens", "header", std::string("\1\1\1\1\1\1\0\3", 8) + demo.text.substr(0, 400));
    seed("tokens", "terrain", std::string("\0\0\2\1\1\1\1\1", 8) + terrain);

    skeletonSeeds();
    importSeeds();
    // Sounds: two of the game's own, short, and a cut one.
    for (const tools::GeneratedFile& f : tools::generateSounds()) {
        if (f.name != "tick.wav" && f.name != "footstep.wav") continue;
        const std::string bytes(f.bytes.begin(), f.bytes.end());
        seed("sound", f.name, bytes);
        seed("sound", "cut-" + f.name, bytes.substr(0, 300));
    }
    return 0;
}
