#pragma once

#include "worldfile/WorldWriter.h"

#include <string>
#include <vector>

namespace tools {

// The robot drone's look: a hovering robot (torso, head with a visor, arms,
// an antenna with a beacon, a thruster beneath) of a few dozen polygons in
// its own coordinates, facing -z, its origin in the middle of the torso.
// Every face maps onto one region of the drone texture.
std::vector<DrawnPolygon> droneMesh();

// How far the drone's lowest point lies below its origin.
constexpr double droneDepth = 0.85;
// How high a drone's origin hovers above the floor where it starts.
constexpr double droneHover = 2.0;

// A slowly turning marker for the scenery: an octahedron of the given
// radius, in its own coordinates.
std::vector<DrawnPolygon> crystalMesh(double radius, const std::string& texture);

}  // namespace tools
