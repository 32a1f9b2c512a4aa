#include "content/Canyon.h"

#include "bsp/CollisionBuilder.h"
#include "content/CanyonShape.h"
#include "content/Drone.h"
#include "content/Lighting.h"
#include "content/Noise.h"
#include "content/Textures.h"
#include "geometry/BspTree.h"
#include "geometry/HeightGrid.h"
#include "worldfile/Format.h"
#include "worldfile/WorldWriter.h"

#include <algorithm>
#include <cmath>

namespace tools {

using namespace canyon;

namespace {

// The terrain grid with its collision triangles, lit later.
HeightFieldRecord buildTerrain()
{
    HeightFieldRecord field;
    field.columns = gridColumns;
    field.rows = gridRows;
    field.texture = texture::sand;
    auto height = [](int i, int j) {
        return snapBinary(terrainHeight(gridMinX + cellX * i, gridMinZ + cellZ * j), 5);
    };
    for (int j = 0; j < gridRows; ++j) {
        for (int i = 0; i < gridColumns; ++i) {
            Vertex v;
            v.position.x = gridMinX + cellX * i;
            v.position.z = gridMinZ + cellZ * j;
            v.position.y = height(i, j);
            // Normal from the neighbours' heights.
            const double dx =
                height(std::min(i + 1, gridColumns - 1), j) - height(std::max(i - 1, 0), j);
            const double dz =
                height(i, std::min(j + 1, gridRows - 1)) - height(i, std::max(j - 1, 0));
            const double spanX = cellX * (std::min(i + 1, gridColumns - 1) - std::max(i - 1, 0));
            const double spanZ = cellZ * (std::min(j + 1, gridRows - 1) - std::max(j - 1, 0));
            Vector3 n{-dx / spanX, 1.0, -dz / spanZ};
            n /= n.length();
            v.normal.x = roundDecimals(n.x, 4);
            v.normal.y = roundDecimals(n.y, 4);
            v.normal.z = roundDecimals(n.z, 4);
            v.u = roundDecimals(v.position.x / 10.0, 3);
            v.v = roundDecimals(-v.position.z / 10.0, 3);
            field.vertices.push_back(v);
        }
    }
    // Two triangles per cell, split along the diagonal the triangle strip
    // draws: (i, j), (i, j + 1), (i + 1, j) and (i, j + 1), (i + 1, j + 1), (i + 1, j).
    auto corner = [&](int i, int j) {
        const Vertex& v = field.vertices[static_cast<std::size_t>(j * gridColumns + i)];
        return v.position;
    };
    for (int j = 0; j + 1 < gridRows; ++j) {
        for (int i = 0; i + 1 < gridColumns; ++i) {
            const Vector3 up{0, 1, 0};
            auto first =
                makeCollisionPolygon({corner(i, j), corner(i, j + 1), corner(i + 1, j)}, up);
            auto second = makeCollisionPolygon(
                {corner(i, j + 1), corner(i + 1, j + 1), corner(i + 1, j)}, up);
            // Grid triangles always have area; the fallback keeps the count right regardless.
            field.triangles.push_back(first ? std::move(*first) : CollisionPolygon{});
            field.triangles.push_back(second ? std::move(*second) : CollisionPolygon{});
        }
    }
    return field;
}

// Material tints over the textures' own colours.
Vector3 tintOf(const std::string& textureName)
{
    if (textureName == texture::rock) return {1.0, 0.96, 0.92};
    if (textureName == texture::stone) return {1.0, 0.98, 0.94};
    return {1.0, 1.0, 1.0};
}

// Ground point under (x, z) on the collision geometry, from high above.
double groundAt(const BspTree& tree, const HeightGrid& terrain, double x, double z)
{
    const Vector3 top{x, 200.0, z}, bottom{x, -200.0, z};
    double best = -1e9;
    if (const auto hit = tree.intersectSegment(top, bottom)) best = std::max(best, hit->point.y);
    if (const auto hit = terrain.intersectSegment(top, bottom)) best = std::max(best, hit->point.y);
    return best;
}

}  // namespace

std::vector<DrawnPolygon> skyboxPolygons()
{
    std::vector<DrawnPolygon> faces;
    const SkyFace order[] = {SkyFace::Front, SkyFace::Back, SkyFace::Left,
                             SkyFace::Right, SkyFace::Up,   SkyFace::Down};
    for (SkyFace face : order) {
        DrawnPolygon p;
        p.texture = std::string("..\\Textures\\") + skyFaceFileName(face);
        const Vector3 centre = skyFaceDirection(face, 0.5, 0.5);
        p.normal = centre.negated();  // seen from inside
        // Texture corners (0,0), (1,0), (1,1), (0,1), in this order.
        for (const auto& [u, v] :
             {std::pair{0.0, 0.0}, std::pair{1.0, 0.0}, std::pair{1.0, 1.0}, std::pair{0.0, 1.0}}) {
            const Vector3 at = skyFaceDirection(face, u, v);
            Vertex vertex;
            vertex.position.x = at.x;
            vertex.position.y = at.y;
            vertex.position.z = at.z;
            vertex.u = u;
            vertex.v = v;
            vertex.normal.x = p.normal.x;
            vertex.normal.y = p.normal.y;
            vertex.normal.z = p.normal.z;
            p.vertices.push_back(vertex);
        }
        faces.push_back(std::move(p));
    }
    // The cloud layer: a ceiling seen from below, its texture repeated by the skybox.
    DrawnPolygon clouds;
    clouds.texture = "..\\Textures\\clouds.tga";
    clouds.normal = {0, -1, 0};
    for (const auto& [x, z] :
         {std::pair{-1.0, -1.0}, std::pair{1.0, -1.0}, std::pair{1.0, 1.0}, std::pair{-1.0, 1.0}}) {
        Vertex vertex;
        vertex.position.x = x;
        vertex.position.y = 0.4;
        vertex.position.z = z;
        vertex.u = (x + 1.0) / 2.0;
        vertex.v = (z + 1.0) / 2.0;
        vertex.normal.y = -1.0;
        clouds.vertices.push_back(vertex);
    }
    faces.push_back(std::move(clouds));
    return faces;
}

CanyonWorld generateCanyon(const CanyonOptions& options)
{
    CanyonWorld out;
    HeightFieldRecord terrain = buildTerrain();
    out.terrainColumns = terrain.columns;
    out.terrainRows = terrain.rows;

    MeshBuilder mesh;
    buildCanyonWalls(mesh);
    buildCanyonStructures(mesh, out.layout);

    // Collision first: the tree also tells the lighting what is in the way.
    BspCompileResult compiled = compileBsp(compilerSources(mesh.polygons()));
    out.bsp = compiled.stats;
    out.warnings = compiled.warnings;
    if (!compiled.ok()) out.warnings.push_back(compiled.error);
    const BspTree tree(std::move(compiled.root));

    HeightGrid field;
    field.columns = terrain.columns;
    field.rows = terrain.rows;
    field.vertices = terrain.vertices;
    field.triangles = terrain.triangles;
    double highest = -1e9;
    for (const Vertex& v : terrain.vertices) highest = std::max(highest, v.position.y);
    for (const DrawnPolygon& p : mesh.polygons()) {
        for (const Vertex& v : p.vertices) highest = std::max(highest, v.position.y);
    }
    const LightBaker baker(&tree, &field, highest);

    for (DrawnPolygon& p : mesh.polygons()) {
        const Vector3 n = p.normal / p.normal.length();
        Vector3 centre;
        for (const Vertex& v : p.vertices) centre += v.position;
        centre /= static_cast<double>(p.vertices.size());
        const Vector3 tint = tintOf(p.texture);
        for (Vertex& v : p.vertices) {
            // Sampled a little inside the face, so corners are not lit by
            // the faces they touch.
            const Vector3 at = v.position + (centre - v.position) * 0.02;
            const Vector3 c = baker.colourAt(at, n, tint);
            v.r = c.x;
            v.g = c.y;
            v.b = c.z;
        }
    }
    for (Vertex& v : terrain.vertices) {
        const Vector3 n = v.normal;
        // Sand on the floor, redder rock dust up on the plateau.
        const double up = smoothstep(2.0, 8.0, outside(v.position.x, v.position.z));
        const Vector3 tint{1.0, mix(1.0, 0.86, up), mix(1.0, 0.76, up)};
        const Vector3 c = baker.colourAt(v.position, n / n.length(), tint);
        v.r = c.x;
        v.g = c.y;
        v.b = c.z;
    }

    // The player stands 0.3 above the ground at the +z end, looking down -z.
    const double startZ = 138.0;
    const double startX = centreX(startZ);
    const double ground = groundAt(tree, field, startX, startZ);
    out.layout.playerStart = {startX, snapBinary(ground + 0.3, 10), startZ};

    WorldText world;
    world.playerStart = out.layout.playerStart;
    world.ambientLight = {0.45, 0.45, 0.5};
    world.textures = {texture::rock, texture::sand,  texture::grass,  texture::stone,
                      texture::wood, texture::metal, texture::cement, texture::drone};
    if (options.skybox) world.entityBlocks.push_back(skyboxBlock(skyboxPolygons()));
    world.entityBlocks.push_back(worldspawnBlock(mesh.polygons()));
    world.entityBlocks.push_back(heightFieldBlock(terrain));

    // Drones hover over the open floor, their torsos at the player's eye
    // height, and roam from there.
    std::vector<Vector3> droneSpots;
    for (const double z : {125.0, 95.0, 60.0, 5.0, -36.0, -85.0, -130.0}) {
        droneSpots.push_back({centreX(z) + 2.0, 0.0, z});
    }
    const std::vector<DrawnPolygon> drone = droneMesh();
    // A drone's box, with a margin, must meet nothing: the first offset
    // across the canyon from a spot where that holds is taken.
    auto clear = [&](const Vector3& at) {
        const Vector3 lo = at + Vector3{-1.5, -droneDepth - 0.3, -1.5};
        const Vector3 hi = at + Vector3{1.5, 1.8, 1.5};
        for (int i = 0; i < 8; ++i) {
            for (int j = i + 1; j < 8; ++j) {
                auto corner = [&](int k) {
                    return Vector3{k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z};
                };
                const Vector3 a = corner(i), b = corner(j);
                if (tree.intersectSegment(a, b)) return false;
                if (field.intersectSegment(a, b)) return false;
            }
        }
        return true;
    };
    for (const Vector3& spot : droneSpots) {
        for (const double offset : {0.0, 4.0, -4.0, 8.0, -8.0, 12.0, -12.0}) {
            const double x = spot.x + offset;
            const Vector3 at = snapped({x, groundAt(tree, field, x, spot.z) + droneHover, spot.z});
            // Room to set off: open ahead along -z and to both sides.
            auto open = [&](const Vector3& to) {
                return !tree.intersectSegment(at, at + to) && !field.intersectSegment(at, at + to);
            };
            if (!clear(at) || !open({0, 0, -14}) || !open({-9, 0, 0}) || !open({9, 0, 0})) continue;
            out.layout.drones.push_back(at);
            world.entityBlocks.push_back(movingObjectBlock("RobotDrone", at, "drone", drone));
            break;
        }
    }
    // Three crystals turning where the player looks: ahead of the start,
    // over the highest pillar, over the bridge.
    const double crystalZ = 122.0;
    const double crystalX = centreX(crystalZ) - 7.0;
    const struct {
        Vector3 at;
        const char* behaviour;
    } crystals[] = {
        {{crystalX, groundAt(tree, field, crystalX, crystalZ) + 3.0, crystalZ}, "rotateY"},
        {out.layout.pillarTops.back() + Vector3{0, 2.5, 0}, "rotateX"},
        {out.layout.bridgeTop + Vector3{0, 4.0, 0}, "rotateZ"},
    };
    for (const auto& crystal : crystals) {
        const Vector3 at = snapped(crystal.at);
        out.layout.spinners.push_back(at);
        world.entityBlocks.push_back(movingObjectBlock("DynamicObject", at, crystal.behaviour,
                                                       crystalMesh(1.0, texture::metal)));
    }

    // Lamps: warm at the ruin's door, cool on the bridge, a beacon over the teapots.
    const Vector3 warm{1.0, 0.72, 0.4}, cool{0.7, 0.82, 1.0};
    world.entityBlocks.push_back(lightBlock({out.layout.doorLamp, warm, 12.0, 0.9}));
    for (const Vector3& lamp : out.layout.bridgeLamps) {
        world.entityBlocks.push_back(lightBlock({lamp, cool, 14.0, 1.8}));
    }
    world.entityBlocks.push_back(
        lightBlock({out.layout.plinthTop + Vector3{0, 2.2, 0}, {1.0, 0.92, 0.75}, 8.0, 0.6}));

    // The vehicle waits a few steps ahead of the start, its ball on the ground.
    const Vector3 vehicleScale{1.6, 1.2, 1.6};
    const double vehicleZ = startZ - 10.0;
    const double vehicleX = startX + 2.5;
    const double vehicleGround = groundAt(tree, field, vehicleX, vehicleZ);
    const double vehicleY = snapBinary(vehicleGround + 0.35 * vehicleScale.y, 10);
    out.layout.vehicle = {vehicleX, vehicleY, vehicleZ};
    world.entityBlocks.push_back(vehicleBlock(vehicleScale, out.layout.vehicle, 3.0));

    // Wind over the open canyon, two takes of it over its two halves, and
    // the hum of the lamp at the ruin's door.
    const struct {
        const std::string& file;
        double z;
    } winds[] = {{sound::wind, 85.0}, {sound::gusts, -65.0}};
    for (const auto& w : winds) {
        const double x = centreX(w.z);
        const Vector3 over{x, groundAt(tree, field, x, w.z) + 6.0, w.z};
        world.entityBlocks.push_back(soundBlock({w.file, snapped(over), 110.0, 0.45, true}));
    }
    world.entityBlocks.push_back(soundBlock({sound::lampHum, out.layout.doorLamp, 9.0, 0.6, true}));

    // A solid and a wire teapot on the plinth.
    const Vector3 teapotScale{0.7, 0.7, 0.7};
    const Vector3 onPlinth = out.layout.plinthTop + Vector3{0, 0.28, 0};
    world.entityBlocks.push_back(teapotBlock(teapotScale, onPlinth + Vector3{0, 0, -0.7}, 1, 0.0));
    world.entityBlocks.push_back(teapotBlock(teapotScale, onPlinth + Vector3{0, 0, 0.7}, 0, 90.0));
    out.worldspawnPolygons = mesh.polygons().size();

    out.text = world.withoutBsp();
    out.text += bspSection(tree.root());
    return out;
}

}  // namespace tools
