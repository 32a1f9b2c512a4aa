#include "content/Textures.h"

#include "content/Noise.h"
#include "content/Random.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tools {

namespace {

struct Colour {
    double r, g, b;
};

Colour mixColour(const Colour& a, const Colour& b, double t)
{
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

Colour scaled(const Colour& c, double s) { return {c.r * s, c.g * s, c.b * s}; }

double fraction(double x) { return x - std::floor(x); }

// Every pixel from a function of its centre (u, v in 0..1, v = 0 at the bottom row).
template <typename Shade>
Image paint(int size, Shade shade)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size;
            const double v = (y + 0.5) / size;
            const std::array<double, 4> c = shade(u, v, x, y);
            image.set(x, y, c[0], c[1], c[2], c[3]);
        }
    }
    return image;
}

std::array<double, 4> opaque(const Colour& c) { return {c.r, c.g, c.b, 1.0}; }

}  // namespace

Vector3 sunDirection()
{
    // High behind the start and to its right: the canyon ahead is lit from
    // behind, the walls' shadows fall mostly along it.
    const Vector3 d{0.30, 0.85, 0.43};
    return d / d.length();
}

Image rockTexture(int size)
{
    // Sandstone layers of uneven thickness, repeating once per tile.
    static const std::array<Colour, 7> layers = {{{0.72, 0.43, 0.28},
                                                  {0.82, 0.62, 0.44},
                                                  {0.63, 0.36, 0.25},
                                                  {0.86, 0.73, 0.56},
                                                  {0.58, 0.40, 0.31},
                                                  {0.78, 0.52, 0.34},
                                                  {0.69, 0.47, 0.35}}};
    std::array<double, layers.size() + 1> bounds{};
    Random random(101);
    double total = 0.0;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        total += random.uniform(0.6, 1.6);
        bounds[i + 1] = total;
    }
    for (double& b : bounds) b /= total;

    return paint(size, [&](double u, double v, int, int) {
        const double warp = (fractalNoise(u * 4, v * 4, 4, 4, 4, 0.5, 11) - 0.5) * 0.10;
        const double h = fraction(v + warp);
        std::size_t layer = 0;
        while (layer + 1 < layers.size() && h >= bounds[layer + 1]) ++layer;
        const double within = (h - bounds[layer]) / (bounds[layer + 1] - bounds[layer]);
        Colour c = layers[layer];
        // Each layer darkens towards its base; thin dark seams between layers.
        c = scaled(c, 0.9 + 0.12 * within);
        const double seam = std::min(within, 1.0 - within) * (bounds[layer + 1] - bounds[layer]);
        c = scaled(c, 0.75 + 0.25 * smoothstep(0.0, 0.006, seam));
        // Grain, horizontal streaks and vertical cracks.
        const double grain = fractalNoise(u * 32, v * 32, 32, 32, 3, 0.55, 12);
        const double streak = fractalNoise(u * 4, v * 64, 4, 64, 3, 0.5, 13);
        const double crackNoise = fractalNoise(u * 6, v * 2, 6, 2, 4, 0.5, 14);
        const double crack =
            1.0 - 0.35 * (1.0 - smoothstep(0.0, 0.025, std::fabs(crackNoise - 0.5)));
        const double shade = (0.82 + 0.3 * grain) * (0.92 + 0.16 * streak) * crack;
        return opaque(scaled(c, shade));
    });
}

Image sandTexture(int size)
{
    const Colour light{0.88, 0.74, 0.53};
    const Colour dark{0.74, 0.58, 0.40};
    return paint(size, [&](double u, double v, int x, int y) {
        const double patches = fractalNoise(u * 3, v * 3, 3, 3, 4, 0.5, 21);
        const double warp = fractalNoise(u * 2, v * 2, 2, 2, 3, 0.5, 22);
        // Ripples across v, bent by the warp; whole cycles per tile.
        const double ripple = 0.5 + 0.5 * sine(2 * pi * (v * 10 + u * 2 + warp * 1.5));
        const double fine = fractalNoise(u * 64, v * 64, 64, 64, 2, 0.5, 23);
        Colour c = mixColour(dark, light, 0.35 + 0.4 * patches + 0.25 * ripple * ripple);
        c = scaled(c, 0.9 + 0.2 * fine);
        const double speck = hashUnit(x, y, 24);
        if (speck > 0.985) c = scaled(c, 0.7);
        else if (speck < 0.01) c = scaled(c, 1.12);
        return opaque(c);
    });
}

Image grassTexture(int size)
{
    const Colour dirt{0.45, 0.34, 0.23};
    const Colour dryGrass{0.62, 0.58, 0.32};
    const Colour greenGrass{0.36, 0.47, 0.20};
    return paint(size, [&](double u, double v, int, int) {
        const double cover = fractalNoise(u * 4, v * 4, 4, 4, 4, 0.55, 31);
        // Blades: noise stretched along v.
        const double blades = fractalNoise(u * 96, v * 12, 96, 12, 2, 0.5, 32);
        const double tint = fractalNoise(u * 6, v * 6, 6, 6, 3, 0.5, 33);
        const Colour grass = mixColour(dryGrass, greenGrass, smoothstep(0.35, 0.7, tint));
        const double grassy = smoothstep(0.35, 0.6, cover + (blades - 0.5) * 0.5);
        const double pebbles = fractalNoise(u * 40, v * 40, 40, 40, 2, 0.5, 34);
        Colour c = mixColour(scaled(dirt, 0.8 + 0.4 * pebbles), scaled(grass, 0.75 + 0.5 * blades),
                             grassy);
        return opaque(c);
    });
}

Image stoneBlockTexture(int size)
{
    const Colour mortar{0.50, 0.47, 0.42};
    const Colour stone{0.70, 0.64, 0.54};
    constexpr int rows = 4;
    constexpr int blocksPerRow = 2;
    return paint(size, [&](double u, double v, int, int) {
        const double rowPos = v * rows;
        const int row = static_cast<int>(std::floor(rowPos));
        const double offset = (row % 2) * 0.5 / blocksPerRow;
        const double colPos = fraction(u + offset) * blocksPerRow;
        const int col = static_cast<int>(std::floor(colPos));
        // Distance to the block's edge, in tile units.
        const double ex = std::min(fraction(colPos), 1.0 - fraction(colPos)) / blocksPerRow;
        const double ey = std::min(fraction(rowPos), 1.0 - fraction(rowPos)) / rows;
        const double edge = std::min(ex, ey);
        const double jag = (fractalNoise(u * 16, v * 16, 16, 16, 3, 0.5, 41) - 0.5) * 0.012;
        const double block = hashUnit(row, (col + row * 7) % (blocksPerRow * rows), 42);
        Colour c = scaled(stone, 0.8 + 0.35 * block);
        c = mixColour(c, {0.66, 0.55, 0.45}, hashUnit(col, row, 43) * 0.5);
        const double grain = fractalNoise(u * 24, v * 24, 24, 24, 4, 0.55, 44);
        c = scaled(c, 0.78 + 0.4 * grain);
        // Bevel: darker towards the edges, lighter just inside the top.
        const double bevel = smoothstep(0.004, 0.03, edge + jag);
        c = scaled(c, 0.7 + 0.3 * bevel);
        const double topLight = fraction(rowPos) > 0.85 ? 1.06 : 1.0;
        c = scaled(c, topLight);
        const double isMortar = 1.0 - smoothstep(0.004, 0.009, edge + jag);
        const Colour m =
            scaled(mortar, 0.85 + 0.3 * fractalNoise(u * 64, v * 64, 64, 64, 2, 0.5, 45));
        return opaque(mixColour(c, m, isMortar));
    });
}

Image woodPlankTexture(int size)
{
    const Colour light{0.68, 0.50, 0.31};
    const Colour dark{0.46, 0.31, 0.18};
    constexpr int planks = 4;
    return paint(size, [&](double u, double v, int, int) {
        const double plankPos = u * planks;
        const int plank = static_cast<int>(std::floor(plankPos));
        const double across = fraction(plankPos);
        // Each plank has its own end joint somewhere along v.
        const double jointAt = hashUnit(plank, 0, 51);
        const double along = fraction(v - jointAt);
        const double warp = fractalNoise(u * 8, v * 2, 8, 2, 3, 0.5, 52);
        const double rings = fraction(across * 3.0 + warp * 2.5 + hashUnit(plank, 1, 53) * 10.0);
        const double grain = smoothstep(0.0, 0.6, rings) * (1.0 - smoothstep(0.75, 1.0, rings));
        Colour c = mixColour(dark, light, 0.3 + 0.6 * grain);
        c = scaled(c, 0.85 + 0.3 * hashUnit(plank, 2, 54));
        const double fibre = fractalNoise(u * 128, v * 8, 128, 8, 2, 0.5, 55);
        c = scaled(c, 0.88 + 0.24 * fibre);
        // Gaps between planks and at the joints.
        const double gap =
            std::min(std::min(across, 1.0 - across) / planks, std::min(along, 1.0 - along));
        c = scaled(c, 0.35 + 0.65 * smoothstep(0.002, 0.008, gap));
        // Two nails near each joint.
        for (const double nailAcross : {0.25, 0.75}) {
            for (const double nailAlong : {0.025, 0.975}) {
                const double dx = (across - nailAcross) / planks;
                const double dy = along - nailAlong;
                const double r = std::sqrt(dx * dx + dy * dy);
                if (r < 0.007) c = mixColour({0.25, 0.24, 0.23}, {0.55, 0.53, 0.5}, r / 0.007);
            }
        }
        return opaque(c);
    });
}

Image metalTexture(int size)
{
    // Grey levels only, in red: the file is an 8-bit bitmap whose palette
    // gives each level its blue-grey colour.
    constexpr int panels = 2;
    return paint(size, [&](double u, double v, int, int) {
        const double brushed = fractalNoise(u * 2, v * 128, 2, 128, 3, 0.5, 61);
        const double smudge = fractalNoise(u * 4, v * 4, 4, 4, 4, 0.5, 62);
        double level = 0.55 + 0.18 * (brushed - 0.5) + 0.2 * (smudge - 0.5);
        const double pu = fraction(u * panels);
        const double pv = fraction(v * panels);
        const double seam = std::min(std::min(pu, 1.0 - pu), std::min(pv, 1.0 - pv)) / panels;
        level *= 0.45 + 0.55 * smoothstep(0.002, 0.006, seam);
        if (seam > 0.006 && seam < 0.009) level *= 1.15;  // light catches the panel edge
        for (const double ru : {0.06, 0.94}) {
            for (const double rv : {0.06, 0.94}) {
                const double dx = (pu - ru) / panels;
                const double dy = (pv - rv) / panels;
                const double r = std::sqrt(dx * dx + dy * dy);
                if (r < 0.012) {
                    // A dome lit from the upper left.
                    const double lit = 0.5 + 0.5 * clamp01((-dx + dy) / 0.012);
                    level = 0.3 + 0.6 * lit * (1.0 - r / 0.012 * 0.4);
                }
            }
        }
        return std::array<double, 4>{clamp01(level), 0.0, 0.0, 1.0};
    });
}

Image cementTexture(int size)
{
    return paint(size, [&](double u, double v, int x, int y) {
        const double blotch = fractalNoise(u * 4, v * 4, 4, 4, 5, 0.55, 71);
        const double fine = fractalNoise(u * 48, v * 48, 48, 48, 2, 0.5, 72);
        double level = 0.52 + 0.22 * blotch + 0.12 * (fine - 0.5);
        const double pore = hashUnit(x, y, 73);
        if (pore > 0.992) level *= 0.6;
        // Rain streaks running down.
        const double streak = fractalNoise(u * 16, v * 1, 16, 1, 2, 0.5, 74);
        level *= 0.93 + 0.1 * streak;
        return opaque({level, level * 0.99, level * 0.95});
    });
}

Image droneTexture(int size)
{
    // Four regions: plating (lower left), stripes (lower right), grille
    // (upper left), visor (upper right), each a square of half the side.
    const Colour teal{0.10, 0.78, 0.72};
    return paint(size, [&](double u, double v, int, int) {
        const bool right = u >= 0.5, upper = v >= 0.5;
        const double su = fraction(u * 2), sv = fraction(v * 2);  // within the region
        const double edge = std::min(std::min(su, 1.0 - su), std::min(sv, 1.0 - sv));
        if (!right && !upper) {
            // Plating: panels with dark seams and rivets, lightly worn.
            const double wear = fractalNoise(u * 16, v * 16, 16, 16, 3, 0.5, 111);
            Colour c = scaled(teal, 0.85 + 0.25 * wear);
            const double pu = fraction(su * 2), pv = fraction(sv * 2);
            const double seam = std::min(std::min(pu, 1.0 - pu), std::min(pv, 1.0 - pv));
            if (seam < 0.03) c = scaled(c, 0.45);
            for (const double ru : {0.12, 0.88}) {
                for (const double rv : {0.12, 0.88}) {
                    const double dx = pu - ru, dy = pv - rv;
                    if (dx * dx + dy * dy < 0.003) c = {0.85, 0.9, 0.9};
                }
            }
            return opaque(c);
        }
        if (right && !upper) {
            // Hazard stripes.
            const bool yellow = fraction((su + sv) * 3) < 0.5;
            Colour c = yellow ? Colour{0.98, 0.80, 0.10} : Colour{0.12, 0.12, 0.12};
            if (edge < 0.04) c = scaled(c, 0.5);
            return opaque(c);
        }
        if (!right && upper) {
            // Grille: dark slots over a warm glow in the middle.
            const double glow = clamp01(1.0 - 2.2 * std::hypot(su - 0.5, sv - 0.5));
            const bool slot = fraction(sv * 6) < 0.5;
            Colour c = slot ? Colour{0.08, 0.09, 0.10} : Colour{0.35, 0.38, 0.40};
            c = mixColour(c, {1.0, 0.35, 0.1}, glow * 0.8);
            return opaque(c);
        }
        // Visor: dark glass, two glowing red eyes, a frame of plating.
        if (edge < 0.08) return opaque(scaled(teal, 0.7));
        Colour c{0.05, 0.07, 0.10};
        for (const double eu : {0.3, 0.7}) {
            const double r = std::hypot(su - eu, (sv - 0.55) * 1.3);
            c = mixColour(c, {1.0, 0.15, 0.05}, clamp01(1.0 - r / 0.16));
        }
        // A glint across the glass.
        if (std::fabs(su - sv * 0.6 - 0.1) < 0.02) c = mixColour(c, {0.7, 0.8, 0.9}, 0.5);
        return opaque(c);
    });
}

Image crosshairTexture(int size)
{
    const double c = size / 2.0;
    const double half = size / 32.0;   // half the line width: 2 pixels at 32
    const double gap = size * 0.09;    // clear centre
    const double reach = size * 0.42;  // arm ends
    return paint(size, [&](double, double, int x, int y) {
        const double px = x + 0.5 - c;
        const double py = y + 0.5 - c;
        const double ax = std::fabs(px);
        const double ay = std::fabs(py);
        const bool horizontal = ay <= half && ax >= gap && ax <= reach;
        const bool vertical = ax <= half && ay >= gap && ay <= reach;
        if (horizontal || vertical) return std::array<double, 4>{1.0, 1.0, 1.0, 1.0};
        // A dark rim one pixel wide keeps the cross visible on bright ground.
        const bool rimH = ay <= half + 1 && ax >= gap - 1 && ax <= reach + 1;
        const bool rimV = ax <= half + 1 && ay >= gap - 1 && ay <= reach + 1;
        if (rimH || rimV) return std::array<double, 4>{0.0, 0.0, 0.0, 0.55};
        return std::array<double, 4>{0.0, 0.0, 0.0, 0.0};
    });
}

Image coronaTexture(int size)
{
    return paint(size, [&](double u, double v, int, int) {
        const double dx = u - 0.5;
        const double dy = v - 0.5;
        const double r = std::sqrt(dx * dx + dy * dy) * 2.0;  // 1 at the edge's middle
        const double fall = clamp01(1.0 - r);
        const double glow = fall * fall;
        const double core = smoothstep(0.75, 1.0, fall);
        const double alpha = clamp01(glow * 0.85 + core * 0.15);
        return std::array<double, 4>{1.0, mix(0.86, 1.0, core), mix(0.62, 0.95, core), alpha};
    });
}

Image cloudShadowTexture(int size)
{
    return paint(size, [&](double u, double v, int, int) {
        const double n = fractalNoise(u * 4, v * 4, 4, 4, 5, 0.5, 81);
        const double cloud = smoothstep(0.5, 0.72, n);
        const double level = 1.0 - 0.45 * cloud;
        return opaque({level, level, level});
    });
}

Image cloudLayerTexture(int size)
{
    return paint(size, [&](double u, double v, int, int) {
        const double n = fractalNoise(u * 4, v * 4, 4, 4, 6, 0.55, 91);
        const double body = smoothstep(0.45, 0.75, n);
        const double shade = 0.82 + 0.18 * smoothstep(0.5, 0.8, n);
        return std::array<double, 4>{shade, shade, mix(shade, 1.0, 0.3), body * 0.85};
    });
}

Vector3 skyFaceDirection(SkyFace face, double u, double v)
{
    const double a = -1.0 + 2.0 * u;
    const double b = -1.0 + 2.0 * v;
    switch (face) {
    case SkyFace::Front: return {a, b, -1};
    case SkyFace::Back: return {-a, b, 1};
    case SkyFace::Left: return {-1, b, -a};
    case SkyFace::Right: return {1, b, a};
    case SkyFace::Up: return {a, 1, b};
    case SkyFace::Down: return {a, -1, -b};
    }
    return {0, 0, -1};
}

const char* skyFaceFileName(SkyFace face)
{
    switch (face) {
    case SkyFace::Front: return "skyFront.bmp";
    case SkyFace::Back: return "skyBack.bmp";
    case SkyFace::Left: return "skyLeft.bmp";
    case SkyFace::Right: return "skyRight.bmp";
    case SkyFace::Up: return "skyUp.bmp";
    case SkyFace::Down: return "skyDown.bmp";
    }
    return "sky.bmp";
}

namespace {

Colour skyColour(const Vector3& direction)
{
    const Vector3 d = direction / direction.length();
    const Colour zenith{0.20, 0.40, 0.78};
    const Colour horizon{0.72, 0.80, 0.90};
    const Colour haze{0.93, 0.89, 0.82};
    const Colour ground{0.58, 0.50, 0.42};
    Colour c;
    if (d.y >= 0.0) {
        c = mixColour(horizon, zenith, std::sqrt(d.y));
        c = mixColour(c, haze, (1.0 - smoothstep(0.0, 0.12, d.y)) * 0.7);
    } else {
        c = mixColour(haze, ground, smoothstep(0.0, 0.25, -d.y));
    }
    const double s = d.dot(sunDirection());
    const double halo = clamp01((s - 0.6) / 0.4);
    const double glow = clamp01((s - 0.95) / 0.05);
    c = mixColour(c, {1.0, 0.93, 0.78}, halo * halo * halo * halo * 0.35 + glow * glow * 0.5);
    c = mixColour(c, {1.0, 0.99, 0.94}, smoothstep(0.9988, 0.9994, s));
    return c;
}

}  // namespace

Image skyTexture(SkyFace face, int size)
{
    return paint(size, [&](double u, double v, int, int) {
        return opaque(skyColour(skyFaceDirection(face, u, v)));
    });
}

Image demoTileTexture(int size)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            // A sparse diagonal speckle, so the tiles do not look flat.
            const bool speck = (x * 7 + y * 13) % 11 == 0;
            const std::uint8_t grey = edge ? 150 : speck ? 215 : 235;
            std::uint8_t* p = image.at(x, y);
            p[0] = p[1] = p[2] = grey;
        }
    }
    return image;
}

std::vector<GeneratedFile> generateTextures()
{
    constexpr int tile = 256;
    std::vector<GeneratedFile> files;
    files.push_back({"rock.bmp", encodeBmp24(rockTexture(tile))});
    files.push_back({"sand.tga", encodeTga24(sandTexture(tile))});
    files.push_back({"grass.bmp", encodeBmp24(grassTexture(tile))});
    files.push_back({"stone.bmp", encodeBmp24(stoneBlockTexture(tile))});
    files.push_back({"wood.tga", encodeTga24(woodPlankTexture(tile))});
    {
        std::vector<std::uint32_t> palette(256);
        for (std::uint32_t i = 0; i < 256; ++i) {
            const double t = i / 255.0;
            const auto r = static_cast<std::uint32_t>(toByte(t * 0.90 + 0.05));
            const auto g = static_cast<std::uint32_t>(toByte(t * 0.91 + 0.05));
            const auto b = static_cast<std::uint32_t>(toByte(t * 0.92 + 0.06));
            palette[i] = (r << 16) | (g << 8) | b;
        }
        files.push_back({"metal.bmp", encodeBmp8(metalTexture(tile), palette)});
    }
    files.push_back({"cement-1.bmp", encodeBmp24(cementTexture(tile))});
    files.push_back({"drone.bmp", encodeBmp24(droneTexture(128))});
    files.push_back({"demo-tile.bmp", encodeBmp24(demoTileTexture(32))});

    const Image crosshair = crosshairTexture(32);
    files.push_back({"crosshair.bmp", encodeBmp24(crosshair)});
    files.push_back({"crosshair-a.bmp", encodeAlphaBmp8(crosshair)});
    const Image corona = coronaTexture(64);
    files.push_back({"corona.tga", encodeTga32(corona)});
    files.push_back({"corona.bmp", encodeBmp24(corona)});
    files.push_back({"corona-a.bmp", encodeAlphaBmp8(corona)});
    {
        // Grey levels, so an 8-bit grey palette holds it exactly.
        Image shadows = cloudShadowTexture(tile);
        std::vector<std::uint32_t> grey(256);
        for (std::uint32_t i = 0; i < 256; ++i) grey[i] = (i << 16) | (i << 8) | i;
        files.push_back({"cloudShadows.bmp", encodeBmp8(shadows, grey)});
    }
    for (SkyFace face : {SkyFace::Front, SkyFace::Back, SkyFace::Left, SkyFace::Right, SkyFace::Up,
                         SkyFace::Down}) {
        files.push_back({skyFaceFileName(face), encodeBmp24(skyTexture(face, tile))});
    }
    files.push_back({"clouds.tga", encodeTga32(cloudLayerTexture(tile))});
    return files;
}

}  // namespace tools
