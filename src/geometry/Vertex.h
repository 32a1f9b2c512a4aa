#pragma once

// Position, normal, texture coordinates and colour. Fields a record does
// not give keep these defaults.
struct Vertex {
    double x = 0.0, y = 0.0, z = 0.0;
    double nx = 0.0, ny = 0.0, nz = 0.0;
    double u = 0.0, v = 0.0;
    double r = 1.0, g = 1.0, b = 1.0;
};
