#include "content/Demo.h"

#include "worldfile/Format.h"
#include "worldfile/MeshBuilder.h"
#include "worldfile/WorldWriter.h"

namespace tools {

namespace {

constexpr double yardHalf = 20.0;
constexpr int tilesPerSide = 8;
constexpr double wallHeight = 4.0;
// One texture repeat every 2 units.
constexpr double tileScale = 2.0;

// Colours are rounded so the file prints them briefly.
void paint(DrawnPolygon& p, const Vector3& colour)
{
    for (Vertex& v : p.vertices) {
        v.r = roundDecimals(colour.x, 4);
        v.g = roundDecimals(colour.y, 4);
        v.b = roundDecimals(colour.z, 4);
    }
}

// Corners o, o+u, o+u+v, o+v: counter-clockwise seen from where u x v points.
void addQuad(MeshBuilder& mesh, const Vector3& o, const Vector3& u, const Vector3& v,
             const Vector3& colour)
{
    mesh.addPolygon({o, o + u, o + u + v, o + v}, texture::demoTile, tileScale);
    paint(mesh.polygons().back(), colour);
}

// Each side a little darker than the top, differently per direction, so the
// block's shape shows without lighting.
double sideShade(const Vector3& normal)
{
    if (normal.y > 0.5) return 1.0;
    if (normal.z > 0.5) return 0.85;
    if (normal.z < -0.5) return 0.6;
    if (normal.x > 0.5) return 0.75;
    return 0.7;
}

void addBlock(MeshBuilder& mesh, const DemoBlock& block)
{
    const std::size_t first = mesh.polygons().size();
    mesh.addBox(block.lo, block.hi, texture::demoTile, tileScale);
    for (std::size_t i = first; i < mesh.polygons().size(); ++i) {
        DrawnPolygon& p = mesh.polygons()[i];
        paint(p, block.colour * sideShade(p.normal));
    }
}

}  // namespace

DemoWorld generateDemo()
{
    DemoWorld out;
    MeshBuilder mesh;

    const double step = 2 * yardHalf / tilesPerSide;
    for (int i = 0; i < tilesPerSide; ++i) {
        for (int j = 0; j < tilesPerSide; ++j) {
            const Vector3 corner{-yardHalf + i * step, 0.0, -yardHalf + j * step};
            const Vector3 tone =
                (i + j) % 2 == 0 ? Vector3{0.55, 0.6, 0.5} : Vector3{0.42, 0.47, 0.4};
            addQuad(mesh, corner, {0, 0, step}, {step, 0, 0}, tone);
        }
    }
    // Walls facing inwards: far and near, then left and right.
    const double side = 2 * yardHalf;
    const Vector3 up{0, wallHeight, 0};
    addQuad(mesh, {-yardHalf, 0, -yardHalf}, {side, 0, 0}, up, {0.5, 0.45, 0.6});
    addQuad(mesh, {yardHalf, 0, yardHalf}, {-side, 0, 0}, up, {0.5, 0.45, 0.6});
    addQuad(mesh, {-yardHalf, 0, yardHalf}, {0, 0, -side}, up, {0.45, 0.4, 0.55});
    addQuad(mesh, {yardHalf, 0, -yardHalf}, {0, 0, side}, up, {0.45, 0.4, 0.55});

    out.blocks = {
        {{-9, 0, -9}, {-5, 3, -5}, {0.9, 0.3, 0.25}},  // red
        {{4, 0, -12}, {8, 5, -6}, {0.25, 0.45, 0.9}},  // blue
        {{-2, 0, -3}, {1, 1.5, 0}, {0.95, 0.8, 0.2}},  // yellow, straight ahead
        {{9, 0, 2}, {12, 2.5, 5}, {0.3, 0.8, 0.4}},    // green, off to the right
    };
    for (const DemoBlock& block : out.blocks) addBlock(mesh, block);

    // Every drawn polygon collides, tiles included, so "worldtool bsp"
    // rebuilds the same section from the file.
    BspCompileResult compiled = compileBsp(compilerSources(mesh.polygons()));
    out.bsp = compiled.stats;
    out.warnings = compiled.warnings;
    if (!compiled.ok()) out.warnings.push_back(compiled.error);

    // One unit above the floor: the player settles onto it on the first frames.
    out.playerStart = {0.0, 1.0, 16.0};
    out.worldspawnPolygons = mesh.polygons().size();

    WorldText world;
    world.playerStart = out.playerStart;
    world.ambientLight = {1.0, 1.0, 1.0};
    world.textures = {texture::demoTile};
    world.entityBlocks.push_back(worldspawnBlock(mesh.polygons()));
    out.text = world.withoutBsp();
    out.text += bspSection(compiled.root.get());
    return out;
}

}  // namespace tools
