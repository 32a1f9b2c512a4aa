#include "content/Canyon.h"
#include "content/CanyonShape.h"
#include "content/Noise.h"
#include "content/Random.h"

#include <algorithm>
#include <cmath>

namespace tools {

using namespace canyon;

namespace {

// Strata run level across the walls: 16 units of rock per texture repeat.
constexpr double wallTextureScale = 16.0;

double jitter(int a, int b, int c, std::uint64_t seed) { return hashUnit(a * 131 + c, b, seed); }

// A wall of rock as a sheet of triangles over a grid of (along, up)
// points; `point` gives each grid point, the corners of the cell (k, r)
// are wound so the wall faces `inward`.
template <typename PointAt>
void addRockSheet(MeshBuilder& mesh, int segments, int rows, PointAt point, const Vector3& inward)
{
    for (int k = 0; k < segments; ++k) {
        for (int r = 0; r < rows; ++r) {
            const Vector3 a = point(k, r), b = point(k + 1, r), c = point(k + 1, r + 1),
                          d = point(k, r + 1);
            auto uv = [](const Vector3& p, double along) {
                return Vector3{along / wallTextureScale, p.y / wallTextureScale, 0.0};
            };
            // Texture u runs along the sheet whichever way it lies.
            const double ua = static_cast<double>(k) * 5.0, ub = ua + 5.0;
            std::vector<Vector3> first{a, b, c}, second{a, c, d};
            std::vector<Vector3> firstUv{uv(a, ua), uv(b, ub), uv(c, ub)},
                secondUv{uv(a, ua), uv(c, ub), uv(d, ua)};
            const Vector3 n = (b - a).cross(c - a);
            if (n.dot(inward) < 0.0) {
                std::reverse(first.begin(), first.end());
                std::reverse(firstUv.begin(), firstUv.end());
                std::reverse(second.begin(), second.end());
                std::reverse(secondUv.begin(), secondUv.end());
            }
            mesh.addMapped(first, firstUv, texture::rock);
            mesh.addMapped(second, secondUv, texture::rock);
        }
    }
}

// Heights of a wall's rows: from under the floor to over the plateau, the
// inner rows shifted a little so the bands are uneven.
double rowHeight(double bottom, double top, int r, int rows, double shake)
{
    double t = static_cast<double>(r) / rows;
    if (r > 0 && r < rows) t += (shake - 0.5) * 0.12;
    return mix(bottom, top, t);
}

// How far a wall point stands into the canyon from the wall line: ledges
// and bulges, the crest set back.
double wallInset(int r, int rows, double shake)
{
    if (r == rows) return -1.0;
    if (r == 0) return 0.2 + 0.5 * shake;
    return 0.3 + 1.6 * shake;
}

// Lowest floor under a footprint, less a margin so nothing floats.
double baseUnder(std::initializer_list<Vector3> points)
{
    double lowest = 1e9;
    for (const Vector3& p : points) lowest = std::min(lowest, terrainHeight(p.x, p.z));
    return lowest - 0.6;
}

// A slab whose top runs from height yA at zA to yB at zB, `width` wide from
// x = left(z), with upright sides down to `base`. The end faces at zA and
// zB are added when asked for.
template <typename Left>
void addSlab(MeshBuilder& mesh, double zA, double zB, double yA, double yB, Left left, double width,
             double base, const std::string& topTexture, const std::string& sideTexture, bool endA,
             bool endB)
{
    const double xA = left(zA), xB = left(zB);
    const Vector3 dir = zB < zA ? Vector3{0, 0, -1} : Vector3{0, 0, 1};
    mesh.addFacing({{xA, yA, zA}, {xA + width, yA, zA}, {xB + width, yB, zB}, {xB, yB, zB}},
                   {0, 1, 0}, topTexture, 4.0);
    mesh.addFacing({{xA, base, zA}, {xB, base, zB}, {xB, yB, zB}, {xA, yA, zA}}, {-1, 0, 0},
                   sideTexture, 4.0);
    mesh.addFacing({{xA + width, base, zA},
                    {xB + width, base, zB},
                    {xB + width, yB, zB},
                    {xA + width, yA, zA}},
                   {1, 0, 0}, sideTexture, 4.0);
    if (endA) {
        mesh.addFacing({{xA, base, zA}, {xA + width, base, zA}, {xA + width, yA, zA}, {xA, yA, zA}},
                       dir.negated(), sideTexture, 4.0);
    }
    if (endB) {
        mesh.addFacing({{xB, base, zB}, {xB + width, base, zB}, {xB + width, yB, zB}, {xB, yB, zB}},
                       dir, sideTexture, 4.0);
    }
}

Vector3 onFloor(double x, double z) { return {x, terrainHeight(x, z), z}; }

// A small stone house fallen to ruin: doorway towards +z, the back half
// still roofed with a low ceiling.
void buildRuin(MeshBuilder& mesh, CanyonLayout& layout)
{
    const double zc = 107.0;
    const double x0 = centreX(zc) + 2.0, x1 = x0 + 11.0;
    const double z0 = zc - 4.0, z1 = zc + 4.0;
    const double t = 0.8;
    const double base = baseUnder({{x0, 0, z0}, {x1, 0, z0}, {x0, 0, z1}, {x1, 0, z1}});
    const double g = terrainHeight((x0 + x1) / 2, zc);
    const double top = g + 3.2;
    const double doorHalf = 1.8;
    const double doorX = (x0 + x1) / 2 - 1.0;
    const double lintel = g + 2.4;
    const double ceiling = g + 2.6;
    const double roofBack = z0 + 4.6;

    mesh.addBox({x0, base, z0}, {x1, top, z0 + t}, texture::stone, 3.0);          // back
    mesh.addBox({x0, base, z0 + t}, {x0 + t, top, z1 - t}, texture::stone, 3.0);  // left
    mesh.addBox({x1 - t, base, z0 + t}, {x1, top, roofBack}, texture::stone,
                3.0);  // right, roofed part
    mesh.addBox({x1 - t, base, roofBack}, {x1, g + 1.3, z1 - t}, texture::stone,
                3.0);  // right, fallen
    mesh.addBox({x0, base, z1 - t}, {doorX - doorHalf, top, z1}, texture::stone,
                3.0);  // front, left of door
    mesh.addBox({doorX + doorHalf, base, z1 - t}, {x1, g + 2.6, z1}, texture::stone,
                3.0);  // front, right
    mesh.addBox({doorX - doorHalf, lintel, z1 - t}, {doorX + doorHalf, top, z1}, texture::stone,
                3.0, true);
    mesh.addBox({x0, ceiling, z0}, {x1, ceiling + 0.4, roofBack}, texture::stone, 3.0,
                true);  // roof
    // Rubble inside and a fallen block by the door.
    mesh.addBox({x1 - 3.2, base, roofBack + 0.4}, {x1 - 1.6, g + 0.7, roofBack + 1.8},
                texture::stone, 3.0);
    mesh.addBox({doorX + doorHalf + 0.8, base, z1 + 0.6},
                {doorX + doorHalf + 2.2, g + 0.55, z1 + 2.4}, texture::stone, 3.0);

    layout.ruinDoor = onFloor(doorX, z1 - t / 2);
    layout.ruinInside = onFloor((x0 + x1) / 2, (z0 + roofBack) / 2);
    layout.ruinCeiling = snapped({0, ceiling, 0}).y;
    // A lamp hanging in front of the lintel, lighting the way in.
    layout.doorLamp = snapped({doorX, lintel - 0.3, z1 + 0.7});
}

// Metal crates beside the ruin, low enough to step onto.
void buildCrates(MeshBuilder& mesh)
{
    const double z = 102.0;
    const double x = centreX(z) + 15.0;
    const double g = terrainHeight(x, z);
    const double base = baseUnder({{x - 1, 0, z - 1}, {x + 3, 0, z + 1}});
    mesh.addBox({x - 1.0, base, z - 1.0}, {x + 1.0, g + 0.9, z + 1.0}, texture::metal, 2.0);
    mesh.addBox({x + 1.3, base, z - 0.6}, {x + 2.7, g + 0.7, z + 0.8}, texture::metal, 2.0);
    mesh.addBox({x - 0.7, g + 0.9, z - 0.7}, {x + 0.7, g + 1.9, z + 0.7}, texture::metal, 2.0,
                true);
}

// Columns of rising height to jump across.
void buildPillars(MeshBuilder& mesh, CanyonLayout& layout)
{
    const double g = terrainHeight(centreX(78.0) - 6.0, 78.0);
    for (int i = 0; i < 5; ++i) {
        const double z = 88.0 - 5.0 * i;
        const double x = centreX(z) - 6.0;
        const double height = g + 1.0 + i;
        const double base = baseUnder({{x - 1.6, 0, z - 1.6},
                                       {x + 1.6, 0, z + 1.6},
                                       {x - 1.6, 0, z + 1.6},
                                       {x + 1.6, 0, z - 1.6}});
        mesh.addPrism({x, 0, z}, 1.6, 8, base, height, texture::cement, 2.0, pi / 8);
        layout.pillarTops.push_back(snapped({x, height, z}));
    }
}

// Ramp, ledge, ramp and the stone bridge across the canyon with an arch
// beneath it.
void buildBridge(MeshBuilder& mesh, CanyonLayout& layout)
{
    const double zBack = 28.0, zFront = 22.0;
    const double zc = (zBack + zFront) / 2;
    const double cx = centreX(zc);
    const double g = terrainHeight(cx, zc);
    const double deckTop = g + 7.0, deckBottom = g + 6.0;

    // The path up along the left wall: straight, clear of the rock where it
    // meets the bridge.
    const double pathLeft = centreX(zBack) - halfWidth(zBack) + 3.0;
    auto left = [pathLeft](double) { return pathLeft; };
    constexpr double pathWidth = 4.5;
    const double rampStart = 62.0, ledgeStart = 50.0, ledgeEnd = 40.0;
    const double startHeight = terrainHeight(left(rampStart) + pathWidth / 2, rampStart) + 0.25;
    const double ledgeHeight = g + 3.6;
    auto pathBase = [&](double za, double zb) {
        return baseUnder({{left(za), 0, za},
                          {left(za) + pathWidth, 0, za},
                          {left(zb), 0, zb},
                          {left(zb) + pathWidth, 0, zb}});
    };
    addSlab(mesh, rampStart, ledgeStart, startHeight, ledgeHeight, left, pathWidth,
            pathBase(rampStart, ledgeStart), texture::wood, texture::wood, true, false);
    addSlab(mesh, ledgeStart, ledgeEnd, ledgeHeight, ledgeHeight, left, pathWidth,
            pathBase(ledgeStart, ledgeEnd), texture::grass, texture::stone, false, false);
    addSlab(mesh, ledgeEnd, zBack, ledgeHeight, deckTop, left, pathWidth, pathBase(ledgeEnd, zBack),
            texture::wood, texture::wood, false, false);
    layout.rampFoot = onFloor(pathLeft + pathWidth / 2, rampStart + 2.0);
    layout.ledge = snapped({left((ledgeStart + ledgeEnd) / 2) + pathWidth / 2, ledgeHeight,
                            (ledgeStart + ledgeEnd) / 2});
    // A plinth against the wall side of the ledge, half way up: the teapots'
    // stand, seen from the bridge, found by those who climb.
    const double plinthZ = (ledgeStart + ledgeEnd) / 2;
    const double plinthTop = ledgeHeight + 1.0;
    mesh.addBox({pathLeft + 0.3, ledgeHeight - 0.1, plinthZ - 1.4},
                {pathLeft + 1.4, plinthTop, plinthZ + 1.4}, texture::stone, 2.0);
    layout.plinthTop = snapped({pathLeft + 0.85, plinthTop, plinthZ});

    // Deck from wall to wall, into the rock at both ends.
    const double xL = cx - halfWidth(zc) - 3.5, xR = cx + halfWidth(zc) + 3.5;
    const double pierOuter = 9.5, pierInner = 6.5;
    const double xp0 = cx - pierOuter, xi0 = cx - pierInner, xi1 = cx + pierInner,
                 xp1 = cx + pierOuter;
    const double pierBase = baseUnder({{xp0, 0, zFront},
                                       {xp1, 0, zFront},
                                       {xp0, 0, zBack},
                                       {xp1, 0, zBack},
                                       {xi0, 0, zFront},
                                       {xi1, 0, zBack}});
    const double spring = g + 3.4, crown = g + 5.3;
    constexpr int arcs = 8;
    std::vector<Vector3> arch;  // (x, y) along the arch's underside
    for (int k = 0; k <= arcs; ++k) {
        const double s = -1.0 + 2.0 * k / arcs;
        arch.push_back({cx + s * pierInner,
                        spring + (crown - spring) * std::sqrt(std::max(0.0, 1.0 - s * s)), 0});
    }
    const std::string& stone = texture::stone;
    mesh.addFacing(
        {{xL, deckTop, zBack}, {xR, deckTop, zBack}, {xR, deckTop, zFront}, {xL, deckTop, zFront}},
        {0, 1, 0}, stone, 4.0);
    for (const double z : {zFront, zBack}) {
        const Vector3 out{0, 0, z == zFront ? -1.0 : 1.0};
        mesh.addFacing(
            {{xL, deckBottom, z}, {xp0, deckBottom, z}, {xp0, deckTop, z}, {xL, deckTop, z}}, out,
            stone, 4.0);
        mesh.addFacing(
            {{xp0, pierBase, z}, {xi0, pierBase, z}, {xi0, deckTop, z}, {xp0, deckTop, z}}, out,
            stone, 4.0);
        for (int k = 0; k < arcs; ++k) {
            const Vector3& a = arch[static_cast<std::size_t>(k)];
            const Vector3& b = arch[static_cast<std::size_t>(k + 1)];
            mesh.addFacing({{a.x, a.y, z}, {b.x, b.y, z}, {b.x, deckTop, z}, {a.x, deckTop, z}},
                           out, stone, 4.0);
        }
        mesh.addFacing(
            {{xi1, pierBase, z}, {xp1, pierBase, z}, {xp1, deckTop, z}, {xi1, deckTop, z}}, out,
            stone, 4.0);
        mesh.addFacing(
            {{xp1, deckBottom, z}, {xR, deckBottom, z}, {xR, deckTop, z}, {xp1, deckTop, z}}, out,
            stone, 4.0);
    }
    for (const auto& [a, b] : {std::pair{xL, xp0}, std::pair{xp1, xR}}) {
        mesh.addFacing({{a, deckBottom, zFront},
                        {b, deckBottom, zFront},
                        {b, deckBottom, zBack},
                        {a, deckBottom, zBack}},
                       {0, -1, 0}, stone, 4.0);
    }
    mesh.addFacing({{xp0, pierBase, zFront},
                    {xp0, pierBase, zBack},
                    {xp0, deckBottom, zBack},
                    {xp0, deckBottom, zFront}},
                   {-1, 0, 0}, stone, 4.0);
    mesh.addFacing({{xp1, pierBase, zFront},
                    {xp1, pierBase, zBack},
                    {xp1, deckBottom, zBack},
                    {xp1, deckBottom, zFront}},
                   {1, 0, 0}, stone, 4.0);
    mesh.addFacing({{xi0, pierBase, zFront},
                    {xi0, pierBase, zBack},
                    {xi0, spring, zBack},
                    {xi0, spring, zFront}},
                   {1, 0, 0}, stone, 4.0);
    mesh.addFacing({{xi1, pierBase, zFront},
                    {xi1, pierBase, zBack},
                    {xi1, spring, zBack},
                    {xi1, spring, zFront}},
                   {-1, 0, 0}, stone, 4.0);
    for (int k = 0; k < arcs; ++k) {
        const Vector3& a = arch[static_cast<std::size_t>(k)];
        const Vector3& b = arch[static_cast<std::size_t>(k + 1)];
        mesh.addFacing(
            {{a.x, a.y, zFront}, {b.x, b.y, zFront}, {b.x, b.y, zBack}, {a.x, a.y, zBack}},
            {0, -1, 0}, stone, 4.0);
    }
    layout.bridgeTop = snapped({cx, deckTop, zc});
    // Two lamp posts on the deck's near edge, each with its lamp above.
    for (const double side : {-1.0, 1.0}) {
        const double x = cx + side * 5.0, z = zBack - 0.4;
        mesh.addBox({x - 0.1, deckTop - 0.1, z - 0.1}, {x + 0.1, deckTop + 1.5, z + 0.1},
                    texture::metal, 2.0);
        layout.bridgeLamps.push_back(snapped({x, deckTop + 1.8, z}));
    }
    layout.underArch = onFloor(cx, zc);
}

// Fallen rocks down the canyon beyond the bridge.
void buildBoulders(MeshBuilder& mesh)
{
    Random random(401);
    for (int i = 0; i < 8; ++i) {
        const double z = -12.0 - 16.0 * i + random.uniform(-3, 3);
        const double side = (i % 2 == 0) ? 1.0 : -1.0;
        const double x = centreX(z) + side * random.uniform(4.0, halfWidth(z) - 6.0);
        const double radius = random.uniform(1.4, 3.2);
        const int sides = 5 + static_cast<int>(random.below(3));
        const double base = baseUnder({{x - radius, 0, z - radius},
                                       {x + radius, 0, z + radius},
                                       {x - radius, 0, z + radius},
                                       {x + radius, 0, z - radius}});
        const double height = terrainHeight(x, z) + random.uniform(1.0, 3.2);
        mesh.addPrism({x, 0, z}, radius, sides, base, height, texture::rock, 6.0,
                      random.uniform(0, pi));
    }
}

}  // namespace

void addRimClips(std::vector<SourcePolygon>& clips)
{
    // Behind the wall line, where the plateau has risen (it is reached 7
    // beyond), from under the ground to far above anything the player
    // reaches; long straight pieces, so the tree gains few polygons.
    constexpr double behind = 8.0;
    constexpr double bottom = 0.0;  // under the plateau, which stands 20 higher or more
    constexpr double top = 100.0;
    constexpr int pieces = 16;
    auto wall = [&](double x0, double z0, double x1, double z1, const Vector3& inward) {
        std::vector<Vector3> corners{
            {x0, bottom, z0}, {x1, bottom, z1}, {x1, top, z1}, {x0, top, z0}};
        if ((corners[1] - corners[0]).cross(corners[2] - corners[0]).dot(inward) < 0.0)
            std::reverse(corners.begin(), corners.end());
        clips.push_back({std::move(corners), inward});
    };
    const double endZ = openEnd + behind;
    auto sideX = [&](double z, double side) { return centreX(z) + side * (halfWidth(z) + behind); };
    for (const double side : {-1.0, 1.0}) {
        // A little past the ends' clips, so the corners close.
        const double from = -endZ - 2.0, to = endZ + 2.0;
        for (int k = 0; k < pieces; ++k) {
            const double z0 = from + (to - from) * k / pieces;
            const double z1 = from + (to - from) * (k + 1) / pieces;
            const double x0 = sideX(z0, side), x1 = sideX(z1, side);
            Vector3 inward{z1 - z0, 0.0, x0 - x1};
            if (inward.x * side > 0.0) inward = inward.negated();
            wall(x0, z0, x1, z1, inward / inward.length());
        }
    }
    for (const double end : {-1.0, 1.0}) {
        const double z = end * endZ;
        wall(sideX(z, -1.0) - 2.0, z, sideX(z, 1.0) + 2.0, z, {0.0, 0.0, -end});
    }
}

void buildCanyonWalls(MeshBuilder& mesh)
{
    constexpr int rows = 4;
    // Side walls along the whole grid, ending inside the rock behind the end walls.
    constexpr int segments = 64;
    for (const double side : {-1.0, 1.0}) {
        const int sideIndex = side < 0 ? 0 : 1;
        auto point = [&](int k, int r) {
            const double shake = jitter(k, r, sideIndex, 201);
            double z = gridMinZ + cellZ * k;
            if (k > 0 && k < segments) z += (jitter(k, r, sideIndex, 202) - 0.5) * 1.6;
            const double lineX = centreX(z) + side * halfWidth(z);
            const double bottom = floorHeight(lineX, z) - 2.0;
            const double topY = plateauHeight(lineX + side, z) + 0.8;
            return Vector3{lineX - side * wallInset(r, rows, shake),
                           rowHeight(bottom, topY, r, rows, shake), z};
        };
        addRockSheet(mesh, segments, rows, point, {-side, 0, 0});
    }
    // End walls across the canyon.
    for (const double end : {-1.0, 1.0}) {
        const int endIndex = end < 0 ? 2 : 3;
        const double zEnd = end * openEnd;
        const double from = centreX(zEnd) - halfWidth(zEnd) - 6.0;
        const double to = centreX(zEnd) + halfWidth(zEnd) + 6.0;
        const int endSegments = static_cast<int>(std::ceil((to - from) / 5.0));
        auto point = [&](int k, int r) {
            const double shake = jitter(k, r, endIndex, 203);
            const double x = from + (to - from) * k / endSegments;
            const double bottom = floorHeight(x, zEnd) - 2.0;
            const double topY = plateauHeight(x, zEnd + end) + 0.8;
            return Vector3{x, rowHeight(bottom, topY, r, rows, shake),
                           zEnd - end * wallInset(r, rows, shake)};
        };
        addRockSheet(mesh, endSegments, rows, point, {0, 0, -end});
    }
}

void buildCanyonStructures(MeshBuilder& mesh, CanyonLayout& layout)
{
    buildRuin(mesh, layout);
    buildCrates(mesh);
    buildPillars(mesh, layout);
    buildBridge(mesh, layout);
    buildBoulders(mesh);
    for (const double z : {125.0, 60.0, 5.0, -40.0, -85.0, -130.0}) {
        layout.openGround.push_back(onFloor(centreX(z) + 2.0, z));
    }
}

}  // namespace tools
