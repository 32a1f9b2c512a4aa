#pragma once

namespace tools::canyon {

// The canyon runs along z; the player starts near its +z end looking down -z.
constexpr double openEnd = 150.0;  // the canyon is closed by rock at z = +-openEnd
// The terrain grid: 65 x 65 vertices, finer across the canyon than along it.
constexpr int gridColumns = 65;
constexpr int gridRows = 65;
constexpr double gridMinX = -80.0;
constexpr double gridMinZ = -160.0;
constexpr double cellX = 2.5;
constexpr double cellZ = 5.0;

// Middle of the canyon floor at z, and the distance from it to either wall.
double centreX(double z);
double halfWidth(double z);

// The sandy floor (gentle dunes, rising slowly towards +z) and the rock
// plateau above the walls.
double floorHeight(double x, double z);
double plateauHeight(double x, double z);

// How far (x, z) lies outside the canyon, beyond its walls (negative inside).
double outside(double x, double z);

// The terrain: the floor inside, rising steeply behind the wall line to the
// plateau. The rise stays behind the wall polygons.
double terrainHeight(double x, double z);

}  // namespace tools::canyon
