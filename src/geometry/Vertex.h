#pragma once

#include "math/Vector3.h"

// Position, normal, texture coordinates and colour. Fields a record does
// not give keep these defaults.
struct Vertex {
    Vector3 position;
    Vector3 normal;
    double u = 0.0, v = 0.0;
    double r = 1.0, g = 1.0, b = 1.0;

    // A vertex at p with every other field at its default.
    static Vertex at(const Vector3& p)
    {
        Vertex vertex;
        vertex.position = p;
        return vertex;
    }
};
